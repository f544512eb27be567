#include "backend/JSONValue.h"


#include <simdjson.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

const QString unsupportedValue = QStringLiteral("Unsupported JSON value");

bool keyLess(const JSONObject::Member &a, const JSONObject::Member &b) { return a.first < b.first; }

// Sorts by key; of duplicate keys the last one wins, as in most JSON readers.
void sortUnique(std::vector<JSONObject::Member> &members)
{
    if (std::is_sorted(members.begin(), members.end(), keyLess)
        && std::adjacent_find(members.begin(), members.end(),
                              [](const auto &a, const auto &b) { return a.first == b.first; })
               == members.end())
        return;
    std::stable_sort(members.begin(), members.end(), keyLess);
    std::vector<JSONObject::Member> unique;
    unique.reserve(members.size());
    for (auto &member : members) {
        if (!unique.empty() && unique.back().first == member.first)
            unique.back() = std::move(member);
        else
            unique.push_back(std::move(member));
    }
    members = std::move(unique);
}

// ---- encoding ----

void writeString(QByteArray &out, const QString &text)
{
    static constexpr char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    out.append('"');
    const char *runStart = utf8.constData();
    const char *end = runStart + utf8.size();
    for (const char *p = runStart; p != end; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(runStart, p - runStart);
        runStart = p + 1;
        switch (c) {
        case '"': out.append("\\\"", 2); break;
        case '\\': out.append("\\\\", 2); break;
        case '\n': out.append("\\n", 2); break;
        case '\r': out.append("\\r", 2); break;
        case '\t': out.append("\\t", 2); break;
        case '\b': out.append("\\b", 2); break;
        case '\f': out.append("\\f", 2); break;
        default: {
            const char escaped[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xF]};
            out.append(escaped, 6);
        }
        }
    }
    out.append(runStart, end - runStart);
    out.append('"');
}

void writeNumber(QByteArray &out, double number)
{
    if (!std::isfinite(number))
        throw JSONError(QStringLiteral("Cannot encode a number that is not finite"));
    char buffer[32];
    std::to_chars_result result;
    // Integral values within the exactly representable range are written as integers, so that
    // the backend reads them as ints (512, not 512.0).
    if (number == std::trunc(number) && std::fabs(number) < 9007199254740992.0)
        result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(number));
    else
        result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out.append(buffer, result.ptr - buffer);
}

void writeValue(QByteArray &out, const JSONValue &value)
{
    switch (value.kind()) {
    case JSONValue::Kind::String: writeString(out, *value.string()); break;
    case JSONValue::Kind::Number: writeNumber(out, *value.number()); break;
    case JSONValue::Kind::Bool: out.append(*value.boolean() ? "true" : "false"); break;
    case JSONValue::Kind::Null: out.append("null", 4); break;
    case JSONValue::Kind::Object: {
        out.append('{');
        bool first = true;
        for (const auto &[key, member] : *value.object()) {
            if (!first)
                out.append(',');
            first = false;
            writeString(out, key);
            out.append(':');
            writeValue(out, member);
        }
        out.append('}');
        break;
    }
    case JSONValue::Kind::Array: {
        out.append('[');
        bool first = true;
        for (const auto &element : *value.array()) {
            if (!first)
                out.append(',');
            first = false;
            writeValue(out, element);
        }
        out.append(']');
        break;
    }
    }
}

// ---- decoding ----

struct KeyHash
{
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
};

// Gallery pages repeat the same dozen keys thousands of times: sharing one QString per key
// saves an allocation and a UTF-8 conversion for each.
class KeyInterner
{
public:
    QString intern(std::string_view key)
    {
        if (key.size() > 40)
            return QString::fromUtf8(key.data(), qsizetype(key.size()));
        if (auto it = m_keys.find(key); it != m_keys.end())
            return it->second;
        QString text = QString::fromUtf8(key.data(), qsizetype(key.size()));
        if (m_keys.size() < 4096)
            m_keys.emplace(std::string(key), text);
        return text;
    }

private:
    std::unordered_map<std::string, QString, KeyHash, std::equal_to<>> m_keys;
};

