#pragma once

#include "backend/JSONValue.h"

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <optional>

// One stored artwork as the screens hold it. Rating 0 means unrated; collection membership is
// mirrored as the tag "collection:{name}".
struct ArtworkItem
{
    QString id;
    QString imagePath;
    QString prompt;
    QString model;
    qint64 width = 0;
    qint64 height = 0;
    std::optional<qint64> seed;
    QDateTime createdAt;
    qint64 rating = 0;
    QStringList tags;
    bool favorite = false;

    // Throws JSONError for a missing or mistyped required key. An unparsable "created_at"
    // does not fail: the item gets the time of decoding.
    static ArtworkItem fromJSON(const JSONValue &value);
    static QList<ArtworkItem> listFromJSON(const JSONValue &value);
    JSONValue toJSON() const;

    static QString collectionTag(const QString &collection)
    {
        return QStringLiteral("collection:") + collection;
    }

    friend bool operator==(const ArtworkItem &, const ArtworkItem &) = default;
};

// The internet date-time form only: 2025-03-14T09:26:53Z or with a ±hh:mm zone. Anything else
// (fractional seconds, no zone, a space for the T) gives nullopt.
std::optional<QDateTime> parseInternetDateTime(const QString &text);

Q_DECLARE_METATYPE(ArtworkItem)
