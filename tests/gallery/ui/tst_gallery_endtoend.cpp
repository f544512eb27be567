// The gallery against the reference backend: images generated through the backend appear in
// the grid, newest first.

#include "backend/BackendViewModel.h"
#include "gallery/ImageCache.h"
#include "gallery/ui/GalleryView.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>

class GalleryEndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void generatedImagesShowNewestFirst();
};

void GalleryEndToEndTest::generatedImagesShowNewestFirst()
{
    const QString project = QStringLiteral(PICTAVIA_REFERENCE_BACKEND_DIR);
    if (!QFileInfo::exists(project + QStringLiteral("/.venv/bin/python")))
        QSKIP("The reference backend's venv is missing: run scripts/setup");
    QStandardPaths::setTestModeEnabled(true);
    QSettings().clear();
    QTemporaryDir data;
    qputenv("ARTWORK_DATA_DIR", data.path().toUtf8());

    BackendViewModel backend;
    backend.setSearchPaths({QString(), QString(), project});
    backend.setLaunchCheckDelay(std::chrono::milliseconds(0));
    backend.start();

    QStringList generated;
    for (const char *prompt : {"first neon skyline", "second desert dunes", "third ocean waves"}) {
        GenerateImageRequest request;
        request.prompt = QString::fromLatin1(prompt);
        request.width = 256;
        request.height = 256;
        try {
            generated.append(QCoro::waitFor(backend.generateImage(request)).galleryId.value_or(QString()));
        } catch (const RPCClientError &error) {
            if (error.kind() == RPCClientError::Kind::ServerError && error.payload()->code == -32601)
                QSKIP("The reference backend does not answer \"generate_image\" yet");
            QFAIL(qPrintable(error.description()));
        }
        QTest::qWait(1100); // creation times are recorded to the second
    }

    ImageCache cache;
    GalleryView view(backend, cache, QStringLiteral("window-e2e"));
    QAbstractItemModelTester tester(&view.itemModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    view.resize(1000, 700);
    view.show();
    QTRY_COMPARE_WITH_TIMEOUT(view.itemModel().rowCount(), 3, 20000);
    QStringList prompts, ids;
    for (int row = 0; row < 3; ++row) {
        prompts.append(view.itemModel().itemAt(row).prompt);
        ids.append(view.itemModel().itemAt(row).id);
    }
    QCOMPARE(prompts, (QStringList{"third ocean waves", "second desert dunes", "first neon skyline"}));
    QCOMPARE(ids, (QStringList{generated[2], generated[1], generated[0]}));
    // The tiles' thumbnails load from the files the backend wrote.
    QTRY_VERIFY_WITH_TIMEOUT(!cache.cachedThumbnail(view.itemModel().itemAt(0).imagePath, 256).isNull(), 10000);
    backend.stop();
}

QTEST_MAIN(GalleryEndToEndTest)
#include "tst_gallery_endtoend.moc"
