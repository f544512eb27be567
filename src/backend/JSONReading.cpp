#include "backend/JSONReading.h"

#include <cmath>

namespace JSONReading {
namespace {

[[noreturn]] void missing(const QString &key)
{
    throw JSONError(QStringLiteral("Missing required key \"%1\"").arg(key));
}

[[noreturn]] void mismatch(const QString &key, const char *expected)
{
    throw JSONError(QStringLiteral("Wrong type for key \"%1\": expected %2")
                        .arg(key, QLatin1String(expected)));
}

// The member, or nullptr when it is absent or null.
const JSONValue *present(const JSONObject &object, const QString &key)
{
    const JSONValue *value = object.find(key);
    return value && !value->isNull() ? value : nullptr;
}

const JSONValue &required(const JSONObject &object, const QString &key)
{
    const JSONValue *value = object.find(key);
    if (!value)
        missing(key);
    return *value;
}

QString asString(const JSONValue &value, const QString &key)
{
    if (const QString *text = value.string())
        return *text;
    mismatch(key, "text");
}

double asDouble(const JSONValue &value, const QString &key)
{
    if (const double *number = value.number())
        return *number;
    mismatch(key, "a number");
}

qint64 asInteger(const JSONValue &value, const QString &key)
{
    const double *number = value.number();
    if (!number || *number != std::trunc(*number) || std::fabs(*number) > 9.2e18)
        mismatch(key, "an integer");
    return qint64(*number);
}

bool asBool(const JSONValue &value, const QString &key)
{
    if (const bool *flag = value.boolean())
        return *flag;
    mismatch(key, "a boolean");
}

} // namespace

const JSONObject &object(const JSONValue &value, const QString &what)
{
    if (const JSONObject *found = value.object())
        return *found;
    throw JSONError(QStringLiteral("Expected %1 to be an object").arg(what));
}

QString requiredString(const JSONObject &object, const QString &key)
{
    return asString(required(object, key), key);
}

std::optional<QString> optionalString(const JSONObject &object, const QString &key)
{
    const JSONValue *value = present(object, key);
    return value ? std::optional(asString(*value, key)) : std::nullopt;
}

double requiredDouble(const JSONObject &object, const QString &key)
{
    return asDouble(required(object, key), key);
}

std::optional<double> optionalDouble(const JSONObject &object, const QString &key)
{
    const JSONValue *value = present(object, key);
    return value ? std::optional(asDouble(*value, key)) : std::nullopt;
}

qint64 requiredInteger(const JSONObject &object, const QString &key)
{
    return asInteger(required(object, key), key);
}

std::optional<qint64> optionalInteger(const JSONObject &object, const QString &key)
{
    const JSONValue *value = present(object, key);
    return value ? std::optional(asInteger(*value, key)) : std::nullopt;
}

bool requiredBool(const JSONObject &object, const QString &key)
{
    return asBool(required(object, key), key);
}

std::optional<bool> optionalBool(const JSONObject &object, const QString &key)
{
    const JSONValue *value = present(object, key);
    return value ? std::optional(asBool(*value, key)) : std::nullopt;
}

std::optional<QStringList> optionalStringList(const JSONObject &object, const QString &key)
{
    const JSONValue *value = present(object, key);
    if (!value)
        return std::nullopt;
    const JSONArray *array = value->array();
    if (!array)
        mismatch(key, "a list of text");
    QStringList texts;
    texts.reserve(qsizetype(array->size()));
    for (const JSONValue &element : *array) {
        const QString *text = element.string();
        if (!text)
            mismatch(key, "a list of text");
        texts.append(*text);
    }
    return texts;
}

std::optional<qint64> truncatedInteger(const JSONObject &object, const QString &key)
{
    const JSONValue *value = object.find(key);
    const double *number = value ? value->number() : nullptr;
    if (!number || std::fabs(*number) > 9.2e18)
        return std::nullopt;
    return qint64(std::trunc(*number));
}

JSONValue stringArray(const QStringList &texts)
{
    JSONArray array;
    array.reserve(size_t(texts.size()));
    for (const QString &text : texts)
        array.emplace_back(text);
    return JSONValue(std::move(array));
}

} // namespace JSONReading
