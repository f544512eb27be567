#include "ToastOverlay.h"

#include "ToastView.h"
#include "shell/MotionPreference.h"
#include "shell/ToastManager.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

ToastOverlay::ToastOverlay(QWidget *host, ToastManager &toasts, MotionPreference &motion)
    : QObject(host), m_host(host), m_toasts(toasts), m_motion(motion), m_view(new ToastView(host))
{
    m_opacity = new QGraphicsOpacityEffect(m_view);
    m_opacity->setOpacity(0);
    m_view->setGraphicsEffect(m_opacity);
    m_view->hide();
    host->installEventFilter(this);
    connect(&m_toasts, &ToastManager::currentToastChanged, this, &ToastOverlay::sync);
    connect(m_view, &ToastView::undoClicked, &m_toasts, &ToastManager::undo);
    sync();
}

bool ToastOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_host && event->type() == QEvent::Resize && m_view->isVisible() && !m_animation)
        m_view->move(restingPosition());
    return QObject::eventFilter(watched, event);
}

QPoint ToastOverlay::restingPosition() const
{
    return QPoint((m_host->width() - m_view->width()) / 2, topPadding - ToastView::shadowMargin);
}

QPoint ToastOverlay::hiddenPosition() const
{
    return QPoint(restingPosition().x(), -m_view->height());
}

void ToastOverlay::sync()
{
    const auto &toast = m_toasts.currentToast();
    if (toast) {
        const bool alreadyUp = m_view->isVisible() && !m_leaving;
        m_view->setToast(*toast);
        m_view->raise();
        if (alreadyUp) {
            // A replacement takes the place of the toast on screen.
            if (!m_animation)
                m_view->move(restingPosition());
            return;
        }
        animate(true);
    } else if (m_view->isVisible() && !m_leaving) {
        animate(false);
    }
}

void ToastOverlay::animate(bool entering)
{
    if (m_animation)
        m_animation->stop(); // deletes itself
    m_leaving = !entering;
    m_view->show();

    auto *group = new QParallelAnimationGroup(this);
    auto *fade = new QPropertyAnimation(m_opacity, "opacity", group);
    fade->setDuration(m_durationMs);
    fade->setEasingCurve(QEasingCurve::InOutQuad);
    fade->setStartValue(m_opacity->opacity());
    fade->setEndValue(entering ? 1.0 : 0.0);
    group->addAnimation(fade);

    if (m_motion.reduceMotion()) {
        m_view->move(restingPosition());
    } else {
        auto *slide = new QPropertyAnimation(m_view, "pos", group);
        slide->setDuration(m_durationMs);
        slide->setEasingCurve(QEasingCurve::InOutQuad);
        const bool fromTheTop = entering && m_opacity->opacity() == 0;
        slide->setStartValue(fromTheTop ? hiddenPosition() : m_view->pos());
        slide->setEndValue(entering ? restingPosition() : hiddenPosition());
        group->addAnimation(slide);
    }
    connect(group, &QAbstractAnimation::finished, this, [this, entering] {
        if (!entering) {
            m_view->hide();
            m_leaving = false;
        }
    });
    m_animation = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}
