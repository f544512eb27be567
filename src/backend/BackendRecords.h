#pragma once

#include "backend/JSONValue.h"
#include "gallery/GalleryModels.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// Result records of backend operations. fromJSON throws JSONError when a required key is
// missing or mistyped (integers must be integral); toJSON omits absent optional fields.

struct GalleryItemData
{
    QString id;
    QString imagePath;
    QString prompt;
    QString model;
    qint64 width = 0;
    qint64 height = 0;
    std::optional<qint64> seed;
    QString createdAt;
    std::optional<qint64> rating;
    std::optional<QStringList> tags;
    std::optional<bool> favorite;

    static GalleryItemData fromJSON(const JSONValue &value);
    JSONValue toJSON() const;
    friend bool operator==(const GalleryItemData &, const GalleryItemData &) = default;
};

struct GenerationResultData
{
    QString imagePath;
    QString prompt;
    QString model;
    qint64 width = 0;
    qint64 height = 0;
    std::optional<qint64> seed;
    std::optional<double> generationTime;
    std::optional<QString> galleryId;

    static GenerationResultData fromJSON(const JSONValue &value);
    JSONValue toJSON() const;
    friend bool operator==(const GenerationResultData &, const GenerationResultData &) = default;
};

struct UpscaleResultData
{
    QString imagePath;
    qint64 width = 0;
    qint64 height = 0;
    std::optional<double> generationTime;
    std::optional<QString> method;
    std::optional<QString> galleryId;

    static UpscaleResultData fromJSON(const JSONValue &value);
    JSONValue toJSON() const;
    friend bool operator==(const UpscaleResultData &, const UpscaleResultData &) = default;
};

struct DiskStatus
{
    double freeGb = 0;
    double totalGb = 0;
    bool warning = false;
    bool critical = false;

    static DiskStatus fromJSON(const JSONValue &value);
    JSONValue toJSON() const;
    friend bool operator==(const DiskStatus &, const DiskStatus &) = default;
};

struct Collection
{
    QString name;
    qint64 count = 0;

    static Collection fromJSON(const JSONValue &value);
    JSONValue toJSON() const;
    friend bool operator==(const Collection &, const Collection &) = default;
};

struct GalleryPageResponse
{
    QList<ArtworkItem> items;
    qint64 totalCount = 0;
    qint64 offset = 0;
    qint64 limit = 0;
};

struct ArtistResponse
{
    QString text;
    std::optional<QString> imagePath;
    std::optional<QString> model;
};

struct MCPStatus
{
    bool available = false;
    std::optional<QString> binaryPath;
};

// One image model as "list_models" reports it: at least "id" and "name".
using ModelEntry = QMap<QString, QString>;

// Reads a JSON array whose elements are records of one type.
template<typename Record>
QList<Record> recordsFromJSON(const JSONValue &value)
{
    const JSONArray *array = value.array();
    if (!array)
        throw JSONError(QStringLiteral("Expected a list"));
    QList<Record> records;
    records.reserve(qsizetype(array->size()));
    for (const JSONValue &element : *array)
        records.append(Record::fromJSON(element));
    return records;
}

// A JSON array of objects whose members are all text.
QList<ModelEntry> modelEntriesFromJSON(const JSONValue &value);

// The params of "generate_image"; optional values are sent only when set.
struct GenerateImageRequest
{
    QString prompt;
    qint64 width = 1024;
    qint64 height = 1024;
    std::optional<QString> negativePrompt;
    std::optional<QString> model;
    std::optional<qint64> steps;
    std::optional<qint64> seed;
    std::optional<QString> aspectRatio;
    std::optional<QString> imagePath;
    std::optional<double> imageStrength;
    std::optional<QStringList> loraPaths;
    std::optional<QList<double>> loraScales;

    JSONObject toParams() const;
};

// The params of "composite_image": artist, album and genre are sent only when not empty.
struct CompositeImageRequest
{
    QString imagePath;
    QString layout;
    QString title;
    QString artist;
    QString album;
    QString genre;

    JSONObject toParams() const;
};
