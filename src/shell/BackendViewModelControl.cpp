#include "BackendViewModelControl.h"

#include "backend/BackendViewModel.h"

namespace {

QCoro::Task<> unloadIgnoringErrors(BackendViewModel *backend)
{
    try {
        co_await backend->unloadModel();
    } catch (...) {
        // "Unload Model" reports nothing: a backend with nothing loaded or gone is fine.
    }
}

} // namespace

BackendViewModelControl::BackendViewModelControl(BackendViewModel &backend, QObject *parent)
    : BackendControl(parent), m_backend(backend)
{
    connect(&backend, &BackendViewModel::isConnectedChanged, this, &BackendControl::isConnectedChanged);
}

bool BackendViewModelControl::isConnected() const
{
    return m_backend.isConnected();
}

void BackendViewModelControl::start()
{
    m_backend.start();
}

void BackendViewModelControl::stop()
{
    m_backend.stop();
}

void BackendViewModelControl::unloadModel()
{
    unloadIgnoringErrors(&m_backend);
}
