#include "GalleryTestSupport.h"

#include "gallery/ImageCache.h"
#include "gallery/ImageDecoding.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace GalleryTest;

class ImageCacheTest : public QObject
{
    Q_OBJECT

private slots:
    void thumbnailSizesAndCosts_data();
    void thumbnailSizesAndCosts();
    void keys_data();
    void keys();
    void entriesAreServedFromMemory();
    void missingFileIsRetried();
    void fullImageIsCostedByItsTiffLength();
    void boundedByCountAndCost();
    void requestsDecodeOffThreadAndDropFarAway();
    void failedRequestIsReported();

private:
    QTemporaryDir m_dir;
};

void ImageCacheTest::thumbnailSizesAndCosts_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("maxSize");
    QTest::addColumn<QSize>("expected");
    QTest::addColumn<qint64>("cost"); // -1: the TIFF length of the unscaled image
    QTest::newRow("2048x1024 to 256x128") << QSize(2048, 1024) << "PNG" << 256.0 << QSize(256, 128) << qint64(131072);
    QTest::newRow("jpeg, scaled while decoding") << QSize(2048, 2048) << "JPEG" << 256.0 << QSize(256, 256)
                                                 << qint64(262144);
    QTest::newRow("portrait") << QSize(1024, 2048) << "PNG" << 128.0 << QSize(64, 128) << qint64(32768);
    QTest::newRow("fractional side: cost truncated") << QSize(1000, 333) << "PNG" << 256.0 << QSize(256, 85)
                                                      << qint64(256.0 * (333 * 0.256) * 4);
    QTest::newRow("fits: never enlarged") << QSize(200, 100) << "PNG" << 256.0 << QSize(200, 100) << qint64(-1);
    QTest::newRow("exactly the size") << QSize(256, 256) << "JPEG" << 256.0 << QSize(256, 256) << qint64(-1);
}

void ImageCacheTest::thumbnailSizesAndCosts()
{
    QFETCH(QSize, source);
    QFETCH(QString, format);
    QFETCH(double, maxSize);
    QFETCH(QSize, expected);
    QFETCH(qint64, cost);
    const QString path = writeImage(m_dir.filePath(QTest::currentDataTag() + QStringLiteral(".img")), source.width(),
                                    source.height(), qPrintable(format));
    ImageCache cache;
    const QImage thumbnail = cache.thumbnail(path, maxSize);
    QCOMPARE(thumbnail.size(), expected);
    const QString key = thumbnailCacheKey(path, maxSize);
    QVERIFY(cache.cache().contains(key));
    QCOMPARE(cache.cache().cost(key), cost >= 0 ? cost : tiffByteLength(thumbnail));
    QCOMPARE(cache.cache().count(), 1); // the full image is not cached along the way
}

void ImageCacheTest::keys_data()
{
    QTest::addColumn<double>("maxSize");
    QTest::addColumn<QString>("key");
    QTest::newRow("256") << 256.0 << "thumb:256.0:/path/to/image.png";
    QTest::newRow("128") << 128.0 << "thumb:128.0:/path/to/image.png";
    QTest::newRow("fraction") << 60.5 << "thumb:60.5:/path/to/image.png";
}

void ImageCacheTest::keys()
{
    QFETCH(double, maxSize);
    QFETCH(QString, key);
    QCOMPARE(thumbnailCacheKey("/path/to/image.png", maxSize), key);
}

void ImageCacheTest::entriesAreServedFromMemory()
{
    const QString path = writeImage(m_dir.filePath("served.png"), 600, 300);
    ImageCache cache;
    const QImage first = cache.thumbnail(path, 256);
    const QImage full = cache.image(path);
    const QImage small = cache.thumbnail(path, 128);
    QCOMPARE(cache.cache().count(), 3); // 256, 128 and the full image are separate entries
    QVERIFY(QFile::remove(path));
    QCOMPARE(cache.thumbnail(path, 256), first);
    QCOMPARE(cache.thumbnail(path, 256).cacheKey(), first.cacheKey());
    QCOMPARE(cache.image(path).cacheKey(), full.cacheKey());
    QCOMPARE(cache.thumbnail(path, 128).size(), QSize(128, 64));
    QCOMPARE(small.size(), QSize(128, 64));
}

