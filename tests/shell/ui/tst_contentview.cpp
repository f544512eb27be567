#include "FakeBackendControl.h"
#include "shell/AppNotifier.h"
#include "shell/IsolatedSettings.h"
#include "shell/MotionPreference.h"
#include "shell/ToastManager.h"
#include "shell/WorkflowHint.h"
#include "shell/ui/ConnectionBadge.h"
#include "shell/ui/ConnectionPopover.h"
#include "shell/ui/ConnectionRow.h"
#include "shell/ui/ContentView.h"
#include "shell/ui/WorkflowHintBar.h"

#include <QLabel>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

class ContentViewTest : public QObject
{
    Q_OBJECT
    IsolatedSettings settings;
    FakeBackendControl backend;
    AppNotifier notifier;
    ToastManager toasts;
    MotionPreference motion;
    QNetworkAccessManager network;

    std::unique_ptr<ContentView> makeView()
    {
        return std::make_unique<ContentView>(backend, notifier, toasts, motion, network);
    }

private slots:
    void init() { IsolatedSettings::clear(); }

    void fourTabsInOrderEachWithAnIconAndAPlaceholder()
    {
        auto view = makeView();
        QTabWidget *tabs = view->tabs();
        QCOMPARE(tabs->count(), 4);
        const QStringList titles{"Palettor", "Generate", "Gallery", "Settings"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(tabs->tabText(i), titles[i]);
            QVERIFY(!tabs->tabIcon(i).pixmap(16, 16).toImage().isNull());
            QCOMPARE(tabs->widget(i)->objectName(), QString("tabPlaceholder%1").arg(i));
        }
        QCOMPARE(view->selectedTab(), 0);
    }

    void switchTabFollowsTheIntegerRule_data()
    {
        QTest::addColumn<QVariant>("object");
        QTest::addColumn<int>("expected");
        QTest::newRow("integer") << QVariant(2) << 2;
        QTest::newRow("string") << QVariant(QStringLiteral("2")) << 1;
        QTest::newRow("no object") << QVariant() << 1;
        QTest::newRow("out of range") << QVariant(9) << 1;
    }
    void switchTabFollowsTheIntegerRule()
    {
        QFETCH(QVariant, object);
        QFETCH(int, expected);
        auto view = makeView();
        view->setSelectedTab(1);
        emit notifier.switchTab(object);
        QCOMPARE(view->selectedTab(), expected);
    }

    void openSettingsSelectsTheSettingsTab()
    {
        auto view = makeView();
        emit notifier.openSettings();
        QCOMPARE(view->selectedTab(), 3);
    }

    void theSelectedTabIsRestoredWithTheWindow()
    {
        makeView()->setSelectedTab(2);
        QSettings state;
        state.beginGroup("MainWindow");
        QCOMPARE(state.value("selectedTab").toInt(), 2);
        QCOMPARE(makeView()->selectedTab(), 2);
    }

    void aScreenReplacesItsPlaceholder()
    {
        auto view = makeView();
        view->setSelectedTab(2);
        QPointer<QWidget> placeholder = view->tabContent(2);
        auto *gallery = new QLabel("gallery screen");
        view->setTabContent(2, gallery);
        QVERIFY(!placeholder);
        QCOMPARE(view->tabContent(2), gallery);
        QCOMPARE(view->tabs()->tabText(2), QString("Gallery"));
        QCOMPARE(view->selectedTab(), 2);

        view->setTabContent(0, new QLabel("chat screen"));
        QCOMPARE(view->selectedTab(), 2);
        QCOMPARE(view->tabs()->count(), 4);
    }

    void theBadgeFollowsTheConnection()
    {
        auto view = makeView();
        ConnectionBadge *badge = view->connectionBadge();
        QCOMPARE(badge->text(), QString("Disconnected"));
        QCOMPARE(badge->accessibleName(), QString("Backend disconnected"));
        QCOMPARE(badge->toolTip(), QString("Click for connection details"));
        backend.setConnected(true);
        QCOMPARE(badge->text(), QString("Connected"));
        QCOMPARE(badge->accessibleName(), QString("Backend connected"));
        QCOMPARE(view->connectionPopover()->backendRow()->accessibleName(), QString("Python Backend: connected"));
        backend.setConnected(false);
    }

    void thePopoverShowsTheChosenBackends()
    {
        QSettings().setValue("imageBackend", "remote");
        auto view = makeView();
        view->resize(1000, 700);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QTest::mouseClick(view->connectionBadge(), Qt::LeftButton);
        ConnectionPopover *popover = view->connectionPopover();
        QVERIFY(popover->isVisible());
        QCOMPARE(popover->findChild<QLabel *>("imageBackendValue")->text(), QString("remote"));
        QCOMPARE(popover->findChild<QLabel *>("llmProviderValue")->text(), QString("mlx_local"));
        QCOMPARE(popover->httpApiRow()->accessibleName(), QString("Studio HTTP API: disconnected"));
        QCOMPARE(popover->width(), 300);
        popover->hide();
    }

    void theWorkflowHintCountsAppearances()
    {
        QList<bool> hintShown;
        for (int launch = 1; launch <= 4; ++launch) {
            auto view = makeView();
            view->show();
            hintShown << view->workflowHintBar()->isVisible();
        }
        QCOMPARE(hintShown, (QList<bool>{true, true, false, false}));
    }

    void theHintsCloseButtonDismissesIt()
    {
        auto view = makeView();
        view->show();
        QToolButton *close = view->workflowHintBar()->dismissButton();
        QCOMPARE(close->accessibleName(), QString("Dismiss workflow hint"));
        QVERIFY(view->workflowHintBar()->isVisible());
        close->click();
        QVERIFY(!view->workflowHintBar()->isVisible());
        QCOMPARE(QSettings().value("hasSeenWorkflowHint").toBool(), true);
    }
};

QTEST_MAIN(ContentViewTest)
#include "tst_contentview.moc"
