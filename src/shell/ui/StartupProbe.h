#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>

class QWidget;

// For the start-up benchmark: once the window is first exposed and painted, prints the time
// since the process entered main() and whether the backend had answered yet, then closes the
// window.
class StartupProbe : public QObject
{
    Q_OBJECT
public:
    StartupProbe(QWidget *window, QElapsedTimer sinceStart, std::function<bool()> backendConnected,
                 QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void report();

    QWidget *m_window;
    QElapsedTimer m_sinceStart;
    std::function<bool()> m_backendConnected;
    bool m_reported = false;
};
