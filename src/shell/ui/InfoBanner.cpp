#include "InfoBanner.h"

#include "Icons.h"
#include "shell/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

InfoBanner::InfoBanner(const QString &icon, const QString &message, const QString &action,
                       std::function<void()> onAction, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("infoBanner"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);

    auto *iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("infoBannerIcon"));
    iconLabel->setPixmap(Icons::pixmap(icon, Theme::studioPurple(), 18, devicePixelRatioF()));
    iconLabel->setFixedSize(18, 18);
    layout->addWidget(iconLabel, 0, Qt::AlignVCenter);

    m_message = new QLabel(message, this);
    m_message->setObjectName(QStringLiteral("infoBannerMessage"));
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    QPalette secondary = m_message->palette();
    secondary.setColor(QPalette::WindowText, secondary.color(QPalette::PlaceholderText));
    m_message->setPalette(secondary);
    layout->addWidget(m_message, 1, Qt::AlignVCenter);

    if (!action.isEmpty() && onAction) {
        m_button = new QPushButton(action, this);
        m_button->setObjectName(QStringLiteral("infoBannerAction"));
        connect(m_button, &QPushButton::clicked, this, [onAction = std::move(onAction)] { onAction(); });
        layout->addWidget(m_button, 0, Qt::AlignVCenter);
    }
}

void InfoBanner::setMessage(const QString &message)
{
    m_message->setText(message);
}

QString InfoBanner::message() const
{
    return m_message->text();
}

void InfoBanner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::withOpacity(Theme::studioPurple(), 0.08));
    painter.drawRoundedRect(QRectF(rect()), 10, 10);
}
