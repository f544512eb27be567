#include "StartupProbe.h"

#include "backend/Log.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

StartupProbe::StartupProbe(QWidget *window, QElapsedTimer sinceStart,
                           std::function<bool()> backendConnected, QObject *parent)
    : QObject(parent), m_window(window), m_sinceStart(sinceStart),
      m_backendConnected(std::move(backendConnected))
{
    window->installEventFilter(this);
}

bool StartupProbe::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::WinIdChange && m_window->windowHandle())
        m_window->windowHandle()->installEventFilter(this);
    if (watched == m_window && event->type() == QEvent::Show && m_window->windowHandle())
        m_window->windowHandle()->installEventFilter(this);
    if (event->type() == QEvent::Expose && !m_reported && m_window->windowHandle() == watched
        && m_window->windowHandle()->isExposed()) {
        m_reported = true;
        // After this expose has been painted.
        QTimer::singleShot(0, this, &StartupProbe::report);
    }
    return QObject::eventFilter(watched, event);
}

void StartupProbe::report()
{
    appLog(QStringLiteral("[Startup] window shown after %1 ms; backend connected: %2")
               .arg(m_sinceStart.nsecsElapsed() / 1e6, 0, 'f', 1)
               .arg(m_backendConnected() ? QStringLiteral("true") : QStringLiteral("false")));
    m_window->close();
}
