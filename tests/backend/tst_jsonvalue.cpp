#include "backend/BackendRecords.h"
#include "backend/JSONValue.h"
#include "backend/RPCModels.h"

#include <QtTest>

Q_DECLARE_METATYPE(JSONValue)

class JSONValueTest : public QObject
{
    Q_OBJECT

private slots:
    void decodesEachCase_data();
    void decodesEachCase();
    void rejectsUnsupportedAndMalformed_data();
    void rejectsUnsupportedAndMalformed();
    void encodesCompactly_data();
    void encodesCompactly();
    void roundTripsNestedValues();
    void objectsCompareAsMaps();
    void requestOmitsAbsentParams();
    void decodesResponses_data();
    void decodesResponses();
    void decodesProgress_data();
    void decodesProgress();
    void describesClientErrors_data();
    void describesClientErrors();
    void readsRecords_data();
    void readsRecords();
};

void JSONValueTest::decodesEachCase_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<JSONValue>("expected");
    QTest::newRow("true is a bool") << QByteArray("true") << JSONValue(true);
    QTest::newRow("1 is a number") << QByteArray("1") << JSONValue(1.0);
    QTest::newRow("\"1\" is a string") << QByteArray("\"1\"") << JSONValue("1");
    QTest::newRow("null") << QByteArray("null") << JSONValue();
    QTest::newRow("negative fraction") << QByteArray("-2.5e1") << JSONValue(-25.0);
    QTest::newRow("unsigned 64-bit") << QByteArray("18446744073709551615") << JSONValue(18446744073709551615.0);
    QTest::newRow("integer beyond 64 bits still fits a double")
        << QByteArray("123456789012345678901234567890") << JSONValue(123456789012345678901234567890.0);
    QTest::newRow("escapes and unicode") << QByteArray(R"("a\nb\u00e9\ud83c\udfa8")")
                                         << JSONValue(QStringLiteral("a\nb\u00e9\U0001F3A8"));
    QTest::newRow("object with mixed array")
        << QByteArray(R"({"a":1,"b":[true,null,"x"]})")
        << JSONValue(JSONObject{{"a", 1.0}, {"b", JSONArray{true, JSONValue(), "x"}}});
    QTest::newRow("lone surrogate escape becomes U+FFFD")
        << QByteArray(R"(["a\udc80b","\ud83c","\\udc80","\ud83c\udfa8"])")
        << JSONValue(JSONArray{QStringLiteral("a\uFFFDb"), QStringLiteral("\uFFFD"), QStringLiteral("\\udc80"),
                               QStringLiteral("\U0001F3A8")});
    QTest::newRow("duplicate key: last wins") << QByteArray(R"({"a":1,"a":2})") << JSONValue(JSONObject{{"a", 2.0}});
}

void JSONValueTest::decodesEachCase()
{
    QFETCH(QByteArray, json);
    QFETCH(JSONValue, expected);
    const JSONValue decoded = JSONValue::decode(json);
    QCOMPARE(decoded.kind(), expected.kind());
    QVERIFY(decoded == expected);
}

void JSONValueTest::rejectsUnsupportedAndMalformed_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("description");
    QTest::newRow("number too large for a double") << QByteArray("1e400") << "Unsupported JSON value";
    QTest::newRow("too large inside an object") << QByteArray(R"({"a":[1e999]})") << "Unsupported JSON value";
    QTest::newRow("truncated") << QByteArray(R"({"a":)") << "";
    QTest::newRow("not json") << QByteArray("Loading model...") << "";
    QTest::newRow("empty") << QByteArray("") << "";
}

void JSONValueTest::rejectsUnsupportedAndMalformed()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, description);
    try {
        JSONValue::decode(json);
        QFAIL("decoding should fail");
    } catch (const JSONError &error) {
        if (!description.isEmpty())
            QCOMPARE(error.description(), description);
        QVERIFY(!error.description().isEmpty());
    }
}

