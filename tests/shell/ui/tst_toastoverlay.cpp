#include "shell/IsolatedSettings.h"
#include "shell/MotionPreference.h"
#include "shell/ToastManager.h"
#include "shell/ui/InfoBanner.h"
#include "shell/ui/ToastOverlay.h"
#include "shell/ui/ToastView.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class ToastOverlayTest : public QObject
{
    Q_OBJECT
    IsolatedSettings settings;

    struct Window {
        QWidget host;
        ToastManager toasts;
        MotionPreference motion;
        ToastOverlay overlay{&host, toasts, motion};

        Window()
        {
            toasts.setDurationScale(0.05);
            overlay.setAnimationDuration(120);
            host.resize(800, 600);
            host.show();
        }
        ToastView *view() const { return overlay.view(); }
        QString shownMessage() const { return view()->findChild<QLabel *>("toastMessage")->text(); }
        QPushButton *undo() const { return view()->findChild<QPushButton *>("toastUndo"); }
    };

private slots:
    void aToastAppearsAtTheTopAndLeavesAfterItsTime()
    {
        Window window;
        QVERIFY(!window.view()->isVisible());
        window.toasts.show("Copied to clipboard", ToastStyle::Success, 10.0);
        QVERIFY(window.view()->isVisible());
        QCOMPARE(window.shownMessage(), QString("Copied to clipboard"));
        QCOMPARE(window.view()->accessibleName(), QString("Copied to clipboard"));
        QVERIFY(window.undo()->isHidden());
        QTRY_COMPARE(window.view()->y(), ToastOverlay::topPadding - ToastView::shadowMargin);
        QCOMPARE(window.view()->x(), (800 - window.view()->width()) / 2);
        QTRY_VERIFY_WITH_TIMEOUT(!window.view()->isVisible(), 3000);
    }

    void undoRunsTheActionOnceAndRemovesTheToast()
    {
        Window window;
        int runs = 0;
        window.toasts.show("Deleted “Sunset”", ToastStyle::Success, ToastManager::undoDuration,
                           [&runs] { ++runs; });
        QVERIFY(window.undo()->isVisible());
        QCOMPARE(window.undo()->text(), QString("Undo"));
        QTest::mouseClick(window.undo(), Qt::LeftButton);
        QTest::mouseClick(window.undo(), Qt::LeftButton);
        QCOMPARE(runs, 1);
        QVERIFY(!window.toasts.currentToast());
        QTRY_VERIFY(!window.view()->isVisible());
    }

    void aReplacementShowsTheNewText()
    {
        Window window;
        window.toasts.show("First", ToastStyle::Info, 10.0);
        window.toasts.show("Second", ToastStyle::Error, 10.0);
        QCOMPARE(window.shownMessage(), QString("Second"));
        QVERIFY(window.view()->isVisible());
    }

    void slidesFromTheTopUnlessMotionIsReduced_data()
    {
        QTest::addColumn<bool>("reduceMotion");
        QTest::newRow("motion") << false;
        QTest::newRow("reduced motion") << true;
    }
    void slidesFromTheTopUnlessMotionIsReduced()
    {
        QFETCH(bool, reduceMotion);
        Window window;
        window.motion.setDesktopAnimationsOff(reduceMotion);
        window.overlay.setAnimationDuration(400);
        const int resting = ToastOverlay::topPadding - ToastView::shadowMargin;
        window.toasts.show("Saved", ToastStyle::Success, 100.0);
        QList<int> positions;
        for (int i = 0; i < 6; ++i) {
            positions << window.view()->y();
            QTest::qWait(50);
        }
        const bool stayedInPlace = std::all_of(positions.begin(), positions.end(),
                                               [resting](int y) { return y == resting; });
        QCOMPARE(stayedInPlace, reduceMotion);
        if (!reduceMotion)
            QVERIFY(positions.first() < 0); // it came down from above the top edge
    }

    void theBannerButtonNeedsATitleAndAnAction_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("hasHandler");
        QTest::addColumn<bool>("buttonShown");
        QTest::newRow("both") << "Reconnect" << true << true;
        QTest::newRow("title only") << "Reconnect" << false << false;
        QTest::newRow("handler only") << "" << true << false;
        QTest::newRow("neither") << "" << false << false;
    }
    void theBannerButtonNeedsATitleAndAnAction()
    {
        QFETCH(QString, action);
        QFETCH(bool, hasHandler);
        QFETCH(bool, buttonShown);
        int calls = 0;
        std::function<void()> handler;
        if (hasHandler)
            handler = [&calls] { ++calls; };
        InfoBanner banner("exclamationmark.triangle", "Backend not connected. Check Settings to reconnect.",
                          action, handler);
        QCOMPARE(banner.message(), QString("Backend not connected. Check Settings to reconnect."));
        auto *button = banner.findChild<QPushButton *>("infoBannerAction");
        QCOMPARE(button != nullptr, buttonShown);
        if (button) {
            QCOMPARE(button->text(), action);
            button->click();
            QCOMPARE(calls, 1);
        }
    }
};

QTEST_MAIN(ToastOverlayTest)
#include "tst_toastoverlay.moc"
