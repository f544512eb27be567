#include "backend/BackendViewModel.h"

#include <QtTest>

using namespace std::chrono_literals;

// The backend link against the bundled reference backend: a real generation and the gallery,
// template and overlay replies read into their records.
class ReferenceBackendTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void generatesAndPagesTheGallery();
    void collectionsTemplatesAndOverlay();
    void backendFailuresComeBackAsServerErrors();
    void cleanupTestCase() { m_model.stop(); }

private:
    QTemporaryDir m_data;
    BackendViewModel m_model;
};

void ReferenceBackendTest::initTestCase()
{
    qputenv("ARTWORK_DATA_DIR", m_data.path().toUtf8());
    qputenv("ARTWORK_DISK_WARNING_GB", "0");
    qputenv("ARTWORK_DISK_CRITICAL_GB", "0");
    m_model.setSearchPaths({QString(), QString(), PICTAVIA_REFERENCE_BACKEND_DIR});
    m_model.setLaunchCheckDelay(0ms);
    m_model.start();
    QTRY_VERIFY_WITH_TIMEOUT(m_model.isConnected(), 20000);
    QTRY_VERIFY(!m_model.availableModels().isEmpty());
    QVERIFY(m_model.availableModels()[0].contains("id"));
}

void ReferenceBackendTest::generatesAndPagesTheGallery()
{
    const DiskStatus disk = QCoro::waitFor(m_model.checkDiskSpace());
    QVERIFY(disk.totalGb > 0);
    QVERIFY(!disk.critical);

    QList<double> progress;
    QObject listening;
    connect(&m_model, &BackendViewModel::progressPercentChanged, &listening, [&progress](double p) { progress << p; });
    GenerateImageRequest request;
    request.prompt = "synthwave sunset over a neon city";
    request.width = 256;
    request.height = 192;
    request.seed = 7;
    request.steps = 4;
    const GenerationResultData result = QCoro::waitFor(m_model.generateImage(request));
    QCOMPARE(result.width, 256);
    QCOMPARE(result.height, 192);
    QCOMPARE(result.seed, 7);
    QVERIFY(QFileInfo(result.imagePath).isFile());
    QCOMPARE(QImage(result.imagePath).size(), QSize(256, 192));
    QVERIFY(!m_model.isGenerating());
    QVERIFY(!progress.isEmpty());

    const GalleryPageResponse page = QCoro::waitFor(m_model.getGalleryPage(0, 50));
    QCOMPARE(page.totalCount, 1);
    QCOMPARE(page.items.size(), 1);
    QCOMPARE(page.items[0].imagePath, result.imagePath);
    QVERIFY(page.items[0].createdAt.secsTo(QDateTime::currentDateTimeUtc()) < 600);

    QCoro::waitFor(m_model.updateArtwork(page.items[0].id, JSONObject{{"rating", 4.0}, {"favorite", true}}));
    const QList<GalleryItemData> all = QCoro::waitFor(m_model.getGallery());
    QCOMPARE(all.size(), 1);
    QCOMPARE(all[0].rating, 4);
    QCOMPARE(all[0].favorite, true);
}

void ReferenceBackendTest::collectionsTemplatesAndOverlay()
{
    const GalleryPageResponse page = QCoro::waitFor(m_model.getGalleryPage(0, 50));
    QVERIFY(!page.items.isEmpty());
    const ArtworkItem item = page.items[0];
    QCoro::waitFor(m_model.addToCollection(item.id, "Album Covers"));
    const QList<Collection> collections = QCoro::waitFor(m_model.getCollections());
    QCOMPARE(collections, (QList<Collection>{{"Album Covers", 1}}));

    const QList<JSONObject> albumTemplates = QCoro::waitFor(m_model.listTemplates("album"));
    QVERIFY(!albumTemplates.isEmpty());
    const QString templateId = *albumTemplates[0].find("id")->string();
    const QString prompt = QCoro::waitFor(m_model.applyTemplate(templateId, {{"genre", "synthwave"}}));
    QVERIFY(!prompt.isEmpty());

    CompositeImageRequest overlay;
    overlay.imagePath = item.imagePath;
    overlay.layout = "album";
    overlay.title = "Night Drive";
    overlay.artist = "Ava";
    const QString composited = QCoro::waitFor(m_model.compositeImage(overlay));
    QVERIFY(QFileInfo(composited).isFile());
    QVERIFY(composited != item.imagePath);
}

namespace {
// waitFor() cannot carry an exception out of its event loop; catch it inside.
QCoro::Task<QString> failureOf(QCoro::Task<UpscaleResultData> task)
{
    try {
        co_await task;
        co_return QString();
    } catch (const RPCClientError &error) {
        co_return error.description();
    }
}
} // namespace

void ReferenceBackendTest::backendFailuresComeBackAsServerErrors()
{
    const QString failure = QCoro::waitFor(failureOf(m_model.upscaleImage("/nonexistent.png", 3000, 3000, "lanczos")));
    QVERIFY2(failure.startsWith("Server error ("), qPrintable(failure));
    QVERIFY(!m_model.isGenerating());
    QVERIFY(m_model.isConnected());
}

QTEST_GUILESS_MAIN(ReferenceBackendTest)
#include "tst_referencebackend.moc"
