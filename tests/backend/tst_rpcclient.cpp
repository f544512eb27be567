#include "backend/RPCClient.h"
#include "support/FakeBackend.h"
#include "support/SendOutcome.h"

#include <QtTest>

#include <QCoro/QCoroTimer>

using Kind = RPCClientError::Kind;

namespace {

JSONObject reply(const JSONValue &result) { return JSONObject{{"reply", JSONObject{{"result", result}}}}; }
JSONObject raw(const QString &text) { return JSONObject{{"raw", text}}; }
JSONObject sleepFor(double seconds) { return JSONObject{{"sleep", seconds}}; }
QString replyLine(const QString &id, const QString &result)
{
    return QStringLiteral(R"({"jsonrpc":"2.0","id":"%1","result":%2})").arg(id, result) + u'\n';
}

std::unique_ptr<JSONRPCClient> startedClient(FakeBackend &fake, QMap<QString, QString> extra = {})
{
    QMap<QString, QString> environment = fake.environment();
    environment.insert(extra);
    auto client = std::make_unique<JSONRPCClient>(fake.pythonPath(), "artwork.rpc_server", environment);
    client->start();
    return client;
}

} // namespace

class RPCClientTest : public QObject
{
    Q_OBJECT

private slots:
    void answersRequestsAcrossChunkShapes_data();
    void answersRequestsAcrossChunkShapes();
    void deliversTwoRepliesInOneChunkInOrder();
    void logsUndecodableLinesAndKeepsWaiting_data();
    void logsUndecodableLinesAndKeepsWaiting();
    void replyWithErrorFailsWithServerError();
    void timesOutAndDropsTheLateReply();
    void endOfOutputFailsWaitingRequests_data();
    void endOfOutputFailsWaitingRequests();
    void writeToExitedChildIsAnErrorNotACrash();
    void stopFailsWaitingRequestsAndLaterSends();
    void startTwiceLaunchesOneChild();
    void requestsCarryFreshUuidsAndExactParams();
    void environmentMergesWithBytecodeOff();
    void forwardsStandardErrorPerChunk();
    void routesProgressBeforeTheReply();
    void ignoresProgressWithoutParamsOrHandler();
    void decodesLargeRepliesInOrderOffTheMainThread();
    void destroyingTheClientFailsWaitingRequests();
};

void RPCClientTest::answersRequestsAcrossChunkShapes_data()
{
    QTest::addColumn<JSONArray>("actions");
    const QString line = replyLine("{id}", R"({"ok":true})");
    QTest::newRow("one line") << JSONArray{raw(line)};
    QTest::newRow("split over three chunks")
        << JSONArray{JSONObject{{"chunks", JSONArray{line.left(10), line.mid(10, 20), line.mid(30)}}, {"delay", 0.05}}};
    QTest::newRow("blank lines around") << JSONArray{raw("\n\n" + line + "\n")};
    QTest::newRow("carriage return before line feed") << JSONArray{raw(line.chopped(1) + "\r\n")};
    QTest::newRow("reply for an unknown id first")
        << JSONArray{raw(replyLine("NOT-A-REQUEST", "1") + R"({"jsonrpc":"2.0","result":2})" + "\n" + line)};
    QTest::newRow("other notification first")
        << JSONArray{raw(R"({"jsonrpc":"2.0","method":"log","params":{"x":1}})" "\n" + line)};
}

void RPCClientTest::answersRequestsAcrossChunkShapes()
{
    QFETCH(JSONArray, actions);
    FakeBackend fake;
    fake.addRule("ping", actions);
    LogCapture log;
    auto client = startedClient(fake);
    const SendOutcome outcome = sendAndWait(*client, "ping");
    QVERIFY2(outcome.response, outcome.error ? qPrintable(outcome.error->description()) : "no response");
    QVERIFY(*outcome.response->result == JSONValue(JSONObject{{"ok", true}}));
    QCOMPARE(log.entries(), QStringList());
}

