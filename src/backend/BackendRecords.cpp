#include "backend/BackendRecords.h"

#include "backend/JSONReading.h"

using namespace JSONReading;

namespace {

template<typename T>
void insertIfSet(JSONObject &object, const char *key, const std::optional<T> &value)
{
    if (!value)
        return;
    if constexpr (std::is_same_v<T, qint64>)
        object.insert(key, double(*value));
    else if constexpr (std::is_same_v<T, QStringList>)
        object.insert(key, stringArray(*value));
    else
        object.insert(key, *value);
}

} // namespace

GalleryItemData GalleryItemData::fromJSON(const JSONValue &value)
{
    const JSONObject &o = object(value, "gallery item");
    return {requiredString(o, "id"),         requiredString(o, "image_path"),
            requiredString(o, "prompt"),     requiredString(o, "model"),
            requiredInteger(o, "width"),     requiredInteger(o, "height"),
            optionalInteger(o, "seed"),      requiredString(o, "created_at"),
            optionalInteger(o, "rating"),    optionalStringList(o, "tags"),
            optionalBool(o, "favorite")};
}

JSONValue GalleryItemData::toJSON() const
{
    JSONObject o{{"id", id},
                 {"image_path", imagePath},
                 {"prompt", prompt},
                 {"model", model},
                 {"width", double(width)},
                 {"height", double(height)},
                 {"created_at", createdAt}};
    insertIfSet(o, "seed", seed);
    insertIfSet(o, "rating", rating);
    insertIfSet(o, "tags", tags);
    insertIfSet(o, "favorite", favorite);
    return o;
}

GenerationResultData GenerationResultData::fromJSON(const JSONValue &value)
{
    const JSONObject &o = object(value, "generation result");
    return {requiredString(o, "image_path"), requiredString(o, "prompt"),
            requiredString(o, "model"),      requiredInteger(o, "width"),
            requiredInteger(o, "height"),    optionalInteger(o, "seed"),
            optionalDouble(o, "generation_time"), optionalString(o, "gallery_id")};
}

JSONValue GenerationResultData::toJSON() const
{
    JSONObject o{{"image_path", imagePath}, {"prompt", prompt}, {"model", model},
                 {"width", double(width)},  {"height", double(height)}};
    insertIfSet(o, "seed", seed);
    insertIfSet(o, "generation_time", generationTime);
    insertIfSet(o, "gallery_id", galleryId);
    return o;
}

UpscaleResultData UpscaleResultData::fromJSON(const JSONValue &value)
{
    const JSONObject &o = object(value, "upscale result");
    return {requiredString(o, "image_path"),       requiredInteger(o, "width"),
            requiredInteger(o, "height"),          optionalDouble(o, "generation_time"),
            optionalString(o, "method"),           optionalString(o, "gallery_id")};
}

JSONValue UpscaleResultData::toJSON() const
{
    JSONObject o{{"image_path", imagePath}, {"width", double(width)}, {"height", double(height)}};
    insertIfSet(o, "generation_time", generationTime);
    insertIfSet(o, "method", method);
    insertIfSet(o, "gallery_id", galleryId);
    return o;
}

DiskStatus DiskStatus::fromJSON(const JSONValue &value)
{
    const JSONObject &o = object(value, "disk status");
    return {requiredDouble(o, "free_gb"), requiredDouble(o, "total_gb"),
            requiredBool(o, "warning"), requiredBool(o, "critical")};
}

JSONValue DiskStatus::toJSON() const
{
    return JSONObject{{"free_gb", freeGb}, {"total_gb", totalGb},
                      {"warning", warning}, {"critical", critical}};
}

Collection Collection::fromJSON(const JSONValue &value)
{
    const JSONObject &o = object(value, "collection");
    return {requiredString(o, "name"), requiredInteger(o, "count")};
}

JSONValue Collection::toJSON() const
{
    return JSONObject{{"name", name}, {"count", double(count)}};
}

QList<ModelEntry> modelEntriesFromJSON(const JSONValue &value)
{
    const JSONArray *array = value.array();
    if (!array)
        throw JSONError(QStringLiteral("Expected a list of models"));
    QList<ModelEntry> entries;
    for (const JSONValue &element : *array) {
        const JSONObject &o = object(element, "model entry");
        ModelEntry entry;
        for (const auto &[key, member] : o) {
            const QString *text = member.string();
            if (!text)
                throw JSONError(QStringLiteral("Wrong type for key \"%1\": expected text").arg(key));
            entry.insert(key, *text);
        }
        entries.append(entry);
    }
    return entries;
}

JSONObject GenerateImageRequest::toParams() const
{
    JSONObject params{{"prompt", prompt}, {"width", double(width)}, {"height", double(height)}};
    insertIfSet(params, "negative_prompt", negativePrompt);
    insertIfSet(params, "model", model);
    insertIfSet(params, "steps", steps);
    insertIfSet(params, "seed", seed);
    insertIfSet(params, "aspect_ratio", aspectRatio);
    insertIfSet(params, "image_path", imagePath);
    insertIfSet(params, "image_strength", imageStrength);
    insertIfSet(params, "lora_paths", loraPaths);
    if (loraScales) {
        JSONArray scales;
        for (double scale : *loraScales)
            scales.emplace_back(scale);
        params.insert("lora_scales", JSONValue(std::move(scales)));
    }
    return params;
}

JSONObject CompositeImageRequest::toParams() const
{
    JSONObject params{{"image_path", imagePath}, {"layout", layout}, {"title", title}};
    if (!artist.isEmpty())
        params.insert("artist", artist);
    if (!album.isEmpty())
        params.insert("album", album);
    if (!genre.isEmpty())
        params.insert("genre", genre);
    return params;
}
