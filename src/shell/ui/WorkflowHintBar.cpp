#include "WorkflowHintBar.h"

#include "Icons.h"
#include "shell/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

WorkflowHintBar::WorkflowHintBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("workflowHint"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 12, 6);
    layout->setSpacing(8);

    auto *bulb = new QLabel(this);
    bulb->setPixmap(Icons::pixmap(QStringLiteral("lightbulb.fill"), Theme::studioPurple(), 16, devicePixelRatioF()));
    bulb->setFixedSize(16, 16);
    layout->addWidget(bulb);

    auto *caption = new QLabel(this);
    caption->setObjectName(QStringLiteral("workflowHintText"));
    caption->setTextFormat(Qt::RichText);
    caption->setText(tr("Start with <b>The Palettor</b> to brainstorm, <b>Generate</b> to create "
                        "images, or browse your <b>Gallery</b>"));
    QFont font = caption->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    caption->setFont(font);
    layout->addWidget(caption);
    layout->addStretch(1);

    m_dismiss = new QToolButton(this);
    m_dismiss->setObjectName(QStringLiteral("dismissWorkflowHint"));
    m_dismiss->setAutoRaise(true);
    m_dismiss->setIcon(Icons::icon(QStringLiteral("xmark"), palette().color(QPalette::PlaceholderText)));
    m_dismiss->setIconSize(QSize(10, 10));
    m_dismiss->setAccessibleName(tr("Dismiss workflow hint"));
    m_dismiss->setToolTip(tr("Dismiss workflow hint"));
    layout->addWidget(m_dismiss);
    connect(m_dismiss, &QToolButton::clicked, this, &WorkflowHintBar::dismissed);
}

void WorkflowHintBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::withOpacity(Theme::studioSurface(), 0.6));
}
