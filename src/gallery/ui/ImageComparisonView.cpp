#include "gallery/ui/ImageComparisonView.h"

#include "gallery/PreviewZoom.h"
#include "shell/ui/Icons.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

void paintShadowedShape(QPainter &painter, const QPainterPath &shape, int radius)
{
    // A soft dark halo so the white divider and handle read on light and dark images alike.
    for (int ring = radius; ring > 0; --ring) {
        QPen pen(QColor(0, 0, 0, int(84 / radius)), ring * 2);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.strokePath(shape, pen);
    }
    painter.fillPath(shape, Qt::white);
}

} // namespace

ImageComparisonView::ImageComparisonView(QImage before, QImage after, QString beforeLabel, QString afterLabel,
                                         double sliderPosition, QWidget *parent)
    : QWidget(parent), m_before(std::move(before)), m_after(std::move(after)), m_beforeLabel(std::move(beforeLabel)),
      m_afterLabel(std::move(afterLabel)), m_position(sliderPosition)
{
    setObjectName(QStringLiteral("imageComparison"));
    setCursor(Qt::SizeHorCursor);
    setAccessibleName(m_beforeLabel + QStringLiteral(" / ") + m_afterLabel);
}

QRectF ImageComparisonView::fitted(const QImage &image) const
{
    const QSizeF area = size();
    if (image.isNull() || area.isEmpty())
        return {};
    const QSizeF shown = image.deviceIndependentSize().scaled(area, Qt::KeepAspectRatio);
    return {QPointF((area.width() - shown.width()) / 2, (area.height() - shown.height()) / 2), shown};
}

void ImageComparisonView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QRectF bounds = rect();
    QPainterPath rounded;
    rounded.addRoundedRect(bounds, 8, 8);
    painter.setClipPath(rounded);
    painter.fillRect(bounds, Qt::black);
    drawFitted(painter, m_after, m_afterScaled);
    painter.save();
    painter.setClipRect(HorizontalClip{m_position}.path(bounds), Qt::IntersectClip);
    drawFitted(painter, m_before, m_beforeScaled);
    painter.restore();

    const QPointF centre(bounds.width() * m_position, bounds.height() / 2);
    QPainterPath divider;
    divider.addRect(QRectF(centre.x() - 1, 0, 2, bounds.height()));
    paintShadowedShape(painter, divider, 2);
    QPainterPath handle;
    handle.addEllipse(centre, 16, 16);
    paintShadowedShape(painter, handle, 3);
    const QColor chevrons = palette().color(QPalette::Disabled, QPalette::WindowText);
    const int chevron = 10;
    painter.drawPixmap(QPointF(centre.x() - chevron - 1, centre.y() - chevron / 2.0),
                       Icons::pixmap(QStringLiteral("chevron.left"), chevrons, chevron, devicePixelRatioF()));
    painter.drawPixmap(QPointF(centre.x() + 1, centre.y() - chevron / 2.0),
                       Icons::pixmap(QStringLiteral("chevron.right"), chevrons, chevron, devicePixelRatioF()));

    paintLabel(painter, m_beforeLabel, false);
    paintLabel(painter, m_afterLabel, true);
}

void ImageComparisonView::drawFitted(QPainter &painter, const QImage &image, ScaledImageCache &cache)
{
    // A divider drag repaints at the same size: the images are scaled once, not on every move.
    const QRectF target = fitted(image);
    const qreal ratio = devicePixelRatioF();
    QImage drawn = cache.scaled(image, (target.size() * ratio).toSize());
    drawn.setDevicePixelRatio(ratio);
    painter.drawImage(target.topLeft(), drawn);
}

void ImageComparisonView::paintLabel(QPainter &painter, const QString &text, bool atRight) const
{
    QFont font = this->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    font.setBold(true);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const QSizeF box(metrics.horizontalAdvance(text) + 8, metrics.height() + 8);
    const QPointF at(atRight ? width() - 8 - box.width() : 8, 8);
    const QRectF frame(at, box);
    QPainterPath path;
    path.addRoundedRect(frame, 4, 4);
    QColor material = palette().color(QPalette::Window);
    material.setAlphaF(0.7f);
    painter.fillPath(path, material);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(frame, Qt::AlignCenter, text);
}

void ImageComparisonView::mousePressEvent(QMouseEvent *event)
{
    m_pressAt = event->position();
    m_dragging = false;
}

void ImageComparisonView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || width() <= 0)
        return;
    if (!m_dragging && QLineF(m_pressAt, event->position()).length() < PreviewZoom::dragThreshold)
        return;
    m_dragging = true;
    m_position = std::clamp(event->position().x() / width(), minimumPosition, maximumPosition);
    update();
}

void ImageComparisonView::mouseReleaseEvent(QMouseEvent *) { m_dragging = false; }
