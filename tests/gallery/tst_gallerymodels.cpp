#include "gallery/GalleryModels.h"
#include "gallery/GalleryStore.h"

#include <QTest>

Q_DECLARE_METATYPE(JSONValue)

namespace {

JSONObject minimalItem()
{
    return {{"id", "a"}, {"image_path", "/a.png"}, {"prompt", "p"}, {"model", "m"}, {"width", 1024}, {"height", 768}};
}

} // namespace

class GalleryModelsTest : public QObject
{
    Q_OBJECT

private slots:
    void dateRule_data();
    void dateRule();
    void defaultsForAbsentOptionalKeys();
    void requiredKeysFailTheList_data();
    void requiredKeysFailTheList();
    void fullListRecordsConvertByTheSameRules();
};

void GalleryModelsTest::dateRule_data()
{
    QTest::addColumn<JSONValue>("createdAt");
    QTest::addColumn<QString>("expected"); // empty: the time of decoding
    QTest::newRow("zulu") << JSONValue("2025-03-14T09:26:53Z") << "2025-03-14T09:26:53Z";
    QTest::newRow("offset") << JSONValue("2025-03-14T11:26:53+02:00") << "2025-03-14T09:26:53Z";
    QTest::newRow("negative offset") << JSONValue("2025-03-14T04:26:53-05:00") << "2025-03-14T09:26:53Z";
    QTest::newRow("fraction, no zone") << JSONValue("2025-03-14T09:26:53.123") << "";
    QTest::newRow("fraction with zone") << JSONValue("2025-03-14T09:26:53.123Z") << "";
    QTest::newRow("no zone") << JSONValue("2025-03-14T09:26:53") << "";
    QTest::newRow("space for T") << JSONValue("2025-03-14 09:26:53") << "";
    QTest::newRow("date only") << JSONValue("2025-03-14") << "";
    QTest::newRow("impossible date") << JSONValue("2025-02-30T09:26:53Z") << "";
    QTest::newRow("number") << JSONValue(1741944413.0) << "";
    QTest::newRow("null") << JSONValue() << "";
}

void GalleryModelsTest::dateRule()
{
    QFETCH(JSONValue, createdAt);
    QFETCH(QString, expected);
    JSONObject object = minimalItem();
    object.insert("created_at", createdAt);
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const ArtworkItem item = ArtworkItem::fromJSON(object);
    if (expected.isEmpty()) {
        QVERIFY(item.createdAt >= before);
        QVERIFY(item.createdAt <= QDateTime::currentDateTimeUtc());
    } else {
        QCOMPARE(item.createdAt, QDateTime::fromString(expected, Qt::ISODate));
    }
}

void GalleryModelsTest::defaultsForAbsentOptionalKeys()
{
    JSONObject withNulls = minimalItem();
    withNulls.insert("rating", JSONValue());
    withNulls.insert("tags", JSONValue());
    withNulls.insert("favorite", JSONValue());
    withNulls.insert("seed", JSONValue());
    for (const JSONObject &object : {minimalItem(), withNulls}) {
        const ArtworkItem item = ArtworkItem::fromJSON(object);
        QCOMPARE(item.rating, 0);
        QVERIFY(item.tags.isEmpty());
        QVERIFY(!item.favorite);
        QVERIFY(!item.seed);
        QCOMPARE(item.width, 1024);
        QCOMPARE(item.height, 768);
    }
}

void GalleryModelsTest::requiredKeysFailTheList_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<JSONValue>("value"); // null: the key is removed
    QTest::newRow("missing id") << "id" << JSONValue();
    QTest::newRow("missing image_path") << "image_path" << JSONValue();
    QTest::newRow("prompt as number") << "prompt" << JSONValue(3);
    QTest::newRow("fractional width") << "width" << JSONValue(1024.5);
    QTest::newRow("height as text") << "height" << JSONValue("768");
    QTest::newRow("tags as text") << "tags" << JSONValue("neon");
}

void GalleryModelsTest::requiredKeysFailTheList()
{
    QFETCH(QString, key);
    QFETCH(JSONValue, value);
    JSONObject broken = minimalItem();
    if (value.isNull())
        broken.remove(key);
    else
        broken.insert(key, value);
    const JSONArray list{minimalItem(), broken};
    QVERIFY_THROWS_EXCEPTION(JSONError, ArtworkItem::listFromJSON(list));
}

void GalleryModelsTest::fullListRecordsConvertByTheSameRules()
{
    JSONObject record = minimalItem();
    record.insert("created_at", "2025-03-14 09:26:53");
    JSONObject dated = minimalItem();
    dated.insert("id", "b");
    dated.insert("created_at", "2025-03-14T09:26:53Z");
    dated.insert("tags", JSONArray{"x"});
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const QList<ArtworkItem> items = GalleryStore::itemsFromGalleryData(
        {GalleryItemData::fromJSON(record), GalleryItemData::fromJSON(dated)});
    QCOMPARE(items.size(), 2);
    QVERIFY(items[0].createdAt >= before);
    QCOMPARE(items[0].rating, 0);
    QCOMPARE(items[1].createdAt, QDateTime::fromString("2025-03-14T09:26:53Z", Qt::ISODate));
    QCOMPARE(items[1].tags, QStringList{"x"});
}

QTEST_GUILESS_MAIN(GalleryModelsTest)
#include "tst_gallerymodels.moc"