void RPCClientTest::deliversTwoRepliesInOneChunkInOrder()
{
    FakeBackend fake;
    fake.addRule("first", {});
    fake.addRule("second", {raw(replyLine("{prev}", "1") + replyLine("{id}", "2"))});
    auto client = startedClient(fake);
    std::vector<int> order;
    auto record = [&order](QCoro::Task<SendOutcome> task, int tag) -> QCoro::Task<SendOutcome> {
        SendOutcome outcome = co_await task;
        order.push_back(tag);
        co_return outcome;
    };
    auto first = record(sendCapturing(client.get(), "first", std::nullopt, 10), 1);
    auto second = record(sendCapturing(client.get(), "second", std::nullopt, 10), 2);
    const SendOutcome a = QCoro::waitFor(first);
    const SendOutcome b = QCoro::waitFor(second);
    QVERIFY(a.response && b.response);
    QVERIFY(*a.response->result == JSONValue(1.0));
    QVERIFY(*b.response->result == JSONValue(2.0));
    QCOMPARE(order, (std::vector<int>{1, 2}));
}

void RPCClientTest::logsUndecodableLinesAndKeepsWaiting_data()
{
    QTest::addColumn<JSONValue>("stray");
    QTest::addColumn<QString>("rawEntry");
    QTest::newRow("diagnostic text") << JSONValue(raw("Loading model...\n")) << "[RPCClient] Raw line: Loading model...";
    QTest::newRow("numeric id") << JSONValue(raw(R"({"jsonrpc":"2.0","id":7,"result":1})" "\n"))
                                << R"([RPCClient] Raw line: {"jsonrpc":"2.0","id":7,"result":1})";
    QTest::newRow("invalid UTF-8") << JSONValue(JSONObject{{"raw_hex", "ff fe 0a"}}) << "[RPCClient] Raw line: <non-utf8 data>";
}

void RPCClientTest::logsUndecodableLinesAndKeepsWaiting()
{
    QFETCH(JSONValue, stray);
    QFETCH(QString, rawEntry);
    FakeBackend fake;
    fake.addRule("ping", {stray, reply("pong")});
    LogCapture log;
    auto client = startedClient(fake);
    const SendOutcome outcome = sendAndWait(*client, "ping");
    QVERIFY(outcome.response);
    const QStringList entries = log.entries();
    QCOMPARE(entries.size(), 2);
    QVERIFY(entries[0].startsWith("[RPCClient] Failed to decode response: "));
    QCOMPARE(entries[1], rawEntry);
}

void RPCClientTest::replyWithErrorFailsWithServerError()
{
    FakeBackend fake;
    fake.addRule("generate_image",
                 {raw(R"({"jsonrpc":"2.0","id":"{id}","result":{"a":1},"error":{"code":-32000,"message":"boom",)"
                      R"("data":{"detail":"no weights","fix":"install them"}}})" "\n")});
    auto client = startedClient(fake);
    const SendOutcome outcome = sendAndWait(*client, "generate_image");
    QVERIFY(outcome.failedWith(Kind::ServerError));
    QCOMPARE(outcome.error->description(),
             "Server error (-32000): boom\nDetail: no weights\nSuggested fix: install them");
}

void RPCClientTest::timesOutAndDropsTheLateReply()
{
    FakeBackend fake;
    fake.addRule("slow", {sleepFor(0.4), reply("late")});
    LogCapture log;
    auto client = startedClient(fake);
    QVERIFY(sendAndWait(*client, "slow", std::nullopt, 0.1).failedWith(Kind::Timeout));
    // The late reply arrives while this one waits; it must not be taken for this one's answer.
    const SendOutcome next = sendAndWait(*client, "ping");
    QVERIFY(next.response);
    QCOMPARE(next.response->result->object()->find("method")->string()->toStdString(), "ping");
    QCOMPARE(log.entries(), QStringList());
}

void RPCClientTest::endOfOutputFailsWaitingRequests_data()
{
    QTest::addColumn<JSONArray>("actions");
    QTest::newRow("partial line then end of output")
        << JSONArray{raw(R"({"jsonrpc":"2.0","id":"{id}","result":1})"), JSONObject{{"exit", 0}}};
    QTest::newRow("exit mid-request") << JSONArray{JSONObject{{"exit", 3}}};
    QTest::newRow("output closed, child still running")
        << JSONArray{raw(R"({"jsonrpc":"2.0","id":"{id}")"), JSONObject{{"close_stdout", true}}, sleepFor(5)};
}

