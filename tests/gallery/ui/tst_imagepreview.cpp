#include "../GalleryTestSupport.h"

#include "gallery/GalleryStore.h"
#include "gallery/ImageCache.h"
#include "gallery/ui/ImageComparisonView.h"
#include "gallery/ui/ImagePreviewView.h"
#include "gallery/ui/PreviewImageArea.h"
#include "shell/ToastManager.h"
#include "shell/ui/FlowLayout.h"

#include <QCoro/QCoroTask>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace GalleryTest;

namespace {

// A store loaded from the scripted fake with one item whose image exists ("full": seed and
// tags) and one whose image does not ("bare").
struct Fixture
{
    QTemporaryDir dir;
    ScriptedBackend backend;
    GalleryStore store;
    ImageCache cache;
    std::unique_ptr<ImagePreviewView> preview;

    // upscaleReply, when given, is the fake's one answer to upscale_image.
    explicit Fixture(const JSONObject &upscaleReply = {})
    {
        const QString image = writeImage(dir.filePath("full.png"), 64, 32);
        JSONArray items{itemJSON("full-item-1234", "2025-01-02T00:00:00Z",
                                 {{"image_path", image}, {"seed", 42}, {"tags", JSONArray{"neon", "city"}},
                                  {"rating", 2}}),
                        itemJSON("bare", "2025-01-01T00:00:00Z", {{"image_path", dir.filePath("missing.png")}})};
        backend.fake.addReply("get_gallery", pageJSON(items, 2, 0));
        backend.fake.addRule("update_artwork", {JSONObject{{"reply", JSONObject{{"result", JSONObject{}}}}}}, true);
        if (!upscaleReply.isEmpty())
            backend.fake.addRule("upscale_image", {JSONObject{{"reply", upscaleReply}}});
        backend.start();
        store.setBackend(&backend.backend);
        QCoro::waitFor(store.refresh());
    }

    ImagePreviewView &open(const QString &id)
    {
        preview = std::make_unique<ImagePreviewView>(store.items().at(store.indexOf(id)), store, backend.backend,
                                                     cache);
        preview->setReduceMotion(true);
        preview->resize(1000, 700);
        preview->show();
        return *preview;
    }
    template<typename T> T *find(const char *name) const { return preview->findChild<T *>(QLatin1String(name)); }
    QString toast() const
    {
        const auto &current = ToastManager::shared().currentToast();
        return current ? current->message : QString();
    }
};

} // namespace

class ImagePreviewTest : public QObject
{
    Q_OBJECT

private slots:
    void detailsFooterAndTags();
    void missingImage();
    void ratingAndFavorite();
    void zoomButtonsAndSidebar();
    void upscaleShowsTheComparison();
    void upscaleFailure();
    void comparisonDividerStaysInside();
    void flowLayoutWraps_data();
    void flowLayoutWraps();
};

void ImagePreviewTest::detailsFooterAndTags()
{
    Fixture fixture;
    fixture.open("full-item-1234");
    QCOMPARE(fixture.find<QLabel>("footerSeed")->text(), QStringLiteral("Seed: 42"));
    QCOMPARE(fixture.find<QLabel>("footerTags")->text(), QStringLiteral("neon, city"));
    QCOMPARE(fixture.find<QLabel>("footerSize")->text(), QStringLiteral("1024 x 1024"));
    QCOMPARE(fixture.find<QLabel>("footerModel")->text(), QStringLiteral("flux-schnell"));
    QStringList rows;
    for (QWidget *row : fixture.find<QWidget>("detailsSection")->findChildren<QWidget *>("infoRow"))
        rows << row->accessibleName().section(':', 0, 0);
    QCOMPARE(rows, (QStringList{"Model", "Size", "Seed", "Created"}));
    QVERIFY(!fixture.find<QLabel>("noTags"));
    QCOMPARE(fixture.find<QWidget>("tagChips")->findChildren<QLabel *>().size(), 2);

    Fixture bare;
    bare.open("bare");
    QVERIFY(!bare.find<QLabel>("footerSeed"));
    QVERIFY(!bare.find<QLabel>("footerTags"));
    QVERIFY(bare.find<QLabel>("noTags"));
    rows.clear();
    for (QWidget *row : bare.find<QWidget>("detailsSection")->findChildren<QWidget *>("infoRow"))
        rows << row->accessibleName().section(':', 0, 0);
    QCOMPARE(rows, (QStringList{"Model", "Size", "Created"}));
}