JSONValue fromSimdjson(simdjson::dom::element element, KeyInterner &keys)
{
    using Type = simdjson::dom::element_type;
    switch (element.type()) {
    case Type::NULL_VALUE: return JSONValue();
    case Type::BOOL: return JSONValue(bool(element.get_bool().value_unsafe()));
    case Type::INT64: return JSONValue(double(element.get_int64().value_unsafe()));
    case Type::UINT64: return JSONValue(double(element.get_uint64().value_unsafe()));
    case Type::DOUBLE: return JSONValue(element.get_double().value_unsafe());
    case Type::STRING: {
        const std::string_view text = element.get_string().value_unsafe();
        return JSONValue(QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
    case Type::ARRAY: {
        const simdjson::dom::array array = element.get_array().value_unsafe();
        JSONArray elements;
        elements.reserve(array.size());
        for (simdjson::dom::element child : array)
            elements.push_back(fromSimdjson(child, keys));
        return JSONValue(std::move(elements));
    }
    case Type::OBJECT: {
        const simdjson::dom::object object = element.get_object().value_unsafe();
        std::vector<JSONObject::Member> members;
        members.reserve(object.size());
        for (simdjson::dom::key_value_pair field : object)
            members.emplace_back(keys.intern(field.key), fromSimdjson(field.value, keys));
        sortUnique(members);
        return JSONValue(JSONObject::fromSortedMembers(std::move(members)));
    }
    }
    throw JSONError(unsupportedValue);
}

// simdjson refuses integers beyond 64 bits, which a double holds (approximately) well. Written
// with a fraction they read as doubles; a number that still fails is malformed or out of range.
// Only the numbers are touched (never text inside strings), so the document stays as strict
// as simdjson makes it.
QByteArray withLongIntegersAsDecimals(const QByteArray &json)
{
    QByteArray out;
    out.reserve(json.size() + 64);
    const char *p = json.constData();
    const char *const end = p + json.size();
    const auto isNumberByte = [](char c) {
        return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
    };
    while (p != end) {
        const char *q = p + 1;
        if (*p == '"') {
            while (q != end && *q != '"')
                q += *q == '\\' && q + 1 != end ? 2 : 1;
            if (q != end)
                ++q;
            out.append(p, q - p);
        } else if (*p == '-' || (*p >= '0' && *p <= '9')) {
            bool integral = true;
            for (q = p; q != end && isNumberByte(*q); ++q)
                integral = integral && *q != '.' && *q != 'e' && *q != 'E';
            out.append(p, q - p);
            if (integral && q - p > 18)
                out.append(".0", 2);
        } else {
            out.append(*p);
        }
        p = q;
    }
    return out;
}

} // namespace

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The code unit of a \uXXXX escape starting at data[i], or -1.
int escapedUnit(const QByteArray &data, qsizetype i)
{
    if (i + 6 > data.size() || data[i] != '\\' || data[i + 1] != 'u')
        return -1;
    int unit = 0;
    for (qsizetype k = i + 2; k < i + 6; ++k) {
        const int digit = hexValue(data[k]);
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// Python writes file names it could not decode as lone surrogate escapes ("\udc80"), which
// strict readers refuse. Such an escape becomes U+FFFD, so one odd name does not cost the
// whole reply.
QByteArray withLoneSurrogatesReplaced(const QByteArray &json)
{
    QByteArray out;
    out.reserve(json.size());
    for (qsizetype i = 0; i < json.size();) {
        if (json[i] != '\\' || i + 1 >= json.size()) {
            out.append(json[i++]);
            continue;
        }
        const int unit = escapedUnit(json, i);
        if (unit < 0xD800 || unit > 0xDFFF) {
            out.append(json.constData() + i, 2); // any other escape, kept as it is
            i += 2;
            continue;
        }
        const int next = escapedUnit(json, i + 6);
        if (unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            out.append(json.constData() + i, 12); // a proper pair
            i += 12;
            continue;
        }
        out.append("\\ufffd", 6);
        i += 6;
    }
    return out;
}

} // namespace

JSONObject::JSONObject(std::initializer_list<Member> members) : m_members(members)
{
    sortUnique(m_members);
}

JSONObject JSONObject::fromSortedMembers(std::vector<Member> members)
{
    JSONObject object;
    object.m_members = std::move(members);
    return object;
}

void JSONObject::insert(const QString &key, JSONValue value)
{
    auto it = std::lower_bound(m_members.begin(), m_members.end(), key,
                               [](const Member &m, const QString &k) { return m.first < k; });
    if (it != m_members.end() && it->first == key)
        it->second = std::move(value);
    else
        m_members.emplace(it, key, std::move(value));
}

bool JSONObject::remove(const QString &key)
{
    auto it = std::lower_bound(m_members.begin(), m_members.end(), key,
                               [](const Member &m, const QString &k) { return m.first < k; });
    if (it == m_members.end() || it->first != key)
        return false;
    m_members.erase(it);
    return true;
}

const JSONValue *JSONObject::find(const QString &key) const
{
    auto it = std::lower_bound(m_members.begin(), m_members.end(), key,
                               [](const Member &m, const QString &k) { return m.first < k; });
    return it != m_members.end() && it->first == key ? &it->second : nullptr;
}

bool operator==(const JSONObject &a, const JSONObject &b) { return a.m_members == b.m_members; }

JSONValue::JSONValue(JSONObject object)
    : m_value(std::make_shared<const JSONObject>(std::move(object))) {}

JSONValue::JSONValue(JSONArray array)
    : m_value(std::make_shared<const JSONArray>(std::move(array))) {}

const JSONObject *JSONValue::object() const
{
    const ObjectPtr *object = std::get_if<ObjectPtr>(&m_value);
    return object ? object->get() : nullptr;
}

const JSONArray *JSONValue::array() const
{
    const ArrayPtr *array = std::get_if<ArrayPtr>(&m_value);
    return array ? array->get() : nullptr;
}

bool operator==(const JSONValue &a, const JSONValue &b)
{
    if (a.kind() != b.kind())
        return false;
    switch (a.kind()) {
    case JSONValue::Kind::String: return *a.string() == *b.string();
    case JSONValue::Kind::Number: return *a.number() == *b.number();
    case JSONValue::Kind::Bool: return *a.boolean() == *b.boolean();
    case JSONValue::Kind::Object: return *a.object() == *b.object();
    case JSONValue::Kind::Array: return *a.array() == *b.array();
    case JSONValue::Kind::Null: return true;
    }
    return false;
}

QByteArray JSONValue::encode() const
{
    QByteArray out;
    out.reserve(256);
    writeValue(out, *this);
    return out;
}

JSONValue JSONValue::decode(const QByteArray &json)
{
    // One parser per thread keeps its buffers between lines.
    thread_local simdjson::dom::parser parser;
    thread_local KeyInterner keys;
    simdjson::dom::element root;
    auto error = parser.parse(json.constData(), size_t(json.size()), true).get(root);
    if (error == simdjson::NUMBER_ERROR) {
        const QByteArray widened = withLongIntegersAsDecimals(json);
        error = parser.parse(widened.constData(), size_t(widened.size()), true).get(root);
        if (error == simdjson::NUMBER_ERROR)
            throw JSONError(unsupportedValue);
    }
    if (error == simdjson::STRING_ERROR && json.contains("\\u")) {
        const QByteArray repaired = withLoneSurrogatesReplaced(json);
        error = parser.parse(repaired.constData(), size_t(repaired.size()), true).get(root);
    }
    if (error)
        throw JSONError(QStringLiteral("The data is not valid JSON: %1")
                            .arg(QString::fromUtf8(simdjson::error_message(error))));
    return fromSimdjson(root, keys);
}