void RPCClientTest::endOfOutputFailsWaitingRequests()
{
    QFETCH(JSONArray, actions);
    FakeBackend fake;
    fake.addRule("generate_image", actions);
    LogCapture log;
    auto client = startedClient(fake);
    const SendOutcome outcome = sendAndWait(*client, "generate_image", std::nullopt, 30);
    QVERIFY(outcome.failedWith(Kind::ProcessNotRunning));
    QCOMPARE(outcome.error->description(), "Python backend is not running.");
    QVERIFY(log.contains("[RPCClient] Backend stdout closed (EOF)."));
    QVERIFY(client->isRunning()); // end of output alone does not stop the client
}

void RPCClientTest::writeToExitedChildIsAnErrorNotACrash()
{
    FakeBackend fake;
    fake.addRule("quit", {JSONObject{{"exit", 0}}});
    auto client = startedClient(fake);
    QVERIFY(sendAndWait(*client, "quit").failedWith(Kind::ProcessNotRunning));
    QTRY_VERIFY(sendAndWait(*client, "ping", std::nullopt, 0.5).failedWith(Kind::PipeWriteFailure));
}

void RPCClientTest::stopFailsWaitingRequestsAndLaterSends()
{
    FakeBackend fake;
    fake.addRule("generate_image", {sleepFor(30)});
    auto client = startedClient(fake);
    auto waiting = sendCapturing(client.get(), "generate_image", std::nullopt, 600);
    QTRY_COMPARE(fake.receivedMethods(), QStringList{"generate_image"});
    client->stop();
    QVERIFY(QCoro::waitFor(waiting).failedWith(Kind::ProcessNotRunning));
    QVERIFY(!client->isRunning());
    QVERIFY(sendAndWait(*client, "ping").failedWith(Kind::ProcessNotRunning));
    QCOMPARE(fake.receivedMethods(), QStringList{"generate_image"});
}

void RPCClientTest::startTwiceLaunchesOneChild()
{
    FakeBackend fake;
    auto client = startedClient(fake);
    client->start();
    QVERIFY(sendAndWait(*client, "ping").response);
    QCOMPARE(fake.startCount(), 1);
}

