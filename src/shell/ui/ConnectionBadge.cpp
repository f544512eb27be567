#include "ConnectionBadge.h"

#include "shell/Theme.h"

#include <QPainter>

namespace {
constexpr int dotSize = 8;
constexpr int horizontalPadding = 8;
constexpr int verticalPadding = 4;
constexpr int spacing = 6;
} // namespace

ConnectionBadge::ConnectionBadge(QWidget *parent) : QAbstractButton(parent)
{
    setObjectName(QStringLiteral("connectionBadge"));
    setCursor(Qt::PointingHandCursor);
    setToolTip(tr("Click for connection details"));
    QFont caption = font();
    caption.setPointSizeF(caption.pointSizeF() * 0.85);
    setFont(caption);
    setConnected(false);
}

void ConnectionBadge::setConnected(bool connected)
{
    m_connected = connected;
    setText(connected ? tr("Connected") : tr("Disconnected"));
    setAccessibleName(connected ? tr("Backend connected") : tr("Backend disconnected"));
    resize(sizeHint());
    updateGeometry();
    update();
}

QSize ConnectionBadge::sizeHint() const
{
    const QFontMetrics metrics(font());
    // Wide enough for either caption, so the badge does not jump when the state changes.
    const int textWidth = qMax(metrics.horizontalAdvance(tr("Connected")),
                               metrics.horizontalAdvance(tr("Disconnected")));
    return {horizontalPadding * 2 + dotSize + spacing + textWidth,
            verticalPadding * 2 + qMax(dotSize, metrics.height())};
}

void ConnectionBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor bar = palette().color(QPalette::Window);
    bar.setAlphaF(isDown() ? 1.0f : 0.88f);
    painter.setPen(QPen(palette().color(QPalette::Mid), 0.6));
    painter.setBrush(bar);
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);

    const QRectF dot(horizontalPadding, (height() - dotSize) / 2.0, dotSize, dotSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_connected ? Theme::studioGold() : QColor(0xD9, 0x3A, 0x32));
    painter.drawEllipse(dot);

    painter.setPen(palette().color(QPalette::PlaceholderText));
    const QRect textRect(horizontalPadding + dotSize + spacing, 0,
                         width() - horizontalPadding * 2 - dotSize - spacing, height());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text());
}
