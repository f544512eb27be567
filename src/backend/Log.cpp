#include "backend/Log.h"

#include <QMutex>

#include <cstdio>

namespace {
QMutex sinkMutex;
std::function<void(const QString &)> &sink()
{
    static std::function<void(const QString &)> instance;
    return instance;
}
} // namespace

void appLog(const QString &entry)
{
    {
        QMutexLocker lock(&sinkMutex);
        if (sink()) {
            sink()(entry);
            return;
        }
    }
    QByteArray line = entry.toUtf8();
    if (!line.endsWith('\n'))
        line.append('\n');
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

void setAppLogSink(std::function<void(const QString &)> newSink)
{
    QMutexLocker lock(&sinkMutex);
    sink() = std::move(newSink);
}
