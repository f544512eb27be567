#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <stdexcept>
#include <utility>
#include <variant>
#include <vector>

class JSONValue;

// An object's members, kept sorted by key with unique keys, so that equality is map equality
// and lookups are binary searches.
class JSONObject
{
public:
    using Member = std::pair<QString, JSONValue>;

    JSONObject() = default;
    JSONObject(std::initializer_list<Member> members);

    // Sets or replaces the member under key.
    void insert(const QString &key, JSONValue value);
    bool remove(const QString &key);
    const JSONValue *find(const QString &key) const;
    bool contains(const QString &key) const { return find(key) != nullptr; }
    // Defined below JSONValue: clang needs the member type complete to compile them.
    bool isEmpty() const;
    qsizetype size() const;

    using const_iterator = std::vector<Member>::const_iterator;
    const_iterator begin() const;
    const_iterator end() const;

    friend bool operator==(const JSONObject &a, const JSONObject &b);

    // For decoders that already hold members sorted by key and without duplicates.
    static JSONObject fromSortedMembers(std::vector<Member> members);

private:
    std::vector<Member> m_members;
};

using JSONArray = std::vector<JSONValue>;

// A JSON value with exactly six cases. Numbers are doubles; objects and arrays are shared and
// immutable, so copies are cheap.
class JSONValue
{
public:
    enum class Kind { String, Number, Bool, Object, Array, Null };

    JSONValue() = default; // null
    JSONValue(std::nullptr_t) {}
    JSONValue(const QString &text) : m_value(text) {}
    JSONValue(QString &&text) : m_value(std::move(text)) {}
    JSONValue(const char *text) : m_value(QString::fromUtf8(text)) {}
    JSONValue(double number) : m_value(number) {}
    JSONValue(int number) : m_value(double(number)) {}
    JSONValue(qint64 number) : m_value(double(number)) {}
    JSONValue(bool flag) : m_value(flag) {}
    JSONValue(JSONObject object);
    JSONValue(JSONArray array);

    Kind kind() const { return Kind(m_value.index()); }
    bool isNull() const { return kind() == Kind::Null; }

    // Case inspection: each returns the payload when the value holds that case, else nullptr.
    const QString *string() const { return std::get_if<QString>(&m_value); }
    const double *number() const { return std::get_if<double>(&m_value); }
    const bool *boolean() const { return std::get_if<bool>(&m_value); }
    const JSONObject *object() const;
    const JSONArray *array() const;

    friend bool operator==(const JSONValue &a, const JSONValue &b);

    // Compact JSON text (UTF-8). Integral numbers are written without a fraction; line feeds
    // and other control characters in strings are escaped. Throws JSONError for NaN or infinity.
    QByteArray encode() const;
    // Parses JSON text. Throws JSONError ("Unsupported JSON value" for a number that does not
    // fit a double, or the parser's reason for malformed text).
    static JSONValue decode(const QByteArray &json);

private:
    using ObjectPtr = std::shared_ptr<const JSONObject>;
    using ArrayPtr = std::shared_ptr<const JSONArray>;
    // Order matches Kind.
    std::variant<QString, double, bool, ObjectPtr, ArrayPtr, std::monostate> m_value{std::monostate{}};
};

inline bool operator!=(const JSONValue &a, const JSONValue &b) { return !(a == b); }

inline bool JSONObject::isEmpty() const { return m_members.empty(); }
inline qsizetype JSONObject::size() const { return qsizetype(m_members.size()); }
inline JSONObject::const_iterator JSONObject::begin() const { return m_members.begin(); }
inline JSONObject::const_iterator JSONObject::end() const { return m_members.end(); }

// Malformed JSON text, an unsupported value, or a record that does not have the expected shape.
class JSONError : public std::runtime_error
{
public:
    explicit JSONError(const QString &description)
        : std::runtime_error(description.toStdString()), m_description(description) {}
    QString description() const { return m_description; }

private:
    QString m_description;
};