void JSONValueTest::encodesCompactly_data()
{
    QTest::addColumn<JSONValue>("value");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("integral number without fraction") << JSONValue(512.0) << QByteArray("512");
    QTest::newRow("negative integral") << JSONValue(-3.0) << QByteArray("-3");
    QTest::newRow("fraction") << JSONValue(0.75) << QByteArray("0.75");
    QTest::newRow("large seed stays integral") << JSONValue(4294967295.0) << QByteArray("4294967295");
    QTest::newRow("line feed escaped") << JSONValue("a\nb") << QByteArray(R"("a\nb")");
    QTest::newRow("quotes, backslash, control")
        << JSONValue(QStringLiteral("\"\\\t\x01")) << QByteArray(R"("\"\\\t\u0001")");
    QTest::newRow("unicode as UTF-8") << JSONValue(QStringLiteral("é")) << QByteArray("\"\xc3\xa9\"");
    QTest::newRow("empty containers") << JSONValue(JSONArray{JSONObject{}, JSONArray{}}) << QByteArray("[{},[]]");
    QTest::newRow("object without spaces")
        << JSONValue(JSONObject{{"b", false}, {"a", JSONValue()}}) << QByteArray(R"({"a":null,"b":false})");
}

void JSONValueTest::encodesCompactly()
{
    QFETCH(JSONValue, value);
    QFETCH(QByteArray, json);
    QCOMPARE(value.encode(), json);
    QVERIFY(!value.encode().contains('\n'));
}

void JSONValueTest::roundTripsNestedValues()
{
    const QByteArray json = R"({"a":1,"b":[true,null,"x"],"c":{"d":-0.5,"e":"line\nfeed"}})";
    const JSONValue value = JSONValue::decode(json);
    QVERIFY(JSONValue::decode(value.encode()) == value);
    QVERIFY_THROWS_EXCEPTION(JSONError, JSONValue(std::nan("")).encode());
}

void JSONValueTest::objectsCompareAsMaps()
{
    QVERIFY(JSONValue::decode(R"({"a":1,"b":2})") == JSONValue::decode(R"({"b":2,"a":1})"));
    QVERIFY(JSONValue::decode("[1,2]") != JSONValue::decode("[2,1]"));
    QVERIFY(JSONValue(1.0) != JSONValue(true));
    QVERIFY(JSONValue("1") != JSONValue(1.0));
}

void JSONValueTest::requestOmitsAbsentParams()
{
    RPCRequest request;
    request.id = "A";
    request.method = "ping";
    QCOMPARE(request.toJSON().encode(), QByteArray(R"({"id":"A","jsonrpc":"2.0","method":"ping"})"));
    request.params = JSONObject{{"offset", 0.0}};
    QVERIFY(request.toJSON().encode().contains(R"("params":{"offset":0})"));
}

void JSONValueTest::decodesResponses_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("decodes");
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("hasResult");
    QTest::addColumn<bool>("hasError");
    QTest::newRow("null result reads as absent") << QByteArray(R"({"jsonrpc":"2.0","id":"A","result":null})")
                                                 << true << "A" << false << false;
    QTest::newRow("numeric id fails") << QByteArray(R"({"jsonrpc":"2.0","id":7,"result":1})") << false << "" << false
                                      << false;
    QTest::newRow("missing jsonrpc fails") << QByteArray(R"({"id":"A","result":1})") << false << "" << false << false;
    QTest::newRow("null id is no id") << QByteArray(R"({"jsonrpc":"2.0","id":null,"result":1})") << true << ""
                                      << true << false;
    QTest::newRow("error payload") << QByteArray(R"({"jsonrpc":"2.0","id":"B","error":{"code":-32601,"message":"x"}})")
                                   << true << "B" << false << true;
    QTest::newRow("error without message fails")
        << QByteArray(R"({"jsonrpc":"2.0","id":"B","error":{"code":1}})") << false << "" << false << false;
}

void JSONValueTest::decodesResponses()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, decodes);
    try {
        const RPCResponse response = RPCResponse::fromJSON(JSONValue::decode(json));
        QVERIFY(decodes);
        QFETCH(QString, id);
        QFETCH(bool, hasResult);
        QFETCH(bool, hasError);
        QCOMPARE(response.id.value_or(QString()), id);
        QCOMPARE(response.result.has_value(), hasResult);
        QCOMPARE(response.error.has_value(), hasError);
    } catch (const JSONError &) {
        QVERIFY(!decodes);
    }
}

