#include "ToastView.h"

#include "Icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

ToastView::ToastView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("toast"));
    setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(shadowMargin + 16, shadowMargin + 10, shadowMargin + 16, shadowMargin + 10);
    layout->setSpacing(8);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("toastIcon"));
    m_icon->setFixedSize(18, 18);
    layout->addWidget(m_icon, 0, Qt::AlignVCenter);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("toastMessage"));
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    QFont callout = m_message->font();
    callout.setPointSizeF(callout.pointSizeF() * 0.95);
    m_message->setFont(callout);
    m_message->setMaximumWidth(460);
    // At most two lines of the callout font.
    m_message->setMaximumHeight(QFontMetrics(callout).lineSpacing() * 2 + 2);
    layout->addWidget(m_message, 0, Qt::AlignVCenter);

    m_undo = new QPushButton(tr("Undo"), this);
    m_undo->setObjectName(QStringLiteral("toastUndo"));
    QFont small = m_undo->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    m_undo->setFont(small);
    m_undo->setCursor(Qt::PointingHandCursor);
    m_undo->setMaximumHeight(QFontMetrics(small).height() + 8);
    layout->addWidget(m_undo, 0, Qt::AlignVCenter);
    connect(m_undo, &QPushButton::clicked, this, [this] {
        m_undo->setEnabled(false); // one run per toast, however fast the clicks come
        emit undoClicked(m_toastId);
    });
}

QString ToastView::iconName(ToastStyle style)
{
    switch (style) {
    case ToastStyle::Success: return QStringLiteral("checkmark.circle.fill");
    case ToastStyle::Error: return QStringLiteral("xmark.circle.fill");
    case ToastStyle::Info: return QStringLiteral("info.circle.fill");
    }
    return {};
}

QColor ToastView::iconColour(ToastStyle style)
{
    switch (style) {
    case ToastStyle::Success: return QColor(0x2E, 0xA0, 0x43);
    case ToastStyle::Error: return QColor(0xD9, 0x3A, 0x32);
    case ToastStyle::Info: return QColor(0x2F, 0x7B, 0xE0);
    }
    return {};
}

void ToastView::setToast(const ToastMessage &toast)
{
    m_toastId = toast.id;
    m_icon->setPixmap(Icons::pixmap(iconName(toast.style), iconColour(toast.style), 18, devicePixelRatioF()));
    m_message->setText(toast.message);
    // Wrap only what does not fit on one line of the widest toast.
    const int oneLine = m_message->fontMetrics().horizontalAdvance(toast.message) + 2;
    m_message->setMinimumWidth(qMin(oneLine, m_message->maximumWidth()));
    m_undo->setVisible(bool(toast.undoAction));
    m_undo->setEnabled(true);
    setAccessibleName(toast.message);
    m_message->setAccessibleName(toast.message);
    adjustSize();
}

void ToastView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(shadowMargin, shadowMargin, -shadowMargin, -shadowMargin);
    const qreal radius = capsule.height() / 2;

    // A soft shadow (black at 0.15, radius 6, 2 down) built from a few widening rings.
    painter.setPen(Qt::NoPen);
    for (int ring = 6; ring >= 1; --ring) {
        painter.setBrush(QColor(0, 0, 0, int(0.15 * 255 / 6.0)));
        const QRectF r = capsule.translated(0, 2).adjusted(-ring * 0.6, -ring * 0.6, ring * 0.6, ring * 0.6);
        painter.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    }

    QColor material = palette().color(QPalette::Window);
    material.setAlphaF(0.97f);
    painter.setBrush(material);
    painter.setPen(QPen(palette().color(QPalette::Mid), 0.5));
    painter.drawRoundedRect(capsule, radius, radius);
}
