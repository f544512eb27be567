#include "platform/DesktopFiles.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// Stands in for a file manager on the private bus; it can also refuse, as a broken one would.
class FakeFileManager : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QList<QStringList> shown;
    bool fails = false;

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList &uris, const QString &startupId)
    {
        shown << uris;
        if (fails)
            sendErrorReply(QDBusError::Failed, "cannot show that");
    }
};

// Stands in for xdg-desktop-portal's Email portal: records the attachment's content and
// answers on the Request handle the caller asked for.
class FakeMailPortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Email")

public:
    explicit FakeMailPortal(QDBusConnection connection) : m_connection(connection) {}
    QList<QByteArray> attachments;
    uint response = 0;

public slots:
    Q_SCRIPTABLE QDBusObjectPath ComposeEmail(const QString &parentWindow, const QVariantMap &options)
    {
        for (const QDBusUnixFileDescriptor &fd :
             qdbus_cast<QList<QDBusUnixFileDescriptor>>(options.value("attachment_fds"))) {
            QFile file;
            file.open(fd.fileDescriptor(), QIODevice::ReadOnly);
            attachments << file.readAll();
        }
        QString sender = message().service().mid(1).replace('.', '_');
        const QString handle = QString("/org/freedesktop/portal/desktop/request/%1/%2")
                                   .arg(sender, options.value("handle_token").toString());
        QTimer::singleShot(0, this, [this, handle] {
            QDBusMessage signal = QDBusMessage::createSignal(handle, "org.freedesktop.portal.Request", "Response");
            signal << response << QVariantMap();
            m_connection.send(signal);
        });
        return QDBusObjectPath(handle);
    }

private:
    QDBusConnection m_connection;
};

