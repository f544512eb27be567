// The tile renderer draws off the main thread and keeps what it drew: a tile asked for again
// is not drawn again, and while a changed tile is being redrawn its previous image stands in,
// so tiles do not blank out when a thumbnail lands or the relative time moves on.

#include "gallery/ui/GalleryTileRenderer.h"

#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

namespace {

GalleryTileRenderer::Job job(const QString &relativeTime, int rating = 0)
{
    GalleryTileRenderer::Job job{'g', {}, {}, QSize(220, 286), {}, relativeTime};
    job.item.id = QStringLiteral("a");
    job.item.prompt = QStringLiteral("neon skyline");
    job.item.rating = rating;
    static const QImage thumbnail = [] {
        QImage image(256, 256, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        return image;
    }();
    job.picture.state = GalleryTileRendering::Picture::State::Ready;
    job.picture.image = thumbnail;
    job.look.glyphs.resize(int(GalleryTileRendering::Glyph::Count));
    return job;
}

} // namespace

class GalleryTileRendererTest : public QObject
{
    Q_OBJECT

private slots:
    void drawsOnceThenKeeps()
    {
        QStandardItemModel model(1, 1);
        GalleryTileRenderer renderer;
        QSignalSpy ready(&renderer, &GalleryTileRenderer::ready);
        QVERIFY(renderer.image(job("just now"), model.index(0, 0)).isNull());
        QVERIFY(ready.wait());
        QCOMPARE(ready.first().first().value<QModelIndex>(), model.index(0, 0));
        const QImage drawn = renderer.image(job("just now"), model.index(0, 0));
        QCOMPARE(drawn.size(), QSize(220, 286));
        // Painted: the picture's colour shows where the image sits.
        QCOMPARE(drawn.pixelColor(110, 100).rgb(), QColor(Qt::darkCyan).rgb());
        renderer.prepare(job("just now"), model.index(0, 0));
        QTest::qWait(50);
        QCOMPARE(ready.size(), 1);
    }

    void changedTileShowsItsLastImageUntilRedrawn()
    {
        QStandardItemModel model(1, 1);
        GalleryTileRenderer renderer;
        QSignalSpy ready(&renderer, &GalleryTileRenderer::ready);
        renderer.image(job("just now"), model.index(0, 0));
        QVERIFY(ready.wait());
        const QImage before = renderer.image(job("just now"), model.index(0, 0));
        const QImage meanwhile = renderer.image(job("1 minute ago", 4), model.index(0, 0));
        QCOMPARE(meanwhile.cacheKey(), before.cacheKey());
        QVERIFY(ready.wait());
        const QImage after = renderer.image(job("1 minute ago", 4), model.index(0, 0));
        QVERIFY(!after.isNull());
        QVERIFY(after.cacheKey() != before.cacheKey());
    }
};

QTEST_MAIN(GalleryTileRendererTest)
#include "tst_gallerytilerenderer.moc"
