#include "GalleryTestSupport.h"

#include "gallery/GalleryStore.h"

#include <QCoro/QCoroTask>
#include <QSignalSpy>
#include <QTest>

using namespace GalleryTest;

namespace {

QStringList ids(const QList<ArtworkItem> &items)
{
    QStringList result;
    for (const ArtworkItem &item : items)
        result.append(item.id);
    return result;
}

const JSONObject *paramsOf(const JSONObject &request)
{
    const JSONValue *params = request.find("params");
    return params ? params->object() : nullptr;
}

JSONObject errorReply(const QString &message)
{
    return JSONObject{{"reply", JSONObject{{"error", JSONObject{{"code", -32000}, {"message", message}}}}}};
}

JSONObject resultReply(const JSONValue &result)
{
    return JSONObject{{"reply", JSONObject{{"result", result}}}};
}

} // namespace

class GalleryStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void pagesFiftyFiftyTwenty();
    void pageIsSortedNewestFirstAndStably();
    void refreshFallsBackToTheFullList();
    void refreshFailureKeepsItemsAndLogs();
    void loadMoreGuards();
    void optimisticEditsRevertById_data();
    void optimisticEditsRevertById();
    void editsOfUnloadedIdsSendNothing();
    void collectionTags();
    void collectionFailureSkipsReload();
    void withoutBackendNothingHappens();
};

void GalleryStoreTest::pagesFiftyFiftyTwenty()
{
    ScriptedBackend backend;
    backend.fake.addReply("get_gallery", pageJSON(itemRange(0, 50), 120, 0));
    backend.fake.addReply("get_gallery", pageJSON(itemRange(50, 50), 120, 50));
    backend.fake.addReply("get_gallery", pageJSON(itemRange(100, 20), 120, 100));
    backend.start();
    GalleryStore store(&backend.backend);
    QSignalSpy refreshed(&store, &GalleryStore::galleryDidRefresh);
    QSignalSpy loading(&store, &GalleryStore::isLoadingChanged);

    QCoro::waitFor(store.refresh());
    QCOMPARE(store.items().size(), 50);
    QCOMPARE(store.currentOffset(), 50);
    QCOMPARE(store.totalCount(), 120);
    QVERIFY(store.hasMore());
    QCOMPARE(refreshed.count(), 1);
    QCOMPARE(ids(refreshed.first().first().value<QList<ArtworkItem>>()), ids(store.items()));
    QCOMPARE(loading.count(), 2);
    QVERIFY(!store.isLoading());

    QCoro::waitFor(store.loadMore());
    QCOMPARE(store.items().size(), 100);
    QVERIFY(store.hasMore());
    QCoro::waitFor(store.loadMore());
    QCOMPARE(store.items().size(), 120);
    QCOMPARE(store.currentOffset(), 120);
    QVERIFY(!store.hasMore());
    QCOMPARE(store.items().last().id, QStringLiteral("i119"));
    QCoro::waitFor(store.loadMore());
    QCOMPARE(refreshed.count(), 1); // paging posts no notification

    const QList<JSONObject> requests = backend.requests("get_gallery");
    QCOMPARE(requests.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(*paramsOf(requests[i])->find("offset"), JSONValue(i * 50));
        QCOMPARE(*paramsOf(requests[i])->find("limit"), JSONValue(50));
    }
}

void GalleryStoreTest::pageIsSortedNewestFirstAndStably()
{
    ScriptedBackend backend;
    // "b" and "c" share an instant and keep their order; "bad" has a fractional-second date and
    // therefore counts as created now.
    backend.fake.addReply("get_gallery",
                          pageJSON({itemJSON("a", "2025-01-01T00:00:00Z"), itemJSON("b", "2025-02-01T10:00:00+02:00"),
                                    itemJSON("c", "2025-02-01T08:00:00Z"), itemJSON("bad", "2025-03-14T09:26:53.123"),
                                    itemJSON("d", "2025-03-01T00:00:00Z")},
                                   5, 0));
    backend.start();
    GalleryStore store(&backend.backend);
    QCoro::waitFor(store.refresh());
    QCOMPARE(ids(store.items()), (QStringList{"bad", "d", "b", "c", "a"}));
    QVERIFY(!store.hasMore());
}