void JSONValueTest::decodesProgress_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("decodes");
    QTest::newRow("complete") << QByteArray(
        R"({"jsonrpc":"2.0","method":"progress","params":{"stage":"s","percent":40.5,"message":"m"}})") << true;
    QTest::newRow("without params") << QByteArray(R"({"jsonrpc":"2.0","method":"progress"})") << true;
    QTest::newRow("params lack message")
        << QByteArray(R"({"jsonrpc":"2.0","method":"progress","params":{"stage":"s","percent":1}})") << false;
    QTest::newRow("percent as text")
        << QByteArray(R"({"jsonrpc":"2.0","method":"progress","params":{"stage":"s","percent":"1","message":"m"}})")
        << false;
}

void JSONValueTest::decodesProgress()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, decodes);
    bool decoded = true;
    try {
        ProgressNotification::fromJSON(JSONValue::decode(json));
    } catch (const JSONError &) {
        decoded = false;
    }
    QCOMPARE(decoded, decodes);
}

void JSONValueTest::describesClientErrors_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<JSONValue>("data");
    QTest::addColumn<QString>("description");
    const JSONValue none = JSONObject{{"absent", true}};
    QTest::newRow("detail and fix") << "server" << JSONValue(JSONObject{{"detail", "D"}, {"fix", "F"}})
                                    << "Server error (7): M\nDetail: D\nSuggested fix: F";
    QTest::newRow("empty detail omitted") << "server" << JSONValue(JSONObject{{"detail", ""}, {"fix", "F"}})
                                          << "Server error (7): M\nSuggested fix: F";
    QTest::newRow("data is text") << "server" << JSONValue("D") << "Server error (7): M";
    QTest::newRow("detail of another type") << "server" << JSONValue(JSONObject{{"detail", 3.0}})
                                            << "Server error (7): M";
    QTest::newRow("no data") << "server-nodata" << JSONValue() << "Server error (7): M";
    QTest::newRow("pipe") << "pipe" << JSONValue() << "Failed to write to backend pipe: Broken pipe";
    QTest::newRow("not running") << "notRunning" << JSONValue() << "Python backend is not running.";
    QTest::newRow("timeout") << "timeout" << JSONValue() << "Backend request timed out.";
    QTest::newRow("invalid") << "invalid" << JSONValue() << "Invalid response from backend.";
}

void JSONValueTest::describesClientErrors()
{
    QFETCH(QString, kind);
    QFETCH(JSONValue, data);
    QFETCH(QString, description);
    auto make = [&]() -> RPCClientError {
        if (kind == "server")
            return RPCClientError::serverError({7, "M", data});
        if (kind == "server-nodata")
            return RPCClientError::serverError({7, "M", std::nullopt});
        if (kind == "pipe")
            return RPCClientError::pipeWriteFailure("Broken pipe");
        if (kind == "notRunning")
            return RPCClientError::processNotRunning();
        if (kind == "timeout")
            return RPCClientError::timeout();
        return RPCClientError::invalidResponse();
    };
    const RPCClientError error = make();
    QCOMPARE(error.description(), description);
    QCOMPARE(QString::fromUtf8(error.what()), description);
}

void JSONValueTest::readsRecords_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("decodes");
    QTest::newRow("generation result") << QByteArray(
        R"({"image_path":"/a.png","prompt":"p","model":"m","width":512,"height":768,"seed":42,"generation_time":1.5})")
                                       << true;
    QTest::newRow("fractional width fails")
        << QByteArray(R"({"image_path":"/a.png","prompt":"p","model":"m","width":512.5,"height":768})") << false;
    QTest::newRow("missing image_path fails")
        << QByteArray(R"({"prompt":"p","model":"m","width":512,"height":768})") << false;
    QTest::newRow("null optional fields")
        << QByteArray(R"({"image_path":"/a.png","prompt":"p","model":"m","width":1,"height":1,"seed":null})") << true;
}

void JSONValueTest::readsRecords()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, decodes);
    try {
        const GenerationResultData result = GenerationResultData::fromJSON(JSONValue::decode(json));
        QVERIFY(decodes);
        QCOMPARE(GenerationResultData::fromJSON(result.toJSON()), result);
    } catch (const JSONError &error) {
        QVERIFY2(!decodes, qPrintable(error.description()));
    }
}

QTEST_GUILESS_MAIN(JSONValueTest)
#include "tst_jsonvalue.moc"
