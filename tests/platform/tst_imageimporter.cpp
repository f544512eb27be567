#include "platform/ImageImporter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QImage sampleImage()
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(120, 60, 200));
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

ImageImporter::Outcome importNow(const ImageImporter &importer, const QMimeData &data)
{
    QFuture<ImageImporter::Outcome> future = importer.import(ImageImporter::offersFrom(data));
    future.waitForFinished();
    return future.result();
}

mode_t modeOf(const QString &path)
{
    struct stat info {};
    lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

} // namespace

class ImageImporterTest : public QObject
{
    Q_OBJECT
private slots:
    void imageDataIsWrittenAsPngOnlyTheUserCanRead_data()
    {
        QTest::addColumn<QString>("mimeType");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("png bytes") << "image/png" << QByteArray("png");
        QTest::newRow("tiff bytes") << "image/tiff" << QByteArray("tiff");
        QTest::newRow("decoded image") << "application/x-qt-image" << QByteArray();
    }
    void imageDataIsWrittenAsPngOnlyTheUserCanRead()
    {
        QFETCH(QString, mimeType);
        QFETCH(QByteArray, format);
        QTemporaryDir root;
        const QString directory = root.filePath("cache/imports");
        ImageImporter importer(directory);
        QMimeData data;
        if (format.isEmpty())
            data.setImageData(sampleImage());
        else
            data.setData(mimeType, encoded(sampleImage(), format));

        const auto outcome = importNow(importer, data);
        QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
        QCOMPARE(outcome.path, QDir(directory).filePath("service-import.png"));
        QFile written(outcome.path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.read(8).startsWith("\x89PNG"));
        QCOMPARE(QImage(outcome.path).size(), QSize(40, 30));
        QCOMPARE(modeOf(outcome.path), mode_t(0600));
        QCOMPARE(modeOf(directory), mode_t(0700));
    }

    void aFileUrlIsUsedAsItIs()
    {
        QTemporaryDir root;
        ImageImporter importer(root.filePath("imports"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/music/covers/front.jpg")});
        data.setImageData(sampleImage()); // offered after the URL
        const auto outcome = importNow(importer, data);
        QCOMPARE(outcome.path, QString("/music/covers/front.jpg"));
        QVERIFY(!QFileInfo::exists(root.filePath("imports"))); // nothing written
    }

    void aWebUrlIsSkippedForTheImageAfterIt()
    {
        QTemporaryDir root;
        ImageImporter importer(root.filePath("imports"));
        QMimeData data;
        data.setUrls({QUrl("https://example.com/cover.png")});
        data.setData("image/png", encoded(sampleImage(), "png"));
        const auto outcome = importNow(importer, data);
        QCOMPARE(outcome.path, root.filePath("imports/service-import.png"));
    }

    void nothingUsableEndsSilently()
    {
        QTemporaryDir root;
        ImageImporter importer(root.filePath("imports"));
        QMimeData data;
        data.setText("just words");
        data.setUrls({QUrl("https://example.com/")});
        QVERIFY(importNow(importer, data).nothingUsable());
    }

    void unreadableImageBytesAreAnErrorNotAStaleFile()
    {
        QTemporaryDir root;
        ImageImporter importer(root.filePath("imports"));
        QMimeData good;
        good.setImageData(sampleImage());
        QVERIFY(!importNow(importer, good).path.isEmpty());

        QMimeData broken;
        broken.setData("image/png", "definitely not a png");
        const auto outcome = importNow(importer, broken);
        QVERIFY(outcome.path.isEmpty()); // the earlier import is not handed out as this one
        QVERIFY(!outcome.error.isEmpty());
    }

    void aPlantedLinkIsRefused()
    {
        // Another user (or anything) pre-creating the import directory as a link elsewhere.
        QTemporaryDir root;
        QDir(root.path()).mkdir("elsewhere");
        QVERIFY(QFile::link(root.filePath("elsewhere"), root.filePath("imports")));
        ImageImporter importer(root.filePath("imports"));
        QMimeData data;
        data.setImageData(sampleImage());
        const auto outcome = importNow(importer, data);
        QVERIFY(outcome.path.isEmpty());
        QVERIFY2(outcome.error.contains("not a directory"), qPrintable(outcome.error));
        QVERIFY(QDir(root.filePath("elsewhere")).isEmpty());
    }

    void aDirectoryOfAnotherUserIsRefused()
    {
        if (getuid() != 0)
            QSKIP("needs root to hand a directory to another user");
        QTemporaryDir root;
        const QString directory = root.filePath("imports");
        QDir().mkpath(directory);
        QVERIFY(chown(QFile::encodeName(directory).constData(), 65534, 65534) == 0);
        ImageImporter importer(directory);
        QMimeData data;
        data.setImageData(sampleImage());
        const auto outcome = importNow(importer, data);
        QVERIFY(outcome.path.isEmpty());
        QVERIFY2(outcome.error.contains("another user"), qPrintable(outcome.error));
    }
};

QTEST_GUILESS_MAIN(ImageImporterTest)
#include "tst_imageimporter.moc"
