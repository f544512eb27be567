#include "gallery/GalleryModels.h"

#include "backend/JSONReading.h"

#include <QRegularExpression>

using namespace JSONReading;

std::optional<QDateTime> parseInternetDateTime(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}(Z|[+-]\\d{2}:\\d{2})$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    QDateTime parsed = QDateTime::fromString(text, Qt::ISODate);
    if (!parsed.isValid())
        return std::nullopt;
    return parsed.toUTC();
}

ArtworkItem ArtworkItem::fromJSON(const JSONValue &value)
{
    const JSONObject &object = JSONReading::object(value, "gallery item");
    ArtworkItem item;
    item.id = requiredString(object, "id");
    item.imagePath = requiredString(object, "image_path");
    item.prompt = requiredString(object, "prompt");
    item.model = requiredString(object, "model");
    item.width = requiredInteger(object, "width");
    item.height = requiredInteger(object, "height");
    item.seed = optionalInteger(object, "seed");
    item.rating = optionalInteger(object, "rating").value_or(0);
    item.tags = optionalStringList(object, "tags").value_or(QStringList());
    item.favorite = optionalBool(object, "favorite").value_or(false);
    const JSONValue *created = object.find("created_at");
    const QString *createdText = created ? created->string() : nullptr;
    std::optional<QDateTime> createdAt = createdText ? parseInternetDateTime(*createdText) : std::nullopt;
    item.createdAt = createdAt.value_or(QDateTime::currentDateTimeUtc());
    return item;
}

QList<ArtworkItem> ArtworkItem::listFromJSON(const JSONValue &value)
{
    const JSONArray *array = value.array();
    if (!array)
        throw JSONError(QStringLiteral("Expected a list of gallery items"));
    QList<ArtworkItem> items;
    items.reserve(qsizetype(array->size()));
    for (const JSONValue &element : *array)
        items.append(fromJSON(element));
    return items;
}

JSONValue ArtworkItem::toJSON() const
{
    JSONObject object{{"id", id},
                      {"image_path", imagePath},
                      {"prompt", prompt},
                      {"model", model},
                      {"width", double(width)},
                      {"height", double(height)},
                      {"created_at", createdAt.toUTC().toString(Qt::ISODate)},
                      {"rating", double(rating)},
                      {"tags", stringArray(tags)},
                      {"favorite", favorite}};
    if (seed)
        object.insert("seed", double(*seed));
    return object;
}
