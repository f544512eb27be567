#pragma once

#include <QObject>
#include <QString>

#include <deque>
#include <functional>

class BackendControl;
class PictaviaApp;
class ToastManager;

// Renders what the user sees into PNG files: the main window on each tab once the backend has
// connected, the gallery's other states, the connection popover, a toast, and the shared pieces
// on their own. Then it closes the window, which ends the run.
class ScreenshotRunner : public QObject
{
    Q_OBJECT
public:
    ScreenshotRunner(PictaviaApp &app, BackendControl &backend, ToastManager &toasts,
                     QString directory, QObject *parent = nullptr);

    void start();

private:
    struct Step {
        int delayMs;
        std::function<void()> action;
    };

    void then(int delayMs, std::function<void()> action);
    void runNext();
    void waitForConnection(int triesLeft);
    // The gallery in list mode, with the filter popover open, empty, without results and with
    // the collection menu open.
    void queueGalleryStates();
    void save(const QString &name, const QPixmap &pixmap);
    QPixmap grabWindowArea() const;

    PictaviaApp &m_app;
    BackendControl &m_backend;
    ToastManager &m_toasts;
    QString m_directory;
    std::deque<Step> m_steps;
};