void GalleryStoreTest::refreshFallsBackToTheFullList()
{
    ScriptedBackend backend;
    backend.fake.addError("get_gallery", -32602, "offset not supported");
    backend.fake.addReply("get_gallery", JSONArray{itemJSON("old", "2024-01-01T00:00:00Z"),
                                                   itemJSON("new", "2025-01-01T00:00:00Z", {{"rating", 4}}),
                                                   itemJSON("mid", "2024-06-01T00:00:00Z")});
    backend.start();
    GalleryStore store(&backend.backend);
    QSignalSpy refreshed(&store, &GalleryStore::galleryDidRefresh);
    LogCapture log;

    QCoro::waitFor(store.refresh());
    QCOMPARE(ids(store.items()), (QStringList{"new", "mid", "old"}));
    QCOMPARE(store.items().first().rating, 4);
    QCOMPARE(store.items().last().rating, 0);
    QCOMPARE(store.totalCount(), 3);
    QCOMPARE(store.currentOffset(), 3);
    QVERIFY(!store.hasMore());
    QCOMPARE(refreshed.count(), 1);
    QVERIFY(log.entries().isEmpty()); // the fallback is silent

    const QList<JSONObject> requests = backend.requests("get_gallery");
    QCOMPARE(requests.size(), 2);
    QVERIFY(paramsOf(requests[0]));
    QVERIFY(!requests[1].contains("params"));
}

void GalleryStoreTest::refreshFailureKeepsItemsAndLogs()
{
    ScriptedBackend backend;
    backend.fake.addReply("get_gallery", pageJSON(itemRange(0, 50), 80, 0));
    backend.fake.addError("get_gallery", -32000, "page broke");
    // A full list whose item lacks "prompt" fails its reading.
    JSONObject broken = itemJSON("x", "2025-01-01T00:00:00Z");
    broken.remove("prompt");
    backend.fake.addReply("get_gallery", JSONArray{broken});
    backend.start();
    GalleryStore store(&backend.backend);
    QCoro::waitFor(store.refresh());
    QSignalSpy refreshed(&store, &GalleryStore::galleryDidRefresh);
    LogCapture log;

    QCoro::waitFor(store.refresh());
    QCOMPARE(store.items().size(), 50);
    QCOMPARE(store.currentOffset(), 50); // paging goes on where it was
    QCOMPARE(store.totalCount(), 80);
    QVERIFY(store.hasMore());
    QVERIFY(!store.isLoading());
    QCOMPARE(refreshed.count(), 0);
    QCOMPARE(log.entries().size(), 1);
    QVERIFY2(log.entries().first().startsWith("[GalleryStore] refresh failed: "), qPrintable(log.entries().first()));
    QVERIFY(log.entries().first().contains("prompt"));
}

void GalleryStoreTest::loadMoreGuards()
{
    ScriptedBackend backend;
    backend.fake.addRule("get_gallery", {JSONObject{{"sleep", 0.3}}, resultReply(pageJSON(itemRange(0, 50), 100, 0))});
    backend.fake.addError("get_gallery", -32000, "second page broke");
    backend.start();
    GalleryStore store(&backend.backend);

    QCoro::waitFor(store.loadMore()); // nothing is known to be left before a refresh
    QVERIFY(backend.requests("get_gallery").isEmpty());

    auto refreshing = store.refresh();
    QVERIFY(store.isLoading());
    QCoro::waitFor(store.loadMore()); // ignored while the refresh runs
    QCoro::waitFor(std::move(refreshing));
    QCOMPARE(backend.requests("get_gallery").size(), 1);

    LogCapture log;
    QCoro::waitFor(store.loadMore());
    QCOMPARE(log.entries(), QStringList{"[GalleryStore] loadMore failed: Server error (-32000): second page broke"});
    QCOMPARE(store.items().size(), 50);
    QCOMPARE(store.currentOffset(), 50);
    QVERIFY(store.hasMore());
    QVERIFY(!store.isLoading());
}