void ImageCacheTest::missingFileIsRetried()
{
    const QString path = m_dir.filePath("later.png");
    ImageCache cache;
    QVERIFY(cache.thumbnail(path, 256).isNull());
    QVERIFY(cache.image(path).isNull());
    QCOMPARE(cache.cache().count(), 0);
    writeImage(path, 512, 512);
    QCOMPARE(cache.thumbnail(path, 256).size(), QSize(256, 256));
    QCOMPARE(cache.image(path).size(), QSize(512, 512));
}

void ImageCacheTest::fullImageIsCostedByItsTiffLength()
{
    const QString path = writeImage(m_dir.filePath("full.png"), 300, 200);
    ImageCache cache;
    const QImage image = cache.image(path);
    QCOMPARE(image.size(), QSize(300, 200));
    const qint64 cost = cache.cache().cost(path);
    QCOMPARE(cost, tiffByteLength(image));
    QVERIFY2(cost >= 300 * 200 * 3, qPrintable(QString::number(cost))); // uncompressed samples
}

void ImageCacheTest::boundedByCountAndCost()
{
    QImage pixel(1, 1, QImage::Format_RGB32);
    BoundedImageCache cache(3, 100);
    cache.insert("a", pixel, 10);
    cache.insert("b", pixel, 10);
    cache.insert("c", pixel, 10);
    QVERIFY(cache.object("a")); // "b" is now the least recently used
    cache.insert("d", pixel, 10);
    QVERIFY(!cache.contains("b"));
    QCOMPARE(cache.count(), 3);
    cache.insert("e", pixel, 85); // over the cost: the oldest go until it fits
    QVERIFY(cache.contains("e"));
    QCOMPARE(cache.totalCost(), 95);
    QVERIFY(cache.contains("d"));
    QVERIFY(!cache.contains("a") && !cache.contains("c"));
    cache.insert("huge", pixel, 101); // more than the whole limit is not kept
    QVERIFY(!cache.contains("huge"));
    QVERIFY(cache.remove("e"));
    QCOMPARE(cache.totalCost(), 10);
}

void ImageCacheTest::requestsDecodeOffThreadAndDropFarAway()
{
    QStringList paths;
    for (int i = 0; i < 4; ++i)
        paths.append(writeImage(m_dir.filePath(QStringLiteral("async%1.jpg").arg(i)), 1024, 512, "JPEG"));
    ImageCache cache;
    cache.setMaxWorkers(1);
    QSignalSpy ready(&cache, &ImageCache::imageReady);
    for (const QString &path : paths)
        cache.requestThumbnail(path, 256);
    cache.requestThumbnail(paths[1], 256); // repeated: not queued twice
    QCOMPARE(cache.queuedRequestCount(), 3); // the first is already running
    cache.retainRequests({thumbnailCacheKey(paths[2], 256)});
    QCOMPARE(cache.queuedRequestCount(), 1);
    QTRY_COMPARE(ready.count(), 2);
    QCOMPARE(ready[0][0].toString(), thumbnailCacheKey(paths[0], 256));
    QCOMPARE(ready[1][0].toString(), thumbnailCacheKey(paths[2], 256));
    QCOMPARE(cache.cachedThumbnail(paths[2], 256).size(), QSize(256, 128));
    QVERIFY(cache.cachedThumbnail(paths[3], 256).isNull());
    cache.requestThumbnail(paths[2], 256); // cached: nothing to do
    QCOMPARE(cache.queuedRequestCount(), 0);
}

void ImageCacheTest::failedRequestIsReported()
{
    const QString path = m_dir.filePath("absent.png");
    ImageCache cache;
    QSignalSpy failed(&cache, &ImageCache::imageFailed);
    QSignalSpy ready(&cache, &ImageCache::imageReady);
    cache.requestImage(path);
    QTRY_COMPARE(failed.count(), 1);
    QVERIFY(cache.hasFailed(path));
    cache.requestImage(path); // a placeholder's repaint does not retry
    QCOMPARE(cache.queuedRequestCount(), 0);
    writeImage(path, 64, 64);
    cache.forgetFailures();
    cache.requestImage(path);
    QTRY_COMPARE(ready.count(), 1);
    QCOMPARE(cache.cachedImage(path).size(), QSize(64, 64));
}

QTEST_GUILESS_MAIN(ImageCacheTest)
#include "tst_imagecache.moc"
