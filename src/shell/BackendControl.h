#pragma once

#include <QObject>

// What the shell itself asks of the backend model: the connection state for the badge, start and
// stop with the window, "Reconnect" and "Unload Model". Screens use the backend model directly.
class BackendControl : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool isConnected() const = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    // Fire and forget: the unload runs asynchronously and its errors are ignored.
    virtual void unloadModel() = 0;

    // A stop followed at once by a start.
    void reconnect()
    {
        stop();
        start();
    }

signals:
    void isConnectedChanged();
};
