#include "../GalleryTestSupport.h"

#include "gallery/SearchProviderService.h"
#include "gallery/SpotlightIndexer.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace GalleryTest;

namespace {

ArtworkItem artwork(const QString &id, const QString &prompt, const QString &model, QStringList tags,
                    const QString &imagePath)
{
    ArtworkItem item;
    item.id = id;
    item.prompt = prompt;
    item.model = model;
    item.tags = tags;
    item.imagePath = imagePath;
    item.width = 2048;
    item.height = 1024;
    item.createdAt = QDateTime::currentDateTimeUtc();
    return item;
}

// Waiting on a future directly may run its task at once on this thread, ahead of queued
// writes; the worker finishes everything in order first.
template<typename T> T resultOf(SpotlightIndexer &indexer, QFuture<T> future)
{
    indexer.waitForIdle();
    return future.result();
}

// A caller on a connection of its own, as the desktop shell is. (QDBusInterface would introspect
// synchronously, which this process could not answer while blocked.)
struct RemoteCaller
{
    QDBusConnection connection;
    QString interface;

    template<typename... Args> QDBusPendingCall operator()(const QString &method, Args &&...args)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(SearchProviderService::serviceName,
                                                              SearchProviderService::objectPath, interface, method);
        message.setArguments({QVariant::fromValue(args)...});
        return connection.asyncCall(message);
    }
};

QDBusMessage finished(const QDBusPendingCall &call)
{
    QDBusPendingCall waiting = call;
    if (!QTest::qWaitFor([&] { return waiting.isFinished(); }, 10000))
        qFatal("no reply over D-Bus");
    return waiting.reply();
}

} // namespace

class SearchProviderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void indexesItemsWithTheirAttributes();
    void reindexingAnIdUpdatesIt();
    void emptyListSubmitsNothing();
    void indexErrorIsLogged();
    void gnomeShellRoundTrip();
    void kRunnerRoundTrip();

private:
    QTemporaryDir m_dir;
    QString m_image;
};

void SearchProviderTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    m_image = writeImage(m_dir.filePath("wide.png"), 2048, 1024);
}

void SearchProviderTest::indexesItemsWithTheirAttributes()
{
    SpotlightIndexer indexer(m_dir.filePath("attributes.sqlite"));
    QSignalSpy indexed(&indexer, &SpotlightIndexer::itemsIndexed);
    indexer.indexItems({artwork("a", "Neon skyline at dusk", "flux-schnell", {"neon", "city"}, m_image),
                        artwork("b", "Quiet forest", "sdxl", {}, m_dir.filePath("missing.png"))});
    QTRY_COMPARE(indexed.count(), 1);
    const QList<SearchableItem> items = resultOf(indexer, indexer.items({"b", "a", "unknown"}));
    QCOMPARE(items.size(), 2);
    const SearchableItem &b = items[0], &a = items[1];
    QCOMPARE(a.domain, QStringLiteral("com.zorbel.pictavia.gallery"));
    QCOMPARE(a.contentType, QStringLiteral("image"));
    QCOMPARE(a.title, QStringLiteral("Neon skyline at dusk"));
    QCOMPARE(a.description, QStringLiteral("neon, city"));
    QCOMPARE(a.creator, QStringLiteral("flux-schnell"));
    QCOMPARE(QImage::fromData(a.thumbnail).size(), QSize(128, 64));
    QCOMPARE(b.description, QString()); // no tags
    QVERIFY(b.thumbnail.isEmpty());      // indexed without a thumbnail
    QCOMPARE(resultOf(indexer, indexer.search({"cit"})), QStringList{"a"});
    QCOMPARE(resultOf(indexer, indexer.search({"SDXL"})), QStringList{"b"});
}

void SearchProviderTest::reindexingAnIdUpdatesIt()
{
    const QString path = m_dir.filePath("update.sqlite");
    {
        SpotlightIndexer indexer(path);
        indexer.indexItems({artwork("a", "Neon skyline", "flux", {}, m_image)});
        indexer.waitForIdle();
    }
    SpotlightIndexer indexer(path); // the index persists
    QCOMPARE(resultOf(indexer, indexer.search({"neon"})), QStringList{"a"});
    indexer.indexItems({artwork("a", "Desert dunes", "flux", {"sand"}, m_image)});
    QCOMPARE(resultOf(indexer, indexer.search({"neon"})), QStringList());
    QCOMPARE(resultOf(indexer, indexer.search({"dunes"})), QStringList{"a"});
    QCOMPARE(resultOf(indexer, indexer.items({"a"})).first().description, QStringLiteral("sand"));
}

void SearchProviderTest::emptyListSubmitsNothing()
{
    const QString path = m_dir.filePath("empty.sqlite");
    SpotlightIndexer indexer(path);
    indexer.indexItems({});
    indexer.waitForIdle();
    QVERIFY(!QFile::exists(path));
}