void RPCClientTest::requestsCarryFreshUuidsAndExactParams()
{
    FakeBackend fake;
    auto client = startedClient(fake);
    QVERIFY(sendAndWait(*client, "ping").response);
    QVERIFY(sendAndWait(*client, "get_gallery", JSONObject{{"offset", 0.0}, {"limit", 50.0}}).response);
    const QByteArray received = fake.receivedBytes();
    QVERIFY(received.contains(R"("params":{"limit":50,"offset":0})"));
    const QList<JSONValue> requests = fake.receivedRequests();
    QCOMPARE(requests.size(), 2);
    QVERIFY(!requests[0].object()->contains("params"));
    const QRegularExpression uuid("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    const QString first = *requests[0].object()->find("id")->string();
    const QString second = *requests[1].object()->find("id")->string();
    QVERIFY(uuid.match(first).hasMatch());
    QVERIFY(uuid.match(second).hasMatch());
    QVERIFY(first != second);
    QCOMPARE(*requests[0].object()->find("jsonrpc")->string(), "2.0");
}

void RPCClientTest::environmentMergesWithBytecodeOff()
{
    qputenv("PICTAVIA_TEST_INHERITED", "parent");
    qputenv("PICTAVIA_TEST_OVERRIDDEN", "parent");
    FakeBackend fake;
    auto client = startedClient(fake, {{"PICTAVIA_TEST_OVERRIDDEN", "given"}, {"PYTHONDONTWRITEBYTECODE", "0"}});
    QVERIFY(sendAndWait(*client, "ping").response);
    const JSONObject environment = fake.childEnvironment();
    QCOMPARE(*environment.find("PICTAVIA_TEST_INHERITED")->string(), "parent");
    QCOMPARE(*environment.find("PICTAVIA_TEST_OVERRIDDEN")->string(), "given");
    QCOMPARE(*environment.find("PYTHONDONTWRITEBYTECODE")->string(), "1");
}

void RPCClientTest::forwardsStandardErrorPerChunk()
{
    FakeBackend fake;
    fake.addRule("ping", {JSONObject{{"stderr", "one\ntwo\n"}}, sleepFor(0.2), reply(true)});
    LogCapture log;
    auto client = startedClient(fake);
    QVERIFY(sendAndWait(*client, "ping").response);
    QTRY_COMPARE(log.entries(), QStringList{"[Backend stderr] one\ntwo\n"});
}

void RPCClientTest::routesProgressBeforeTheReply()
{
    FakeBackend fake;
    const QString progress = R"({"jsonrpc":"2.0","method":"progress","params":{"id":"j","stage":"denoise","percent":%1,"message":"Step %1"}})";
    fake.addRule("generate_image", {raw(progress.arg(25) + "\n" + progress.arg(75) + "\n" + replyLine("{id}", "{}"))});
    QMap<QString, QString> environment = fake.environment();
    JSONRPCClient client(fake.pythonPath(), "artwork.rpc_server", environment);
    QStringList events;
    client.setProgressHandler([&events](const ArtworkProgress &p) { events << QString::number(p.percent) + " " + p.message; });
    client.start();
    auto task = [](JSONRPCClient *c, QStringList *events) -> QCoro::Task<> {
        co_await c->send("generate_image", std::nullopt, 30);
        events->append("reply");
    }(&client, &events);
    QCoro::waitFor(task);
    QCOMPARE(events, (QStringList{"25 Step 25", "75 Step 75", "reply"}));
}

void RPCClientTest::ignoresProgressWithoutParamsOrHandler()
{
    FakeBackend fake;
    fake.addRule("generate_image", {raw(R"({"jsonrpc":"2.0","method":"progress"})" "\n"
                                        R"({"jsonrpc":"2.0","method":"progress","params":{"stage":"s","percent":1}})" "\n"),
                                    reply(1)});
    LogCapture log;
    auto client = startedClient(fake);
    int calls = 0;
    client->setProgressHandler([&calls](const ArtworkProgress &) { ++calls; });
    QVERIFY(sendAndWait(*client, "generate_image").response);
    QCoreApplication::processEvents();
    QCOMPARE(calls, 0);
    QCOMPARE(log.entries(), QStringList()); // both fall through as responses without id
}

void RPCClientTest::decodesLargeRepliesInOrderOffTheMainThread()
{
    const QString big = QString(R"({"items":["%1"]})").arg(QString(JSONRPCClient::offThreadDecodeThreshold * 2, u'x'));
    FakeBackend fake;
    fake.addRule("get_gallery", {});
    fake.addRule("ping", {raw(replyLine("{prev}", big) + replyLine("{id}", R"("small")"))});
    auto client = startedClient(fake);
    auto large = sendCapturing(client.get(), "get_gallery", std::nullopt, 30);
    auto small = sendCapturing(client.get(), "ping", std::nullopt, 30);
    const SendOutcome a = QCoro::waitFor(large);
    const SendOutcome b = QCoro::waitFor(small);
    QVERIFY(a.response && b.response);
    QCOMPARE(a.response->result->object()->find("items")->array()->at(0).string()->size(),
             JSONRPCClient::offThreadDecodeThreshold * 2);
    QVERIFY(*b.response->result == JSONValue("small"));
}

void RPCClientTest::destroyingTheClientFailsWaitingRequests()
{
    FakeBackend fake;
    fake.addRule("generate_image", {sleepFor(30)});
    auto client = startedClient(fake);
    auto waiting = sendCapturing(client.get(), "generate_image", std::nullopt, 600);
    QTRY_COMPARE(fake.receivedMethods(), QStringList{"generate_image"});
    client.reset();
    QVERIFY(QCoro::waitFor(waiting).failedWith(Kind::ProcessNotRunning));
}

QTEST_GUILESS_MAIN(RPCClientTest)
#include "tst_rpcclient.moc"
