#include "gallery/ui/PreviewImageArea.h"

#include "shell/ui/Icons.h"

#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QWheelEvent>

PreviewImageArea::PreviewImageArea(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("previewImageArea"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_AcceptTouchEvents);
    setMinimumSize(200, 200);
    m_animation.setStartValue(0.0);
    m_animation.setEndValue(1.0);
    m_animation.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        const double t = value.toDouble();
        const View to = target();
        m_shown = {m_from.zoom + (to.zoom - m_from.zoom) * t, m_from.offset + (to.offset - m_from.offset) * t};
        update();
    });
}

void PreviewImageArea::setImage(const QImage &image)
{
    m_image = image;
    m_missing = false;
    update();
}

void PreviewImageArea::setMissing(const QString &path)
{
    m_image = {};
    m_missing = true;
    m_missingPath = path;
    update();
}

void PreviewImageArea::zoomIn()
{
    m_zoom.zoomIn();
    applyZoom(true);
}

void PreviewImageArea::zoomOut()
{
    m_zoom.zoomOut();
    applyZoom(true);
}

void PreviewImageArea::fit()
{
    m_zoom.fit();
    applyZoom(true);
}

void PreviewImageArea::applyZoom(bool animated)
{
    m_animation.stop();
    if (animated && !m_reduceMotion) {
        m_from = m_shown;
        m_animation.setDuration(300);
        m_animation.start();
    } else {
        m_shown = target();
        update();
    }
    emit zoomChanged();
}

void PreviewImageArea::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_missing) {
        const QColor secondary = palette().color(QPalette::Disabled, QPalette::WindowText).lighter(160);
        const int iconSize = 48;
        const QPixmap icon = Icons::pixmap(QStringLiteral("exclamationmark.triangle"), secondary, iconSize,
                                           devicePixelRatioF());
        const QPoint centre = rect().center();
        painter.drawPixmap(centre.x() - iconSize / 2, centre.y() - iconSize - 12, icon);
        painter.setPen(secondary);
        painter.drawText(QRect(0, centre.y() - 4, width(), 22), Qt::AlignCenter, tr("Image not found"));
        QFont caption = font();
        caption.setPointSizeF(caption.pointSizeF() * 0.85);
        painter.setFont(caption);
        painter.drawText(QRect(12, centre.y() + 20, width() - 24, 40), Qt::AlignHCenter | Qt::TextWrapAnywhere,
                         m_missingPath);
        return;
    }
    if (m_image.isNull())
        return;
    const QSizeF fitted = m_image.deviceIndependentSize().scaled(size(), Qt::KeepAspectRatio);
    const QSizeF shown = fitted * m_shown.zoom;
    const QPointF topLeft(rect().center().x() + 0.5 - shown.width() / 2 + m_shown.offset.width(),
                          rect().center().y() + 0.5 - shown.height() / 2 + m_shown.offset.height());
    const QRectF target(topLeft, shown);
    if (m_shown.zoom > 1.0) {
        // Zoomed in, only part of the image shows: scale just that part while painting.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
        return;
    }
    // Fitted or smaller, a pan repaints at the same size: scale once, then copy.
    QImage drawn = m_scaled.scaled(m_image, (target.size() * devicePixelRatioF()).toSize());
    drawn.setDevicePixelRatio(devicePixelRatioF());
    painter.drawImage(target.topLeft(), drawn);
}

void PreviewImageArea::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_pressAt = event->position();
}

void PreviewImageArea::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return;
    const QPointF moved = event->position() - m_pressAt;
    const QSizeF before = m_zoom.dragOffset();
    m_zoom.dragChanged({moved.x(), moved.y()});
    if (m_zoom.dragOffset() != before) {
        setCursor(Qt::ClosedHandCursor);
        applyZoom(false);
    }
}

void PreviewImageArea::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressed || event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    const QPointF moved = event->position() - m_pressAt;
    m_zoom.dragEnded({moved.x(), moved.y()});
    unsetCursor();
    applyZoom(false);
}

void PreviewImageArea::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    m_zoom.doubleClick();
    applyZoom(true);
}

void PreviewImageArea::wheelEvent(QWheelEvent *event)
{
    // Mice cannot pinch: Ctrl+wheel steps the zoom as the buttons do.
    if (!(event->modifiers() & Qt::ControlModifier) || event->angleDelta().y() == 0) {
        event->ignore();
        return;
    }
    event->angleDelta().y() > 0 ? zoomIn() : zoomOut();
    event->accept();
}

bool PreviewImageArea::event(QEvent *event)
{
    if (event->type() == QEvent::NativeGesture) {
        auto *gesture = static_cast<QNativeGestureEvent *>(event);
        switch (gesture->gestureType()) {
        case Qt::BeginNativeGesture:
            m_pinch = m_appliedPinch = 1.0; // each pinch starts from its own 100 %
            return true;
        case Qt::ZoomNativeGesture:
            m_pinch *= 1.0 + gesture->value();
            if (std::abs(m_pinch - m_appliedPinch) >= 0.01) { // ignore the jitter of a resting hand
                m_appliedPinch = m_pinch;
                m_zoom.pinch(m_pinch);
                applyZoom(false);
            }
            return true;
        default:
            break;
        }
    }
    return QWidget::event(event);
}