void SearchProviderTest::indexErrorIsLogged()
{
    QFile blocker(m_dir.filePath("not-a-folder"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SpotlightIndexer indexer(blocker.fileName() + QStringLiteral("/index.sqlite"));
    LogCapture log;
    indexer.indexItems({artwork("a", "p", "m", {}, m_image)});
    indexer.waitForIdle();
    QCOMPARE(log.entries().size(), 1);
    QVERIFY2(log.entries().first().startsWith("[SpotlightIndexer] Index error: "), qPrintable(log.entries().first()));
}

void SearchProviderTest::gnomeShellRoundTrip()
{
    SpotlightIndexer indexer(m_dir.filePath("gnome.sqlite"));
    indexer.indexItems({artwork("a", "Neon skyline", "flux", {"city"}, m_image),
                        artwork("b", "Neon forest", "sdxl", {"trees"}, m_image),
                        artwork("c", "Desert", "flux", {}, m_image)});
    SearchProviderService service(indexer);
    QVERIFY(service.registerOn(QDBusConnection::sessionBus()));
    QSignalSpy open(&service, &SearchProviderService::openItemRequested);
    QSignalSpy launch(&service, &SearchProviderService::searchRequested);

    // A connection of its own, as the desktop shell would be.
    QDBusConnection shell = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "shell");
    RemoteCaller provider{shell, "org.gnome.Shell.SearchProvider2"};

    QDBusPendingReply<QStringList> initial = provider("GetInitialResultSet", QStringList{"neo"});
    finished(initial);
    QVERIFY2(initial.isValid(), qPrintable(initial.error().message()));
    const QStringList initialIds = initial.value();
    QCOMPARE(QSet<QString>(initialIds.begin(), initialIds.end()), (QSet<QString>{"a", "b"}));

    QDBusPendingReply<QStringList> narrowed
        = provider("GetSubsearchResultSet", QStringList{"a", "c"}, QStringList{"neon"});
    finished(narrowed);
    QCOMPARE(narrowed.value(), QStringList{"a"});

    QDBusMessage metasReply = finished(provider("GetResultMetas", QStringList{"a"}));
    QCOMPARE(metasReply.type(), QDBusMessage::ReplyMessage);
    QCOMPARE(metasReply.signature(), QStringLiteral("aa{sv}"));
    const ResultMetas metas = qdbus_cast<ResultMetas>(metasReply.arguments().first());
    QCOMPARE(metas.size(), 1);
    QCOMPARE(metas[0]["id"].toString(), QStringLiteral("a"));
    QCOMPARE(metas[0]["name"].toString(), QStringLiteral("Neon skyline"));
    QVERIFY(metas[0]["description"].toString().contains("city"));
    QCOMPARE(metasReply.arguments().size(), 1);
    const DBusIconData icon = qdbus_cast<DBusIconData>(metas[0]["icon-data"].value<QDBusArgument>());
    QCOMPARE(QSize(icon.width, icon.height), QSize(128, 64));
    QCOMPARE(icon.data.size(), icon.rowStride * icon.height);

    provider("ActivateResult", QString("b"), QStringList{"neon"}, 0u);
    QTRY_COMPARE(open.count(), 1);
    QCOMPARE(open.first().first().toString(), QStringLiteral("b"));
    provider("LaunchSearch", QStringList{"neon", "city"}, 0u);
    QTRY_COMPARE(launch.count(), 1);
    QCOMPARE(launch.first().first().toString(), QStringLiteral("neon city"));

    QDBusConnection::sessionBus().unregisterService(SearchProviderService::serviceName);
    QDBusConnection::sessionBus().unregisterObject(SearchProviderService::objectPath);
    QDBusConnection::disconnectFromBus("shell");
}

void SearchProviderTest::kRunnerRoundTrip()
{
    SpotlightIndexer indexer(m_dir.filePath("krunner.sqlite"));
    indexer.indexItems({artwork("a", "Neon skyline", "flux", {"city"}, m_image),
                        artwork("b", "Desert", "flux", {}, m_image)});
    SearchProviderService service(indexer);
    QVERIFY(service.registerOn(QDBusConnection::sessionBus()));
    QSignalSpy open(&service, &SearchProviderService::openItemRequested);
    QDBusConnection runner = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "krunner");
    RemoteCaller provider{runner, "org.kde.krunner1"};

    QDBusMessage reply = finished(provider("Match", QString("skyl")));
    QCOMPARE(reply.signature(), QStringLiteral("a(sssida{sv})"));
    const KRunnerMatches matches = qdbus_cast<KRunnerMatches>(reply.arguments().first());
    QCOMPARE(matches.size(), 1);
    QCOMPARE(matches[0].id, QStringLiteral("a"));
    QCOMPARE(matches[0].text, QStringLiteral("Neon skyline"));
    QCOMPARE(matches[0].properties["subtext"].toString(), QStringLiteral("flux"));
    QVERIFY(matches[0].relevance > 0);

    QDBusMessage none = finished(provider("Match", QString("volcano")));
    QVERIFY(qdbus_cast<KRunnerMatches>(none.arguments().first()).isEmpty());
    QCOMPARE(finished(provider("Actions")).signature(), QStringLiteral("a(sss)"));

    provider("Run", QString("a"), QString());
    QTRY_COMPARE(open.count(), 1);
    QCOMPARE(open.first().first().toString(), QStringLiteral("a"));
    QDBusConnection::disconnectFromBus("krunner");
}

QTEST_GUILESS_MAIN(SearchProviderTest)
#include "tst_searchprovider.moc"
