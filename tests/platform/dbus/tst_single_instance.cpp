#include "platform/ApplicationService.h"
#include "platform/CommandLine.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Runs on a private session bus (dbus-run-session).
class SingleInstanceTest : public QObject
{
    Q_OBJECT

    static QDBusConnection secondConnection()
    {
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("second-launch"));
    }

    static void waitForAll(const QList<QDBusPendingCall> &calls)
    {
        for (const QDBusPendingCall &call : calls) {
            QDBusPendingCallWatcher watcher(call);
            if (!watcher.isFinished()) {
                QSignalSpy finished(&watcher, &QDBusPendingCallWatcher::finished);
                QVERIFY(finished.wait(5000));
            }
            QVERIFY2(!watcher.isError(), qPrintable(watcher.error().message()));
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run this test under dbus-run-session");
    }

    void onlyTheFirstInstanceOwnsTheName()
    {
        ApplicationService first(QDBusConnection::sessionBus());
        QVERIFY(first.registerPrimary());
        ApplicationService second(secondConnection());
        QVERIFY(!second.registerPrimary());
    }

    void aSecondLaunchHandsItsRequestOver_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain launch") << QStringList{} << "activate";
        QTest::newRow("files") << QStringList{"/a/one.png", "/b/two.jpg"} << "open file:///a/one.png file:///b/two.jpg";
        QTest::newRow("action") << QStringList{"--action", "new-generation"} << "action new-generation";
        QTest::newRow("file and action") << QStringList{"--action", "open-gallery", "/c.png"}
                                         << "open file:///c.png; action open-gallery";
    }
    void aSecondLaunchHandsItsRequestOver()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        ApplicationService first(QDBusConnection::sessionBus());
        QVERIFY(first.registerPrimary());
        QStringList received;
        connect(&first, &ApplicationService::activateRequested, this, [&] { received << "activate"; });
        connect(&first, &ApplicationService::openRequested, this, [&](const QList<QUrl> &files) {
            QStringList uris;
            for (const QUrl &url : files)
                uris << url.toString();
            received << "open " + uris.join(' ');
        });
        connect(&first, &ApplicationService::actionRequested, this,
                [&](const QString &name) { received << "action " + name; });

        const auto parsed = CommandLine::parse(QStringList{"pictavia"} + arguments, "/");
        waitForAll(ApplicationService::forward(secondConnection(), std::get<LaunchRequest>(parsed)));
        QCOMPARE(received.join("; "), expected);
    }

    void theProgramItselfForwardsAndExits()
    {
        ApplicationService first(QDBusConnection::sessionBus());
        QVERIFY(first.registerPrimary());
        QSignalSpy opened(&first, &ApplicationService::openRequested);
        QSignalSpy actions(&first, &ApplicationService::actionRequested);

        QTemporaryDir workingDirectory;
        QProcess second;
        second.setWorkingDirectory(workingDirectory.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        second.setProcessEnvironment(environment);
        second.start(PICTAVIA_EXECUTABLE, {"--action", "open-gallery", "covers/new.png"});
        QVERIFY(second.waitForStarted());
        // The reply has to come from this process's event loop, so wait without blocking it.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 20000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        QCOMPARE(actions.count(), 1);
        QCOMPARE(actions.first().first().toString(), QString("open-gallery"));
        QCOMPARE(opened.count(), 1);
        const auto files = opened.first().first().value<QList<QUrl>>();
        QCOMPARE(files, QList<QUrl>{QUrl::fromLocalFile(workingDirectory.filePath("covers/new.png"))});
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_single_instance.moc"
