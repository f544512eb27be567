#include "gallery/ui/ImageExportPanel.h"
#include "shell/ToastManager.h"
#include "shell/UserFriendlyError.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

class ImageExportPanelTest : public QObject
{
    Q_OBJECT

    // One open panel over a window, and every call of its completion.
    struct Export {
        QWidget window;
        QList<std::optional<QString>> completions;
        QPointer<QFileDialog> panel;

        explicit Export(const QImage &image, const QString &defaultName = "artwork")
        {
            window.resize(900, 700);
            window.show();
            exportImageWithFormatPanel(&window, image, defaultName,
                                       [this](const std::optional<QString> &error) { completions << error; });
            panel = window.findChild<QFileDialog *>("exportSavePanel");
        }
        QLineEdit *nameField() const { return panel->findChild<QLineEdit *>("fileNameEdit"); }
        QComboBox *formatPicker() const { return panel->findChild<QComboBox *>("exportFormatPicker"); }
        QWidget *qualityRow() const { return panel->findChild<QWidget *>("exportQualityRow"); }
        QSlider *qualitySlider() const { return panel->findChild<QSlider *>("exportQualitySlider"); }
        QString qualityText() const { return panel->findChild<QLabel *>("exportQualityText")->text(); }
        void choose(const QString &format) const { formatPicker()->setCurrentIndex(formatPicker()->findText(format)); }
        void confirm(const QString &path) const
        {
            nameField()->setText(path);
            static_cast<QDialog *>(panel.data())->accept(); // QFileDialog hides the override
        }
    };

    static QImage artwork()
    {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(QColor(120, 40, 200));
        return image;
    }

    static QString toastText()
    {
        const auto &toast = ToastManager::shared().currentToast();
        return toast ? toast->message : QString();
    }

private slots:
    void init() { ToastManager::shared().dismiss(); }

    void thePanelProposesThePngNameAndStartsAtPng()
    {
        Export run(artwork(), "artwork-abc");
        QVERIFY(run.panel);
        QVERIFY(run.panel->isVisible());
        QCOMPARE(run.panel->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(run.nameField()->text(), QString("artwork-abc.png"));
        QCOMPARE(run.panel->nameFilters().size(), 2);
        QVERIFY(run.panel->nameFilters().at(0).contains("*.png"));
        QVERIFY(run.panel->nameFilters().at(1).contains("*.jpg"));
        QCOMPARE(run.formatPicker()->currentText(), QString("PNG"));
        QCOMPARE(run.formatPicker()->count(), 2);
        QCOMPARE(run.formatPicker()->itemText(1), QString("JPEG"));
    }

    void theQualityRowShowsOnlyForJpeg()
    {
        Export run(artwork());
        QVERIFY(!run.qualityRow()->isVisible());
        run.choose("JPEG");
        QVERIFY(run.qualityRow()->isVisible());
        QCOMPARE(run.qualitySlider()->minimum(), 1);
        QCOMPARE(run.qualitySlider()->maximum(), 100);
        QCOMPARE(run.qualitySlider()->value(), 95);
        QCOMPARE(run.qualityText(), QString("95%"));
        run.qualitySlider()->setValue(1);
        QCOMPARE(run.qualityText(), QString("1%"));
        run.choose("PNG");
        QVERIFY(!run.qualityRow()->isVisible());
    }

    void cancelDoesNothing()
    {
        QTemporaryDir dir;
        Export run(artwork());
        run.nameField()->setText(dir.filePath("artwork.png"));
        run.panel->reject();
        QTRY_VERIFY(!run.panel); // the panel deletes itself
        QTest::qWait(50);
        QVERIFY(run.completions.isEmpty());
        QVERIFY(!ToastManager::shared().currentToast());
        QVERIFY(!QFile::exists(dir.filePath("artwork.png")));
    }

    void confirmingWritesAndReportsOnce_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("contentFormat");
        QTest::addColumn<QString>("toast");
        QTest::newRow("png") << "PNG" << "artwork.png" << QByteArray("png") << "Exported as PNG";
        QTest::newRow("jpeg keeps the .png name") << "JPEG" << "artwork.png" << QByteArray("jpeg") << "Exported as JPEG";
    }
    void confirmingWritesAndReportsOnce()
    {
        QFETCH(QString, format);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, contentFormat);
        QFETCH(QString, toast);
        QTemporaryDir dir;
        Export run(artwork());
        run.choose(format);
        run.qualitySlider()->setValue(60);
        run.confirm(dir.filePath(fileName));

        QTRY_COMPARE(run.completions.size(), 1);
        QCOMPARE(run.completions.first(), std::optional<QString>());
        QCOMPARE(toastText(), toast);
        QCOMPARE(ToastManager::shared().currentToast()->style, ToastStyle::Success);
        QImageReader reader(dir.filePath(fileName));
        reader.setDecideFormatFromContent(true);
        QCOMPARE(reader.format(), contentFormat);
        QTest::qWait(50);
        QCOMPARE(run.completions.size(), 1);
    }

    void aWriteFailureShowsAToastAndGivesTheAdvisedText()
    {
        QTemporaryDir dir;
        QFile plain(dir.filePath("plain-file"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        Export run(artwork());
        run.confirm(dir.filePath("plain-file/artwork.png"));

        QTRY_COMPARE(run.completions.size(), 1);
        const QString shown = toastText();
        QVERIFY2(shown.startsWith("Export failed: "), qPrintable(shown));
        QCOMPARE(ToastManager::shared().currentToast()->style, ToastStyle::Error);
        QCOMPARE(run.completions.first(), std::optional<QString>(userFriendlyError(shown)));
        QVERIFY(run.completions.first()->endsWith("\n\nSuggestion: Check disk space and file permissions."));
    }

    void anEncodingFailureGivesItsTextWithoutAToast()
    {
        QTemporaryDir dir;
        Export run{QImage()};
        run.confirm(dir.filePath("artwork.png"));
        QTRY_COMPARE(run.completions.size(), 1);
        QCOMPARE(run.completions.first(), std::optional<QString>("Failed to encode image"));
        QVERIFY(!ToastManager::shared().currentToast());
        QVERIFY(!QFile::exists(dir.filePath("artwork.png")));
    }
};

QTEST_MAIN(ImageExportPanelTest)
#include "tst_imageexportpanel.moc"
