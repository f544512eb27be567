#pragma once

#include "shell/BackendControl.h"

#include <QStringList>

// Records what the shell asks of the backend, in order.
class FakeBackendControl : public BackendControl
{
public:
    QStringList calls;

    bool isConnected() const override { return m_connected; }
    void start() override { calls << QStringLiteral("start"); }
    void stop() override { calls << QStringLiteral("stop"); }
    void unloadModel() override { calls << QStringLiteral("unloadModel"); }

    void setConnected(bool connected)
    {
        m_connected = connected;
        emit isConnectedChanged();
    }

private:
    bool m_connected = false;
};