void GalleryStoreTest::optimisticEditsRevertById_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("key");
    QTest::addColumn<JSONValue>("sent");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("favourite") << "favorite" << "favorite" << JSONValue(true)
                               << "[GalleryStore] toggleFavorite failed: Server error (-32000): refused";
    QTest::newRow("rating") << "rating" << "rating" << JSONValue(5)
                            << "[GalleryStore] setRating failed: Server error (-32000): refused";
    QTest::newRow("clear rating") << "clearRating" << "rating" << JSONValue(0)
                                  << "[GalleryStore] setRating failed: Server error (-32000): refused";
}

void GalleryStoreTest::optimisticEditsRevertById()
{
    QFETCH(QString, operation);
    QFETCH(QString, key);
    QFETCH(JSONValue, sent);
    QFETCH(QString, logLine);

    ScriptedBackend backend;
    backend.fake.addReply("get_gallery", pageJSON({itemJSON("a", "2025-02-01T00:00:00Z", {{"rating", 3}}),
                                                   itemJSON("b", "2025-01-01T00:00:00Z", {{"rating", 3}})},
                                                  2, 0));
    backend.fake.addReply("update_artwork", JSONValue());
    // The second refresh moves "b" to the front before the refused update's reply arrives.
    backend.fake.addRule("get_gallery",
                         {JSONObject{{"sleep", 0.2}},
                          resultReply(pageJSON({itemJSON("b", "2025-03-01T00:00:00Z", {{"rating", 3}}),
                                                itemJSON("a", "2025-02-01T00:00:00Z", {{"rating", 3}})},
                                               2, 0))});
    backend.fake.addRule("update_artwork", {errorReply("refused")});
    backend.start();
    GalleryStore store(&backend.backend);
    QCoro::waitFor(store.refresh());

    auto edit = [&](const QString &id) {
        if (operation == "favorite")
            return store.toggleFavorite(id);
        return store.setRating(id, operation == "rating" ? 5 : 0);
    };
    auto value = [&](const ArtworkItem &item) {
        return operation == "favorite" ? JSONValue(item.favorite) : JSONValue(item.rating);
    };

    // Accepted: shown at once, sent with the id.
    auto accepted = edit("b");
    QCOMPARE(value(store.items()[1]), sent);
    QCoro::waitFor(std::move(accepted));
    QCOMPARE(value(store.items()[1]), sent);
    const JSONObject expected{{"id", "b"}, {key, sent}};
    QCOMPARE(*paramsOf(backend.requests("update_artwork").at(0)), expected);

    // Refused after the item moved: the revert finds it by id.
    auto refresh = store.refresh();
    LogCapture log;
    QCoro::waitFor(edit("a"));
    QCoro::waitFor(std::move(refresh));
    QCOMPARE(ids(store.items()), (QStringList{"b", "a"}));
    QCOMPARE(value(store.items()[1]), operation == "favorite" ? JSONValue(false) : JSONValue(3));
    QCOMPARE(log.entries(), QStringList{logLine});
}

void GalleryStoreTest::editsOfUnloadedIdsSendNothing()
{
    ScriptedBackend backend;
    backend.fake.addReply("get_gallery", pageJSON({itemJSON("a", "2025-02-01T00:00:00Z")}, 1, 0));
    backend.start();
    GalleryStore store(&backend.backend);
    QCoro::waitFor(store.refresh());
    QCoro::waitFor(store.toggleFavorite("A")); // ids compare exactly
    QCoro::waitFor(store.setRating("zz", 2));
    QCoro::waitFor(store.refreshCollections()); // a request that proves the others were not sent
    QCOMPARE(backend.fake.receivedMethods(), (QStringList{"get_gallery", "list_collections"}));
    QVERIFY(!store.items().first().favorite);
}

