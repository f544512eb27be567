#pragma once

#include <QString>

#include <functional>

// The application's log: one entry per line on standard output, each starting with its
// component tag ("[Backend] ", "[RPCClient] ", ...).
void appLog(const QString &entry);

// Tests capture entries by installing a sink; pass an empty function to restore stdout.
void setAppLogSink(std::function<void(const QString &)> sink);
