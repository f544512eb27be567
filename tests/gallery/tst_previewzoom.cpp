#include "gallery/PreviewZoom.h"

#include <QTest>

// Steps: "+" zoom in, "-" zoom out, "f" fit, "d" double click, "pX" pinch to X.
class PreviewZoomTest : public QObject
{
    Q_OBJECT

private slots:
    void zoomSteps_data();
    void zoomSteps();
    void dragPansOnlyPastTheThreshold();
};

void PreviewZoomTest::zoomSteps_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("percent");
    QTest::newRow("starts at 100 %") << QStringList{} << "100%";
    QTest::newRow("50 % down to 25 %, then stays") << QStringList{"-", "-"} << "50%";
    QTest::newRow("never below 25 %") << QStringList{"-", "-", "-", "-", "-"} << "25%";
    QTest::newRow("never above 500 %") << QStringList(18, "+") << "500%";
    QTest::newRow("pinch ignores the zoom before it") << QStringList{"+", "+", "+", "+", "p3"} << "300%";
    QTest::newRow("pinch is clamped") << QStringList{"p9"} << "500%";
    QTest::newRow("pinch below the minimum") << QStringList{"p0.1"} << "25%";
    QTest::newRow("double click at 100 % goes to 200 %") << QStringList{"d"} << "200%";
    QTest::newRow("double click again goes back") << QStringList{"d", "d"} << "100%";
    QTest::newRow("double click below 100 % goes to 200 %") << QStringList{"-", "d"} << "200%";
    QTest::newRow("fit") << QStringList{"+", "+", "f"} << "100%";
    QTest::newRow("integer part of the percentage") << QStringList{"p1.239"} << "123%";
}

void PreviewZoomTest::zoomSteps()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, percent);
    PreviewZoom zoom;
    for (const QString &step : steps) {
        if (step == "+")
            zoom.zoomIn();
        else if (step == "-")
            zoom.zoomOut();
        else if (step == "f")
            zoom.fit();
        else if (step == "d")
            zoom.doubleClick();
        else
            zoom.pinch(step.mid(1).toDouble());
    }
    QCOMPARE(zoom.percentText(), percent);
}

void PreviewZoomTest::dragPansOnlyPastTheThreshold()
{
    PreviewZoom zoom;
    zoom.dragChanged({6, 6}); // 8.5 points
    QCOMPARE(zoom.dragOffset(), QSizeF(0, 0));
    zoom.dragEnded({6, 6});
    QCOMPARE(zoom.offset(), QSizeF(0, 0));

    zoom.dragChanged({12, 0});
    QCOMPARE(zoom.dragOffset(), QSizeF(12, 0));
    zoom.dragChanged({4, 3}); // once panning, it follows back inside the threshold
    QCOMPARE(zoom.totalOffset(), QSizeF(4, 3));
    zoom.dragEnded({30, -5});
    QCOMPARE(zoom.offset(), QSizeF(30, -5));
    QCOMPARE(zoom.dragOffset(), QSizeF(0, 0));

    zoom.doubleClick(); // to 200 %: the pan stays
    QCOMPARE(zoom.offset(), QSizeF(30, -5));
    zoom.doubleClick(); // back to 100 %: the pan is reset
    QCOMPARE(zoom.offset(), QSizeF(0, 0));
}

QTEST_APPLESS_MAIN(PreviewZoomTest)
#include "tst_previewzoom.moc"
