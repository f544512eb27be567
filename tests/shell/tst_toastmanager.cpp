#include "shell/ToastManager.h"

#include <QSignalSpy>
#include <QTest>

// Durations are scaled down so that one second of toast time passes in 100 ms.
class ToastManagerTest : public QObject
{
    Q_OBJECT
private:
    static constexpr double scale = 0.1; // one "second" is 100 ms

private slots:
    void aToastGoesAwayAfterItsDuration()
    {
        ToastManager toasts;
        toasts.setDurationScale(scale);
        toasts.show("Saved", ToastStyle::Success, 1.0);
        QVERIFY(toasts.currentToast());
        QCOMPARE(toasts.currentToast()->message, QString("Saved"));
        QCOMPARE(toasts.currentToast()->style, ToastStyle::Success);
        QTRY_VERIFY_WITH_TIMEOUT(!toasts.currentToast(), 2000);
    }

    void aNewerToastIsNotClearedByTheOlderTimer()
    {
        ToastManager toasts;
        toasts.setDurationScale(scale);
        toasts.show("First", ToastStyle::Info, 2.0);
        QTest::qWait(100); // half of the first toast's 200 ms
        toasts.show("Second", ToastStyle::Info, 2.0);
        const QUuid second = toasts.currentToast()->id;
        QTest::qWait(150); // past the first toast's end, before the second's
        QVERIFY(toasts.currentToast());
        QCOMPARE(toasts.currentToast()->id, second);
        QTRY_VERIFY_WITH_TIMEOUT(!toasts.currentToast(), 2000);
    }

    void theSameTextShownAgainGetsItsFullTimeAgain()
    {
        ToastManager toasts;
        toasts.setDurationScale(scale);
        toasts.show("Copied", ToastStyle::Success, 2.0);
        const QUuid first = toasts.currentToast()->id;
        QTest::qWait(100);
        toasts.show("Copied", ToastStyle::Success, 2.0);
        QVERIFY(toasts.currentToast()->id != first); // a new toast, not the old one kept
        QTest::qWait(150);
        QVERIFY(toasts.currentToast());
    }

    void undoRunsOnceAndDismissesAtOnce()
    {
        ToastManager toasts;
        toasts.setDurationScale(scale);
        int runs = 0;
        toasts.show("Deleted", ToastStyle::Success, ToastManager::undoDuration, [&runs] { ++runs; });
        const QUuid id = toasts.currentToast()->id;
        QSignalSpy changes(&toasts, &ToastManager::currentToastChanged);

        toasts.undo(id);
        toasts.undo(id); // a second click on the same toast
        QCOMPARE(runs, 1);
        QVERIFY(!toasts.currentToast());
        QCOMPARE(changes.count(), 1);

        // The dismissal timer never fires afterwards, not even for a later toast of the same text.
        QTest::qWait(int(ToastManager::undoDuration * scale * 1000) + 100);
        QCOMPARE(changes.count(), 1);
    }

    void anUndoThatRaisesItsOwnToastKeepsIt()
    {
        ToastManager toasts;
        toasts.setDurationScale(scale);
        toasts.show("Deleted", ToastStyle::Success, ToastManager::undoDuration,
                    [&toasts] { toasts.show("Restored", ToastStyle::Info); });
        toasts.undo(toasts.currentToast()->id);
        QVERIFY(toasts.currentToast());
        QCOMPARE(toasts.currentToast()->message, QString("Restored"));
    }

    void undoOfAReplacedToastDoesNothing()
    {
        ToastManager toasts;
        int runs = 0;
        toasts.show("Deleted", ToastStyle::Success, ToastManager::undoDuration, [&runs] { ++runs; });
        const QUuid stale = toasts.currentToast()->id;
        toasts.show("Something else", ToastStyle::Info);
        toasts.undo(stale);
        QCOMPARE(runs, 0);
        QCOMPARE(toasts.currentToast()->message, QString("Something else"));
    }

    void dismissCancelsTheTimer()
    {
        ToastManager toasts;
        toasts.setDurationScale(scale);
        toasts.show("Saved", ToastStyle::Success, 1.0);
        QSignalSpy changes(&toasts, &ToastManager::currentToastChanged);
        toasts.dismiss();
        QTest::qWait(150);
        QCOMPARE(changes.count(), 1);
    }
};

QTEST_GUILESS_MAIN(ToastManagerTest)
#include "tst_toastmanager.moc"
