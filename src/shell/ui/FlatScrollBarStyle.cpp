#include "shell/ui/FlatScrollBarStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollBar>
#include <QStyleOptionSlider>

namespace {

QColor mixed(const QColor &from, const QColor &to, double amount)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * amount),
                            float(from.greenF() + (to.greenF() - from.greenF()) * amount),
                            float(from.blueF() + (to.blueF() - from.blueF()) * amount));
}

} // namespace

FlatScrollBarStyle *FlatScrollBarStyle::shared()
{
    static QPointer<FlatScrollBarStyle> instance;
    if (!instance) {
        instance = new FlatScrollBarStyle(static_cast<QStyle *>(nullptr));
        instance->setParent(qApp);
    }
    return instance;
}

void FlatScrollBarStyle::polish(QWidget *widget)
{
    QProxyStyle::polish(widget);
    if (qobject_cast<QScrollBar *>(widget))
        widget->setAttribute(Qt::WA_Hover); // the handle darkens under the pointer
}

QRect FlatScrollBarStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                                         SubControl subControl, const QWidget *widget) const
{
    const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
    if (control != CC_ScrollBar || !bar)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const bool vertical = bar->orientation == Qt::Vertical;
    const QRect groove = bar->rect;
    const int length = vertical ? groove.height() : groove.width();
    const qint64 range = qint64(bar->maximum) - bar->minimum;
    int handle = length;
    if (range > 0)
        handle = int(std::clamp<qint64>(qint64(length) * bar->pageStep / (range + bar->pageStep), minimumHandle, length));
    handle = std::min(handle, length);
    const int start = sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition, length - handle,
                                              bar->upsideDown);
    auto along = [&](int from, int size) {
        return vertical ? QRect(groove.left(), groove.top() + from, groove.width(), size)
                        : QRect(groove.left() + from, groove.top(), size, groove.height());
    };
    switch (subControl) {
    case SC_ScrollBarSlider:
        return along(start, handle);
    case SC_ScrollBarSubPage:
        return along(0, start);
    case SC_ScrollBarAddPage:
        return along(start + handle, length - start - handle);
    case SC_ScrollBarGroove:
        return groove;
    default:
        return {}; // no arrow buttons
    }
}

QStyle::SubControl FlatScrollBarStyle::hitTestComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                                            const QPoint &point, const QWidget *widget) const
{
    if (control != CC_ScrollBar)
        return QProxyStyle::hitTestComplexControl(control, option, point, widget);
    for (SubControl part : {SC_ScrollBarSlider, SC_ScrollBarSubPage, SC_ScrollBarAddPage}) {
        if (subControlRect(control, option, part, widget).contains(point))
            return part;
    }
    return SC_None;
}

void FlatScrollBarStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                            QPainter *painter, const QWidget *widget) const
{
    const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
    if (control != CC_ScrollBar || !bar) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // The track takes the colour of what the bar sits on, so the bar reads as part of the view.
    const QColor track = bar->palette.color(widget ? widget->backgroundRole() : QPalette::Window);
    painter->fillRect(bar->rect, track);
    if (bar->maximum <= bar->minimum)
        return;
    const bool onHandle = bar->activeSubControls & SC_ScrollBarSlider;
    const double strength = (onHandle && (bar->state & State_Sunken))      ? 0.55
                            : (onHandle && (bar->state & State_MouseOver)) ? 0.45
                                                                           : 0.3;
    const QColor color = mixed(track, bar->palette.color(QPalette::WindowText), strength);
    const QRect handle = subControlRect(control, option, SC_ScrollBarSlider, widget)
                             .adjusted(inset, inset, -inset, -inset);
    if (handle.width() > 0 && handle.height() > 0)
        painter->drawImage(handle.topLeft(), handleImage(handle.size(), color, painter->device()->devicePixelRatio()));
}

const QImage &FlatScrollBarStyle::handleImage(const QSize &size, const QColor &color, qreal pixelRatio) const
{
    if (m_handle.deviceIndependentSize().toSize() == size && m_handleColor == color
        && qFuzzyCompare(m_handle.devicePixelRatio(), pixelRatio))
        return m_handle;
    m_handle = QImage(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    m_handle.setDevicePixelRatio(pixelRatio);
    m_handle.fill(Qt::transparent);
    QPainter painter(&m_handle);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = std::min(size.width(), size.height()) / 2.0;
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), size), radius, radius);
    painter.fillPath(path, color);
    painter.end();
    m_handleColor = color;
    return m_handle;
}

int FlatScrollBarStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    switch (metric) {
    case PM_ScrollBarExtent:
        return extent;
    case PM_ScrollBarSliderMin:
        return minimumHandle;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int FlatScrollBarStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                                  QStyleHintReturn *returnData) const
{
    // A click on the track jumps there, as in image browsers; a handle that is dragged keeps its
    // place wherever the pointer wanders.
    if (hint == SH_ScrollBar_LeftClickAbsolutePosition)
        return true;
    if (hint == SH_ScrollBar_ScrollWhenPointerLeavesControl)
        return true;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
