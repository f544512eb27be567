#include "ConnectionRow.h"

#include "Icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

ConnectionRow::ConnectionRow(const QString &label, const QString &detail, QWidget *parent)
    : QWidget(parent), m_label(label)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("connectionRowIcon"));
    m_icon->setFixedSize(16, 16);
    layout->addWidget(m_icon, 0, Qt::AlignVCenter);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto *title = new QLabel(label, this);
    QFont caption = title->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.9);
    caption.setBold(true);
    title->setFont(caption);
    auto *subtitle = new QLabel(detail, this);
    QFont small = subtitle->font();
    small.setPointSizeF(small.pointSizeF() * 0.82);
    subtitle->setFont(small);
    QPalette secondary = subtitle->palette();
    secondary.setColor(QPalette::WindowText, secondary.color(QPalette::PlaceholderText));
    subtitle->setPalette(secondary);
    texts->addWidget(title);
    texts->addWidget(subtitle);
    layout->addLayout(texts, 1);
    setConnected(false);
}

void ConnectionRow::setConnected(bool connected)
{
    m_connected = connected;
    m_icon->setPixmap(connected
                          ? Icons::pixmap(QStringLiteral("checkmark.circle.fill"), QColor(0x2E, 0xA0, 0x43), 16, devicePixelRatioF())
                          : Icons::pixmap(QStringLiteral("xmark.circle.fill"), QColor(0xD9, 0x3A, 0x32), 16, devicePixelRatioF()));
    setAccessibleName(connected ? tr("%1: connected").arg(m_label) : tr("%1: disconnected").arg(m_label));
}
