#include "shell/ui/FlatScrollBarStyle.h"

#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>

namespace {

QStyleOptionSlider optionFor(const QScrollBar &bar)
{
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = bar.orientation();
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.pageStep = bar.pageStep();
    option.singleStep = bar.singleStep();
    option.upsideDown = bar.invertedAppearance();
    return option;
}

QRect part(const QScrollBar &bar, QStyle::SubControl subControl)
{
    const QStyleOptionSlider option = optionFor(bar);
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, subControl, &bar);
}

} // namespace

class FlatScrollBarStyleTest : public QObject
{
    Q_OBJECT

private slots:
    void handleGeometry_data();
    void handleGeometry();
    void clickAndDrag();
    void paintsTrackAndHandleOnly();
};

void FlatScrollBarStyleTest::handleGeometry_data()
{
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("pageStep");
    QTest::addColumn<int>("value");
    QTest::addColumn<QRect>("handle");
    // A 12 x 400 vertical bar over [0, maximum].
    QTest::newRow("proportional, at the top") << 300 << 100 << 0 << QRect(0, 0, 12, 100);
    QTest::newRow("proportional, in the middle") << 300 << 100 << 150 << QRect(0, 150, 12, 100);
    QTest::newRow("proportional, at the end") << 300 << 100 << 300 << QRect(0, 300, 12, 100);
    QTest::newRow("long content keeps the minimum handle") << 1'000'000 << 800 << 0 << QRect(0, 0, 12, 32);
    QTest::newRow("minimum handle at the end") << 1'000'000 << 800 << 1'000'000 << QRect(0, 368, 12, 32);
    QTest::newRow("nothing to scroll fills the track") << 0 << 100 << 0 << QRect(0, 0, 12, 400);
    QTest::newRow("ranges near the int limit do not overflow") << INT_MAX << 1 << INT_MAX << QRect(0, 368, 12, 32);
}

void FlatScrollBarStyleTest::handleGeometry()
{
    QFETCH(int, maximum);
    QFETCH(int, pageStep);
    QFETCH(int, value);
    QFETCH(QRect, handle);
    QScrollBar bar(Qt::Vertical);
    bar.setStyle(FlatScrollBarStyle::shared());
    bar.setRange(0, maximum);
    bar.setPageStep(pageStep);
    bar.setValue(value);
    bar.resize(FlatScrollBarStyle::extent, 400);

    QCOMPARE(part(bar, QStyle::SC_ScrollBarSlider), handle);
    QCOMPARE(part(bar, QStyle::SC_ScrollBarSubPage), QRect(0, 0, 12, handle.top()));
    QCOMPARE(part(bar, QStyle::SC_ScrollBarAddPage).bottom(), 399);
    // No arrow buttons: the track is the whole bar.
    QVERIFY(part(bar, QStyle::SC_ScrollBarAddLine).isEmpty());
    QVERIFY(part(bar, QStyle::SC_ScrollBarSubLine).isEmpty());
    QCOMPARE(bar.sizeHint().width(), FlatScrollBarStyle::extent);
}

void FlatScrollBarStyleTest::clickAndDrag()
{
    QScrollBar bar(Qt::Vertical);
    bar.setStyle(FlatScrollBarStyle::shared());
    bar.setRange(0, 300);
    bar.setPageStep(100);
    bar.resize(FlatScrollBarStyle::extent, 400);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));

    // A click on the track centres the handle there.
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(6, 250));
    QCOMPARE(bar.value(), 200);

    // Dragging the handle moves the content by the same share of the track.
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(6, 250));
    QTest::mouseMove(&bar, QPoint(6, 200));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(6, 200));
    QCOMPARE(bar.value(), 150);
}

void FlatScrollBarStyleTest::paintsTrackAndHandleOnly()
{
    QScrollBar bar(Qt::Vertical);
    bar.setStyle(FlatScrollBarStyle::shared());
    bar.setBackgroundRole(QPalette::Base);
    QPalette palette = bar.palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    bar.setPalette(palette);
    bar.setRange(0, 300);
    bar.setPageStep(100);
    bar.resize(FlatScrollBarStyle::extent, 400);

    const QImage drawn = bar.grab().toImage();
    QCOMPARE(drawn.pixelColor(6, 390), QColor(Qt::white)); // track to the very end
    QCOMPARE(drawn.pixelColor(0, 50), QColor(Qt::white));  // beside the inset handle
    const QColor handle = drawn.pixelColor(6, 50);
    QVERIFY(handle.lightness() < 230 && handle.lightness() > 100);
}

QTEST_MAIN(FlatScrollBarStyleTest)
#include "tst_flatscrollbarstyle.moc"