void ImagePreviewTest::missingImage()
{
    Fixture fixture;
    ImagePreviewView &preview = fixture.open("bare");
    // The decode fails off the main thread; the area then says so with the path.
    QTRY_VERIFY(fixture.find<PreviewImageArea>("previewImageArea")->isShowingMissing());
    // Export and copy do nothing without an image.
    fixture.find<QPushButton>("copyButton")->click();
    QVERIFY(!preview.statusMessage());
    fixture.find<QPushButton>("exportButton")->click();
    QVERIFY(!preview.statusMessage());
}

void ImagePreviewTest::ratingAndFavorite()
{
    Fixture fixture;
    ImagePreviewView &preview = fixture.open("full-item-1234");
    fixture.find<QToolButton>("star3")->click();
    QTRY_COMPARE(fixture.toast(), QStringLiteral("Rated ★★★"));
    QCOMPARE(fixture.backend.requests("update_artwork").size(), 1);
    // The stars follow the store, so the row now describes the new rating.
    QCOMPARE(fixture.find<QWidget>("ratingStars")->accessibleDescription(),
             QStringLiteral("Currently rated 3 out of 5 stars"));
    QCOMPARE(fixture.find<QToolButton>("star3")->accessibleName(), QStringLiteral("Rate 3 stars"));
    QCOMPARE(fixture.find<QToolButton>("star1")->accessibleName(), QStringLiteral("Rate 1 star"));

    QCheckBox *favorite = fixture.find<QCheckBox>("favoriteSwitch");
    QVERIFY(!favorite->isChecked());
    favorite->click();
    QTRY_COMPARE(fixture.toast(), QStringLiteral("Added to favorites"));
    QVERIFY(favorite->isChecked());
    QVERIFY(preview.item().favorite);
    favorite->click();
    QTRY_COMPARE(fixture.toast(), QStringLiteral("Removed from favorites"));
    QVERIFY(!favorite->isChecked());
}

void ImagePreviewTest::zoomButtonsAndSidebar()
{
    Fixture fixture;
    ImagePreviewView &preview = fixture.open("full-item-1234");
    QLabel *zoom = fixture.find<QLabel>("zoomText");
    QCOMPARE(zoom->text(), QStringLiteral("100%"));
    fixture.find<QToolButton>("zoomOutButton")->click();
    fixture.find<QToolButton>("zoomOutButton")->click();
    QCOMPARE(zoom->text(), QStringLiteral("50%"));
    QCOMPARE(zoom->accessibleDescription(), QStringLiteral("50 percent"));
    fixture.find<QPushButton>("fitButton")->click();
    QCOMPARE(zoom->text(), QStringLiteral("100%"));

    QToolButton *sidebar = fixture.find<QToolButton>("sidebarButton");
    QCOMPARE(sidebar->accessibleName(), QStringLiteral("Hide info sidebar"));
    sidebar->click();
    QVERIFY(!preview.isInfoShown());
    QVERIFY(!fixture.find<QWidget>("previewSidebar")->isVisible());
    QCOMPARE(sidebar->accessibleName(), QStringLiteral("Show info sidebar"));
    preview.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    QTest::keyClick(&preview, Qt::Key_I, Qt::ControlModifier);
    QTRY_VERIFY(preview.isInfoShown()); // a button shortcut clicks after its press animation

    bool dismissed = false;
    QObject context;
    connect(&preview, &ImagePreviewView::dismissRequested, &context, [&] { dismissed = true; });
    fixture.find<QToolButton>("closePreviewButton")->click();
    QVERIFY(dismissed);
}

void ImagePreviewTest::upscaleShowsTheComparison()
{
    QTemporaryDir out;
    const QString upscaled = writeImage(out.filePath("up.png"), 128, 64);
    const JSONObject result{{"image_path", upscaled}, {"width", 3000}, {"height", 3000}};
    const JSONObject reply{{"result", result}};
    Fixture fixture(reply);
    ImagePreviewView &preview = fixture.open("full-item-1234");
    QTRY_VERIFY(!fixture.cache.cachedImage(preview.item().imagePath).isNull());
    QPushButton *compare = fixture.find<QPushButton>("compareButton");
    QVERIFY(compare->isHidden());

    fixture.find<QPushButton>("upscaleButton")->click();
    QTRY_COMPARE(preview.statusMessage().value_or(QString()), QStringLiteral("Upscale complete"));
    QCOMPARE(fixture.toast(), QStringLiteral("Upscale complete"));
    const JSONObject request = fixture.backend.requests("upscale_image").first();
    const JSONObject *params = request.find("params")->object();
    QCOMPARE(*params->find("target_width")->number(), 3000.0);
    QCOMPARE(*params->find("method")->string(), QStringLiteral("auto"));

    QTRY_VERIFY(preview.findChild<ImageComparisonView *>());
    auto *comparison = preview.findChild<ImageComparisonView *>();
    QTRY_VERIFY(comparison->isVisible());
    QCOMPARE(comparison->sliderPosition(), 0.5);
    QVERIFY(!compare->isHidden());
    QCOMPARE(compare->text(), QStringLiteral("Hide Comparison"));
    compare->click();
    QVERIFY(!preview.isComparisonShown());
    QCOMPARE(compare->text(), QStringLiteral("Compare Original"));
    QVERIFY(fixture.find<PreviewImageArea>("previewImageArea")->isVisible());
}

