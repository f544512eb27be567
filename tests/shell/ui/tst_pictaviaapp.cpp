#include "FakeBackendControl.h"
#include "shell/AppNotifier.h"
#include "shell/IsolatedSettings.h"
#include "shell/MotionPreference.h"
#include "shell/ToastManager.h"
#include "shell/ui/ContentView.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/PictaviaApp.h"
#include "shell/ui/SheetPresenter.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

class PictaviaAppTest : public QObject
{
    Q_OBJECT
    IsolatedSettings settings;
    FakeBackendControl backend;
    AppNotifier notifier;
    ToastManager toasts;
    MotionPreference motion;
    QNetworkAccessManager network;

    int updateChecks = 0;
    int automaticUpdateChecks = 0;
    std::function<void()> finishOnboarding;

    ShellHooks hooks()
    {
        ShellHooks hooks;
        hooks.checkForUpdates = [this] { ++updateChecks; };
        hooks.checkForUpdatesIfNeeded = [this] { ++automaticUpdateChecks; };
        hooks.makeUpdateNotice = [] { return new QLabel("A new version is available"); };
        hooks.makeHelp = [] { return new QLabel("help"); };
        hooks.makeOnboarding = [this](std::function<void()> finish) {
            finishOnboarding = std::move(finish);
            return new QLabel("welcome");
        };
        return hooks;
    }

    std::unique_ptr<PictaviaApp> makeApp(ShellHooks withHooks)
    {
        return std::make_unique<PictaviaApp>(backend, notifier, toasts, motion, network,
                                             std::move(withHooks), ShellTimings{20ms, 40ms});
    }

    std::unique_ptr<PictaviaApp> showApp(ShellHooks withHooks)
    {
        auto app = makeApp(std::move(withHooks));
        app->show();
        if (!QTest::qWaitForWindowExposed(&app->window()))
            qFatal("main window never exposed");
        return app;
    }

private slots:
    void init()
    {
        IsolatedSettings::clear();
        QSettings().setValue("hasCompletedOnboarding", true);
        backend.calls.clear();
        updateChecks = automaticUpdateChecks = 0;
    }

    void theWindowHasItsDefaultAndMinimumSizes()
    {
        auto app = makeApp({});
        QCOMPARE(app->window().size(), QSize(1200, 800));
        QCOMPARE(app->content().minimumSize(), QSize(900, 650));
    }

