#include "gallery/ui/ShareMenu.h"
#include "platform/DesktopFiles.h"
#include "shell/ToastManager.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

// On a private session bus with no mail portal, so "Email…" goes to the stand-in program.
class ShareMenuTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_image;
    QList<QUrl> m_opened;

    QAction *entry(QMenu *menu, const QString &text)
    {
        for (QAction *action : menu->actions()) {
            if (action->text() == text)
                return action;
        }
        return nullptr;
    }

public slots:
    void openFile(const QUrl &url) { m_opened << url; }

private slots:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler("file", this, "openFile");
        m_image = m_dir.filePath("cover art.png");
        QFile file(m_image);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("file"); }
    void init() { ToastManager::shared().dismiss(); }

    void theMenuOffersTheThreeWaysToShare()
    {
        QWidget window;
        std::unique_ptr<QMenu> menu(createShareMenu(m_image, &window));
        QStringList titles;
        for (QAction *action : menu->actions())
            titles << action->text();
        QCOMPARE(titles, (QStringList{"Open With Default App", "Email…", "Copy File"}));
    }

    void openWithHandsTheFileToTheDesktop()
    {
        QWidget window;
        std::unique_ptr<QMenu> menu(createShareMenu(m_image, &window));
        entry(menu.get(), "Open With Default App")->trigger();
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(m_image)});
    }

    void copyFilePutsTheFileOnTheClipboard()
    {
        QWidget window;
        std::unique_ptr<QMenu> menu(createShareMenu(m_image, &window));
        entry(menu.get(), "Copy File")->trigger();
        const QMimeData *data = QApplication::clipboard()->mimeData();
        QVERIFY(data);
        QCOMPARE(data->urls(), QList<QUrl>{QUrl::fromLocalFile(m_image)});
        QVERIFY(data->hasFormat("x-special/gnome-copied-files"));
        QCOMPARE(ToastManager::shared().currentToast()->message, QString("Copied to clipboard"));
        QCOMPARE(ToastManager::shared().currentToast()->style, ToastStyle::Success);
    }

    void aFailedEmailShowsAnErrorToast()
    {
        const QString script = m_dir.filePath("no-mail-client.sh");
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nexit 3\n");
        file.close();
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setMailComposerProgram(script);

        QWidget window;
        std::unique_ptr<QMenu> menu(createShareMenu(m_image, &window));
        entry(menu.get(), "Email…")->trigger();
        QTRY_VERIFY(ToastManager::shared().currentToast());
        QCOMPARE(ToastManager::shared().currentToast()->style, ToastStyle::Error);
        QVERIFY(ToastManager::shared().currentToast()->message.startsWith("No e-mail application is set up."));
    }
};

QTEST_MAIN(ShareMenuTest)
#include "tst_sharemenu.moc"