void ImagePreviewTest::upscaleFailure()
{
    const JSONObject error{{"code", -32000}, {"message", "out of memory"}};
    const JSONObject reply{{"error", error}};
    Fixture fixture(reply);
    ImagePreviewView &preview = fixture.open("full-item-1234");
    fixture.find<QPushButton>("upscaleButton")->click();
    QTRY_COMPARE(preview.statusMessage().value_or(QString()), QStringLiteral("Upscale failed"));
    QVERIFY(fixture.toast().startsWith(QStringLiteral("Upscale failed: ")));
    QVERIFY(fixture.toast().contains(QStringLiteral("out of memory")));
    QVERIFY(preview.exportError());
    QTRY_VERIFY(preview.findChild<QMessageBox *>("previewErrorAlert"));
    auto *alert = preview.findChild<QMessageBox *>("previewErrorAlert");
    QCOMPARE(alert->windowTitle(), QStringLiteral("Error"));
    QVERIFY(alert->text().contains(QStringLiteral("out of memory")));
    alert->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(!preview.exportError());
    QVERIFY(fixture.find<QPushButton>("compareButton")->isHidden());
}

void ImagePreviewTest::comparisonDividerStaysInside()
{
    QImage before(40, 40, QImage::Format_RGB32), after(40, 40, QImage::Format_RGB32);
    before.fill(Qt::red);
    after.fill(Qt::blue);
    ImageComparisonView view(before, after, "Original", "Upscaled");
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseMove(&view, QPoint(195, 150)); // under 10 points: no change
    QCOMPARE(view.sliderPosition(), 0.5);
    QTest::mouseMove(&view, QPoint(0, 150));
    QCOMPARE(view.sliderPosition(), 0.01);
    QTest::mouseMove(&view, QPoint(399, 150));
    QCOMPARE(view.sliderPosition(), 0.99);
    QTest::mouseMove(&view, QPoint(100, 150));
    QCOMPARE(view.sliderPosition(), 0.25);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(100, 150));
    // Before shows left of the divider, after right of it.
    const QImage drawn = view.grab().toImage();
    QCOMPARE(drawn.pixelColor(60, 150), QColor(Qt::red));
    QCOMPARE(drawn.pixelColor(200, 150), QColor(Qt::blue));
    QCOMPARE(HorizontalClip{0.25}.path(QRectF(10, 20, 400, 300)), QRectF(10, 20, 100, 300));
}

void ImagePreviewTest::flowLayoutWraps_data()
{
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<int>("available");
    QTest::addColumn<QList<QPoint>>("positions");
    // Items 20 high, spacing 4.
    QTest::newRow("one row") << QList<int>{30, 30} << 100 << QList<QPoint>{{0, 0}, {34, 0}};
    QTest::newRow("exact fit stays on the row") << QList<int>{48, 48} << 100 << QList<QPoint>{{0, 0}, {52, 0}};
    QTest::newRow("wraps") << QList<int>{60, 60, 30} << 100 << QList<QPoint>{{0, 0}, {0, 24}, {64, 24}};
    QTest::newRow("too wide gets its own row") << QList<int>{150, 20} << 100 << QList<QPoint>{{0, 0}, {0, 24}};
}

void ImagePreviewTest::flowLayoutWraps()
{
    QFETCH(QList<int>, widths);
    QFETCH(int, available);
    QFETCH(QList<QPoint>, positions);
    QWidget host;
    auto *flow = new FlowLayout(&host, 4);
    QList<QWidget *> items;
    for (int width : widths) {
        auto *item = new QWidget(&host);
        item->setFixedSize(width, 20);
        flow->addWidget(item);
        items << item;
    }
    flow->setGeometry(QRect(0, 0, available, 200));
    for (int i = 0; i < items.size(); ++i)
        QCOMPARE(items[i]->pos(), positions[i]);
    QCOMPARE(flow->heightForWidth(available), positions.last().y() + 20);
}

QTEST_MAIN(ImagePreviewTest)
#include "tst_imagepreview.moc"