// Runs on a private session bus (dbus-run-session), where no file manager or portal runs
// unless a test registers its fake.
class DesktopFilesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<QUrl> m_opened;

    QString writeFile(const QString &name, const QByteArray &content)
    {
        QFile file(m_dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return file.fileName();
    }

    // A stand-in for xdg-email that records its arguments and ends with the given code.
    QString mailScript(int exitCode)
    {
        const QString path = writeFile(QString("mail-%1.sh").arg(exitCode),
                                       QString("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\nexit %2\n")
                                           .arg(m_dir.filePath("mail-args"))
                                           .arg(exitCode)
                                           .toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    QStringList mailArguments() const
    {
        QFile file(m_dir.filePath("mail-args"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    static QDBusConnection fakeConnection(const QString &name)
    {
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    }

public slots:
    void openFile(const QUrl &url) { m_opened << url; }

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run this test under dbus-run-session");
        QVERIFY(m_dir.isValid());
        qDBusRegisterMetaType<QList<QDBusUnixFileDescriptor>>();
        // Catches what would otherwise open a real file manager or viewer.
        QDesktopServices::setUrlHandler("file", this, "openFile");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("file"); }
    void init()
    {
        m_opened.clear();
        QFile::remove(m_dir.filePath("mail-args"));
    }

    void revealSelectsTheFileOrOpensItsFolder_data()
    {
        QTest::addColumn<bool>("fileManagerRuns");
        QTest::addColumn<bool>("fileManagerFails");
        QTest::addColumn<bool>("folderOpened");
        QTest::newRow("file manager shows it") << true << false << false;
        QTest::newRow("file manager refuses") << true << true << true;
        QTest::newRow("no file manager") << false << false << true;
    }
    void revealSelectsTheFileOrOpensItsFolder()
    {
        QFETCH(bool, fileManagerRuns);
        QFETCH(bool, fileManagerFails);
        QFETCH(bool, folderOpened);
        const QString path = writeFile("my art #1.png", "png");
        const QString folderUrl = QUrl::fromLocalFile(m_dir.path()).toString();

        FakeFileManager fake;
        fake.fails = fileManagerFails;
        QDBusConnection bus = fakeConnection("file-manager");
        if (fileManagerRuns) {
            QVERIFY(bus.registerService("org.freedesktop.FileManager1"));
            QVERIFY(bus.registerObject("/org/freedesktop/FileManager1", &fake, QDBusConnection::ExportScriptableSlots));
        }

        revealInFileManager(path);
        if (folderOpened) {
            QTRY_COMPARE(m_opened.size(), 1);
            QCOMPARE(m_opened.first().toString(), folderUrl);
        } else {
            QTRY_COMPARE(fake.shown.size(), 1);
            QTest::qWait(50);
            QVERIFY(m_opened.isEmpty());
        }
        if (fileManagerRuns)
            QCOMPARE(fake.shown, QList<QStringList>{{"file://" + m_dir.path() + "/my%20art%20%231.png"}});
        bus.unregisterObject("/org/freedesktop/FileManager1");
        bus.unregisterService("org.freedesktop.FileManager1");
        QDBusConnection::disconnectFromBus("file-manager");
    }

    void withoutAPortalXdgEmailGetsTheFile_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::newRow("mail client opened") << 0 << "";
        QTest::newRow("no mail client") << 3
            << "No e-mail application is set up. Choose a default mail application in your desktop settings and try again.";
        QTest::newRow("other failure") << 4 << "ended with code 4";
    }
    void withoutAPortalXdgEmailGetsTheFile()
    {
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        const QString path = writeFile("cover.png", "png");
        setMailComposerProgram(mailScript(exitCode));
        QList<std::optional<QString>> results;
        composeEmailWithAttachment(path, [&](std::optional<QString> result) { results << result; });
        QVERIFY(results.isEmpty()); // asynchronous
        QTRY_COMPARE(results.size(), 1);
        if (error.isEmpty())
            QCOMPARE(results.first(), std::optional<QString>());
        else
            QVERIFY2(results.first() && results.first()->contains(error), qPrintable(results.first().value_or("none")));
        QCOMPARE(mailArguments(), (QStringList{"--attach", path}));
    }

    void aMissingMailProgramIsReported()
    {
        setMailComposerProgram(m_dir.filePath("no-such-program"));
        QList<std::optional<QString>> results;
        composeEmailWithAttachment(writeFile("cover.png", "png"), [&](std::optional<QString> r) { results << r; });
        QTRY_COMPARE(results.size(), 1);
        QVERIFY(results.first() && results.first()->contains("not installed"));
    }

    void thePortalGetsTheFileAsADescriptor_data()
    {
        QTest::addColumn<uint>("response");
        QTest::addColumn<bool>("fallsBack");
        QTest::newRow("composer opened") << 0u << false;
        QTest::newRow("user cancelled") << 1u << false;
        QTest::newRow("portal failed") << 2u << true;
    }
    void thePortalGetsTheFileAsADescriptor()
    {
        QFETCH(uint, response);
        QFETCH(bool, fallsBack);
        const QString path = writeFile("cover.png", "the picture's bytes");
        setMailComposerProgram(mailScript(0));
        QDBusConnection bus = fakeConnection("portal");
        FakeMailPortal portal(bus);
        portal.response = response;
        QVERIFY(bus.registerService("org.freedesktop.portal.Desktop"));
        QVERIFY(bus.registerObject("/org/freedesktop/portal/desktop", &portal, QDBusConnection::ExportScriptableSlots));

        QList<std::optional<QString>> results;
        composeEmailWithAttachment(path, [&](std::optional<QString> r) { results << r; });
        QTRY_COMPARE(results.size(), 1);
        QCOMPARE(results.first(), std::optional<QString>());
        QCOMPARE(portal.attachments, QList<QByteArray>{"the picture's bytes"});
        QCOMPARE(mailArguments().isEmpty(), !fallsBack);

        bus.unregisterObject("/org/freedesktop/portal/desktop");
        bus.unregisterService("org.freedesktop.portal.Desktop");
        QDBusConnection::disconnectFromBus("portal");
    }

    void copyingAFileOffersItToFileManagers()
    {
        const QString path = writeFile("a b.png", "png");
        std::unique_ptr<QMimeData> data(copiedFileMimeData(path));
        const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
        QCOMPARE(data->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
        QCOMPARE(data->data("text/uri-list").trimmed(), uri);
        QCOMPARE(data->data("x-special/gnome-copied-files"), "copy\n" + uri);
        QCOMPARE(data->text(), path);
    }
};

QTEST_MAIN(DesktopFilesTest)
#include "tst_desktopfiles.moc"