    void menuCommands_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::addColumn<QString>("effect");
        QTest::newRow("settings") << "settingsAction" << "Settings..." << QKeySequence("Ctrl+,") << "openSettings";
        QTest::newRow("palettor") << "showPalettorAction" << "The Palettor" << QKeySequence("Ctrl+1") << "switchTab 0";
        QTest::newRow("generate") << "showGenerateAction" << "Generate" << QKeySequence("Ctrl+2") << "switchTab 1";
        QTest::newRow("gallery") << "showGalleryAction" << "Gallery" << QKeySequence("Ctrl+3") << "switchTab 2";
        QTest::newRow("settings tab") << "showSettingsAction" << "Settings" << QKeySequence("Ctrl+4") << "switchTab 3";
        QTest::newRow("reconnect") << "reconnectAction" << "Reconnect" << QKeySequence("Ctrl+Shift+R") << "backend stop,start";
        QTest::newRow("unload") << "unloadModelAction" << "Unload Model" << QKeySequence() << "backend unloadModel";
        QTest::newRow("updates") << "checkForUpdatesAction" << "Check for Updates..." << QKeySequence() << "update check";
        QTest::newRow("help") << "helpAction" << "Pictavia Help" << QKeySequence("Ctrl+?") << "help sheet";
        QTest::newRow("onboarding") << "showOnboardingAction" << "Show Onboarding..." << QKeySequence() << "onboarding sheet";
    }
    void menuCommands()
    {
        QFETCH(QString, action);
        QFETCH(QString, title);
        QFETCH(QKeySequence, shortcut);
        QFETCH(QString, effect);
        auto app = showApp(hooks());
        QTRY_VERIFY(backend.calls.contains("start"));
        backend.calls.clear();

        QAction *item = app->window().action(action);
        QVERIFY(item);
        QCOMPARE(item->text(), title);
        QVERIFY(item->isEnabled());
        QCOMPARE(item->shortcut(), shortcut);

        QStringList posted;
        connect(&notifier, &AppNotifier::openSettings, this, [&] { posted << "openSettings"; });
        connect(&notifier, &AppNotifier::switchTab, this,
                [&](const QVariant &tab) { posted << QString("switchTab %1").arg(tab.toInt()); });
        item->trigger();
        disconnect(&notifier, nullptr, this, nullptr);

        QStringList observed = posted;
        if (!backend.calls.isEmpty())
            observed << "backend " + backend.calls.join(',');
        if (updateChecks)
            observed << "update check";
        if (app->showHelp())
            observed << "help sheet";
        if (app->showOnboarding())
            observed << "onboarding sheet";
        QCOMPARE(observed, QStringList{effect});
    }

    void thereIsNoNewWindowItem()
    {
        auto app = makeApp(hooks());
        for (QAction *item : app->window().findChildren<QAction *>())
            QVERIFY2(!item->text().contains("New Window", Qt::CaseInsensitive), qPrintable(item->text()));
    }

    void itemsWithoutTheirFeatureAreDisabled()
    {
        auto app = makeApp({});
        QVERIFY(!app->window().action("checkForUpdatesAction")->isEnabled());
        QVERIFY(!app->window().action("helpAction")->isEnabled());
        QVERIFY(!app->window().action("showOnboardingAction")->isEnabled());
    }

    void theBackendMenuShowsTheConnection()
    {
        auto app = makeApp({});
        QAction *status = app->window().action("backendStatusAction");
        QCOMPARE(status->text(), QString("○ Disconnected"));
        QVERIFY(!status->isEnabled());
        backend.setConnected(true);
        QCOMPARE(status->text(), QString("● Connected"));
        backend.setConnected(false);
    }

    void startUpAndShutDownOrder()
    {
        auto app = makeApp(hooks());
        QSignalSpy raised(app.get(), &PictaviaApp::windowRaised);
        QTest::qWait(60);
        QVERIFY(backend.calls.isEmpty()); // nothing before the window shows
        QCOMPARE(automaticUpdateChecks, 0);

        app->show();
        QTRY_COMPARE(backend.calls, QStringList{"start"});
        QTRY_COMPARE(raised.count(), 1);
        QTRY_COMPARE(automaticUpdateChecks, 1);

        app->window().close();
        QCOMPARE(backend.calls, (QStringList{"start", "stop"}));
        QTest::qWait(60);
        QCOMPARE(automaticUpdateChecks, 1);
    }

    void theWalkthroughIsUpFromTheStartAndCannotBeEscaped()
    {
        QSettings().remove("hasCompletedOnboarding");
        auto app = showApp(hooks());
        QVERIFY(app->showOnboarding());
        QDialog *sheet = app->sheets().sheet();
        QVERIFY(sheet);
        QTest::keyClick(sheet, Qt::Key_Escape);
        sheet->close();
        QVERIFY(sheet->isVisible());
        finishOnboarding();
        QTRY_VERIFY(!app->sheets().isPresenting());
        QVERIFY(!app->showOnboarding());
    }

    void theHelpSheetIsAtLeast700By500()
    {
        auto app = showApp(hooks());
        app->window().action("helpAction")->trigger();
        QVERIFY(app->sheets().sheet());
        QCOMPARE(app->sheets().sheet()->minimumSize(), QSize(700, 500));
        QTest::keyClick(app->sheets().sheet(), Qt::Key_Escape);
        QTRY_VERIFY(!app->sheets().isPresenting());
        QVERIFY(!app->showHelp());
    }

    void theUpdateNoticeOpensOnEachChangeToAvailable()
    {
        auto app = showApp(hooks());
        app->setUpdateAvailable(false);
        QVERIFY(!app->sheets().isPresenting());
        app->setUpdateAvailable(true);
        QVERIFY(app->sheets().isPresenting());
        app->sheets().sheet()->reject();
        QTRY_VERIFY(!app->sheets().isPresenting());
        app->setUpdateAvailable(true); // no change: stays closed
        QVERIFY(!app->sheets().isPresenting());
        app->setUpdateAvailable(false);
        app->setUpdateAvailable(true);
        QVERIFY(app->sheets().isPresenting());
    }

    void desktopActionsSwitchTabsAndRaise_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("tab");
        QTest::newRow("new generation") << "new-generation" << 1;
        QTest::newRow("open gallery") << "open-gallery" << 2;
    }
    void desktopActionsSwitchTabsAndRaise()
    {
        QFETCH(QString, action);
        QFETCH(int, tab);
        auto app = showApp({});
        QSignalSpy raised(app.get(), &PictaviaApp::windowRaised);
        LaunchRequest request;
        request.action = action;
        app->handleLaunch(request);
        QCOMPARE(app->content().selectedTab(), tab);
        QVERIFY(raised.count() >= 1);
    }

    void anOpenedImageBecomesTheSource()
    {
        auto app = showApp({});
        QSignalSpy opened(&notifier, &AppNotifier::openImageAsSource);
        LaunchRequest request;
        request.files = {QUrl("https://example.com/a.png"), QUrl::fromLocalFile("/tmp/notes.txt"),
                         QUrl::fromLocalFile("/tmp/cover.png"), QUrl::fromLocalFile("/tmp/other.jpg")};
        app->handleLaunch(request);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.first().first().toString(), QString("/tmp/cover.png"));

        request.files = {QUrl::fromLocalFile("/tmp/notes.txt")};
        app->handleLaunch(request);
        QCOMPARE(opened.count(), 1);
        QVERIFY(toasts.currentToast());
        QCOMPARE(toasts.currentToast()->style, ToastStyle::Error);
    }

    void filesFromTheCommandLineWaitForTheWindow()
    {
        auto app = makeApp({});
        QSignalSpy opened(&notifier, &AppNotifier::openImageAsSource);
        LaunchRequest request;
        request.files = {QUrl::fromLocalFile("/tmp/cover.png")};
        app->handleLaunch(request);
        QCOMPARE(opened.count(), 0);
        app->show();
        QTRY_COMPARE(opened.count(), 1);
    }

    void aPastedImageIsWrittenPrivatelyAndBecomesTheSource()
    {
        auto app = showApp({});
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QGuiApplication::clipboard()->setImage(image);
        QSignalSpy opened(&notifier, &AppNotifier::openImageAsSource);
        app->window().action("pasteImageAction")->trigger();
        QVERIFY(opened.wait(5000));
        const QString path = opened.first().first().toString();
        QVERIFY2(path.endsWith("/imports/service-import.png"), qPrintable(path));
        const auto othersMay = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                             | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        QCOMPARE(QFileInfo(path).permissions() & othersMay, QFileDevice::Permissions());
        QCOMPARE(QImage(path).size(), QSize(32, 24));
    }
};

QTEST_MAIN(PictaviaAppTest)
#include "tst_pictaviaapp.moc"
