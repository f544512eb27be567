#include "shell/IsolatedSettings.h"
#include "shell/WorkflowHint.h"

#include <QSettings>
#include <QTest>

class WorkflowHintTest : public QObject
{
    Q_OBJECT
    IsolatedSettings settings;

private slots:
    void init() { IsolatedSettings::clear(); }

    void visibleForTwoAppearancesThenHidden()
    {
        // One WorkflowHint per launch, as the window builds it.
        QList<bool> visibleDuringAppearance;
        for (int launch = 1; launch <= 4; ++launch) {
            WorkflowHint hint;
            hint.recordAppearance();
            visibleDuringAppearance << hint.isVisible();
            QCOMPARE(hint.views(), launch);
        }
        QCOMPARE(visibleDuringAppearance, (QList<bool>{true, true, false, false}));
        QCOMPARE(QSettings().value("workflowHintViews").toInt(), 4);
        QCOMPARE(QSettings().value("hasSeenWorkflowHint").toBool(), true);
    }

    void dismissingHidesItForGood()
    {
        {
            WorkflowHint hint;
            hint.recordAppearance();
            QVERIFY(hint.isVisible());
            hint.dismiss();
            QVERIFY(!hint.isVisible());
        }
        WorkflowHint nextLaunch;
        nextLaunch.recordAppearance();
        QVERIFY(!nextLaunch.isVisible());
        QCOMPARE(nextLaunch.views(), 2);
    }
};

QTEST_GUILESS_MAIN(WorkflowHintTest)
#include "tst_workflowhint.moc"
