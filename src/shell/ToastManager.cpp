#include "ToastManager.h"

#include <algorithm>
#include <climits>
#include <cmath>

ToastManager::ToastManager(QObject *parent) : QObject(parent)
{
    m_dismissTimer.setSingleShot(true);
    m_dismissTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_dismissTimer, &QTimer::timeout, this, &ToastManager::dismissIfStillShowing);
}

ToastManager &ToastManager::shared()
{
    static ToastManager *instance = new ToastManager;
    return *instance;
}

void ToastManager::show(const QString &message, ToastStyle style, double duration,
                        std::function<void()> undoAction)
{
    m_dismissTimer.stop();
    m_current = ToastMessage{QUuid::createUuid(), message, style, duration, std::move(undoAction)};
    m_timerMessage = message;
    const double ms = std::max(0.0, duration * m_durationScale * 1000.0);
    m_dismissTimer.start(static_cast<int>(std::lround(std::min(ms, double(INT_MAX)))));
    emit currentToastChanged();
}

void ToastManager::dismiss()
{
    m_dismissTimer.stop();
    if (!m_current)
        return;
    m_current.reset();
    emit currentToastChanged();
}

void ToastManager::undo(QUuid toastId)
{
    if (!m_current || m_current->id != toastId)
        return;
    std::function<void()> action = std::move(m_current->undoAction);
    m_current->undoAction = nullptr;
    if (action)
        action();
    // An action that raised a toast of its own keeps it on screen.
    if (m_current && m_current->id == toastId)
        dismiss();
}

void ToastManager::dismissIfStillShowing()
{
    // Compares the text, not the id: a timer only clears the notice it was started for.
    if (m_current && m_current->message == m_timerMessage) {
        m_current.reset();
        emit currentToastChanged();
    }
}
