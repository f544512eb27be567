#pragma once

#include "BackendControl.h"

class BackendViewModel;

// The shell's view of the one BackendViewModel.
class BackendViewModelControl : public BackendControl
{
    Q_OBJECT
public:
    explicit BackendViewModelControl(BackendViewModel &backend, QObject *parent = nullptr);

    bool isConnected() const override;
    void start() override;
    void stop() override;
    void unloadModel() override;

private:
    BackendViewModel &m_backend;
};
