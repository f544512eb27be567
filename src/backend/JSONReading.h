#pragma once

#include "backend/JSONValue.h"

#include <QStringList>

#include <optional>

// Reading records out of JSON objects. Required keys must be present with the right case;
// optional keys may be absent or null. Mismatches throw JSONError naming the key.
namespace JSONReading {

const JSONObject &object(const JSONValue &value, const QString &what);

QString requiredString(const JSONObject &object, const QString &key);
std::optional<QString> optionalString(const JSONObject &object, const QString &key);

double requiredDouble(const JSONObject &object, const QString &key);
std::optional<double> optionalDouble(const JSONObject &object, const QString &key);

// Integers arrive as doubles; a fractional value is a type mismatch.
qint64 requiredInteger(const JSONObject &object, const QString &key);
std::optional<qint64> optionalInteger(const JSONObject &object, const QString &key);

bool requiredBool(const JSONObject &object, const QString &key);
std::optional<bool> optionalBool(const JSONObject &object, const QString &key);

std::optional<QStringList> optionalStringList(const JSONObject &object, const QString &key);

// The member as a number truncated toward zero, or nullopt when it is not a number.
std::optional<qint64> truncatedInteger(const JSONObject &object, const QString &key);

// Convenience for building params: a list of text as a JSON array of strings.
JSONValue stringArray(const QStringList &texts);

} // namespace JSONReading
