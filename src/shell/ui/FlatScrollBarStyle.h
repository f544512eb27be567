#pragma once

#include <QImage>
#include <QProxyStyle>

// A slim scroll bar without arrow buttons, drawn from opaque fills and one small kept image of
// the rounded handle. Qt's raster engine splits tall gradient or translucent fills across the
// global thread pool and waits for them; while other work held both cores, that wait inside the
// platform style's scroll bar stalled scrolling for up to 100 ms. Views that scroll a lot give
// their scroll bars this style. Everything but scroll bars goes to the application's style.
class FlatScrollBarStyle : public QProxyStyle
{
    Q_OBJECT

public:
    static constexpr int extent = 12;
    static constexpr int inset = 3;
    static constexpr int minimumHandle = 32;

    // The one instance scroll bars share; it lives as long as the application.
    static FlatScrollBarStyle *shared();

    void polish(QWidget *widget) override;
    using QProxyStyle::polish;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
                         const QWidget *widget = nullptr) const override;
    SubControl hitTestComplexControl(ComplexControl control, const QStyleOptionComplex *option, const QPoint &point,
                                     const QWidget *widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;

private:
    using QProxyStyle::QProxyStyle;
    const QImage &handleImage(const QSize &size, const QColor &color, qreal pixelRatio) const;

    mutable QImage m_handle; // redrawn only when the handle's size, colour or pixel ratio changes
    mutable QColor m_handleColor;
};
