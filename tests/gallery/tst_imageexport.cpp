#include "gallery/ImageExport.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

Q_DECLARE_METATYPE(ExportFormat)

namespace {

QImage gradient()
{
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 5, (x + y) * 2));
    return image;
}

QByteArray formatOfFile(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.format();
}

} // namespace

class ImageExportTest : public QObject
{
    Q_OBJECT

private slots:
    void writesTheChosenFormatUnderTheChosenName_data()
    {
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<int>("quality");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("contentFormat");
        QTest::newRow("png") << ExportFormat::png << 95 << "artwork.png" << QByteArray("png");
        // The name is the user's: JPEG data stays under a .png name.
        QTest::newRow("jpeg named .png") << ExportFormat::jpeg << 60 << "artwork.png" << QByteArray("jpeg");
        QTest::newRow("jpeg at lowest quality") << ExportFormat::jpeg << 1 << "low.jpg" << QByteArray("jpeg");
        QTest::newRow("no extension") << ExportFormat::png << 95 << "artwork" << QByteArray("png");
    }
    void writesTheChosenFormatUnderTheChosenName()
    {
        QFETCH(ExportFormat, format);
        QFETCH(int, quality);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, contentFormat);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        const QImage image = gradient();

        const auto failure = writeExportedImage(image, path, format, quality);
        QVERIFY2(!failure, failure ? qPrintable(failure->text) : "");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{fileName});
        QCOMPARE(formatOfFile(path), contentFormat);
        const QImage written(path, contentFormat.constData());
        QCOMPARE(written.size(), image.size());
        if (format == ExportFormat::png)
            QCOMPARE(written.convertToFormat(image.format()), image); // lossless
    }

    void qualityChangesTheJpeg()
    {
        QTemporaryDir dir;
        const QImage image = gradient();
        QVERIFY(!writeExportedImage(image, dir.filePath("low.jpg"), ExportFormat::jpeg, 1));
        QVERIFY(!writeExportedImage(image, dir.filePath("high.jpg"), ExportFormat::jpeg, 100));
        QVERIFY(QFileInfo(dir.filePath("low.jpg")).size() < QFileInfo(dir.filePath("high.jpg")).size());
    }

    void aNullImageIsAnEncodingFailureAndWritesNothing_data()
    {
        QTest::addColumn<ExportFormat>("format");
        QTest::newRow("png") << ExportFormat::png;
        QTest::newRow("jpeg") << ExportFormat::jpeg;
    }
    void aNullImageIsAnEncodingFailureAndWritesNothing()
    {
        QFETCH(ExportFormat, format);
        QTemporaryDir dir;
        const auto failure = writeExportedImage(QImage(), dir.filePath("artwork.png"), format, 95);
        QVERIFY(failure);
        QCOMPARE(failure->stage, ExportFailure::Stage::encoding);
        QCOMPARE(failure->text, QString("Failed to encode image"));
        QVERIFY(!QFile::exists(dir.filePath("artwork.png")));
    }

    void anUnwritableTargetIsAWriteFailure_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("needsUnprivileged");
        QTest::newRow("read-only folder") << "readonly/artwork.png" << true;
        QTest::newRow("folder is a file") << "plain-file/artwork.png" << false;
        QTest::newRow("target is a folder") << "readonly" << false;
        QTest::newRow("missing folder") << "missing/artwork.png" << false;
    }
    void anUnwritableTargetIsAWriteFailure()
    {
        QFETCH(QString, target);
        QFETCH(bool, needsUnprivileged);
        if (needsUnprivileged && ::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("readonly"));
        QVERIFY(QFile::setPermissions(dir.filePath("readonly"), QFile::ReadOwner | QFile::ExeOwner));
        QFile plain(dir.filePath("plain-file"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();

        const auto failure = writeExportedImage(gradient(), dir.filePath(target), ExportFormat::png, 95);
        QFile::setPermissions(dir.filePath("readonly"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(failure);
        QCOMPARE(failure->stage, ExportFailure::Stage::writing);
        QVERIFY2(failure->text.startsWith("Export failed: "), qPrintable(failure->text));
        QVERIFY2(failure->text.size() > QString("Export failed: ").size(), "the reason is missing");
    }

    void theBackgroundWriteGivesTheSameOutcome()
    {
        QTemporaryDir dir;
        auto ok = writeExportedImageInBackground(gradient(), dir.filePath("a.png"), ExportFormat::png, 95);
        auto bad = writeExportedImageInBackground(QImage(), dir.filePath("b.png"), ExportFormat::jpeg, 95);
        ok.waitForFinished();
        bad.waitForFinished();
        QVERIFY(!ok.result());
        QVERIFY(QFile::exists(dir.filePath("a.png")));
        QCOMPARE(bad.result()->text, QString("Failed to encode image"));
    }
};

QTEST_GUILESS_MAIN(ImageExportTest)
#include "tst_imageexport.moc"