void GalleryStoreTest::collectionTags()
{
    ScriptedBackend backend;
    backend.fake.addReply(
        "get_gallery",
        pageJSON({itemJSON("a", "2025-02-01T00:00:00Z", {{"tags", JSONArray{"neon", "collection:Album Covers"}}}),
                  itemJSON("b", "2025-01-01T00:00:00Z",
                           {{"tags", JSONArray{"collection:Singles", "x", "collection:Singles", "y"}}})},
                 2, 0));
    const JSONArray collections{JSONObject{{"name", "Album Covers"}, {"count", 12}},
                                JSONObject{{"name", "Singles"}, {"count", 1}}};
    backend.fake.addRule("list_collections", {resultReply(collections)}, true);
    backend.start();
    GalleryStore store(&backend.backend);
    QCoro::waitFor(store.refresh());
    QSignalSpy collectionsChanged(&store, &GalleryStore::collectionsChanged);

    QCoro::waitFor(store.addToCollection("a", "Album Covers")); // already tagged
    QCOMPARE(store.items()[0].tags, (QStringList{"neon", "collection:Album Covers"}));
    QCoro::waitFor(store.addToCollection("b", "Album Covers"));
    QCOMPARE(store.items()[1].tags.last(), QStringLiteral("collection:Album Covers"));
    QCoro::waitFor(store.removeFromCollection("b", "Singles"));
    QCOMPARE(store.items()[1].tags, (QStringList{"x", "y", "collection:Album Covers"}));
    QCoro::waitFor(store.addToCollection("unloaded", "Singles")); // still reloads the collections

    QCOMPARE(collectionsChanged.count(), 4);
    QCOMPARE(store.collections().size(), 2);
    QCOMPARE(store.collections()[0], (Collection{"Album Covers", 12}));
    QCOMPARE(backend.fake.receivedMethods(),
             (QStringList{"get_gallery", "add_to_collection", "list_collections", "add_to_collection",
                          "list_collections", "remove_from_collection", "list_collections", "add_to_collection",
                          "list_collections"}));
    const JSONObject expected{{"item_id", "b"}, {"collection", "Singles"}};
    QCOMPARE(*paramsOf(backend.requests("remove_from_collection").at(0)), expected);
}

void GalleryStoreTest::collectionFailureSkipsReload()
{
    ScriptedBackend backend;
    backend.fake.addReply("list_collections", JSONArray{JSONObject{{"name", "Keep"}, {"count", 1}}});
    backend.fake.addError("add_to_collection", -32000, "no such item");
    backend.fake.addError("remove_from_collection", -32000, "no such item");
    backend.fake.addError("list_collections", -32000, "db locked");
    backend.start();
    GalleryStore store(&backend.backend);
    QCoro::waitFor(store.refreshCollections());
    LogCapture log;
    QCoro::waitFor(store.addToCollection("a", "Keep"));
    QCoro::waitFor(store.removeFromCollection("a", "Keep"));
    QCoro::waitFor(store.refreshCollections());
    QCOMPARE(log.entries(),
             (QStringList{"[GalleryStore] addToCollection failed: Server error (-32000): no such item",
                          "[GalleryStore] removeFromCollection failed: Server error (-32000): no such item",
                          "[GalleryStore] refreshCollections failed: Server error (-32000): db locked"}));
    QCOMPARE(store.collections(), (QList<Collection>{{"Keep", 1}}));
    QCOMPARE(backend.fake.receivedMethods(),
             (QStringList{"list_collections", "add_to_collection", "remove_from_collection", "list_collections"}));
}

void GalleryStoreTest::withoutBackendNothingHappens()
{
    GalleryStore store;
    {
        auto backend = std::make_unique<BackendViewModel>();
        store.setBackend(backend.get());
    } // gone: the store held it weakly
    QSignalSpy loading(&store, &GalleryStore::isLoadingChanged);
    LogCapture log;
    QCoro::waitFor(store.refresh());
    QCoro::waitFor(store.refreshCollections());
    QCoro::waitFor(store.addToCollection("a", "b"));
    QCOMPARE(loading.count(), 0);
    QVERIFY(log.entries().isEmpty());
    QVERIFY(!store.backend());
}

QTEST_GUILESS_MAIN(GalleryStoreTest)
#include "tst_gallerystore.moc"
