#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <memory>

// The write end of the pipe to a child's standard input, written from the event loop's thread
// without blocking: bytes go out at once while the pipe has room, and the rest waits for it.
// Writing straight away, rather than on the next turn of the loop as QProcess does, saves a
// loop iteration and two notifier toggles per request.
class PipeWriter : public QObject
{
    Q_OBJECT

public:
    explicit PipeWriter(QObject *parent = nullptr);
    ~PipeWriter() override;

    // Makes a fresh pipe. Returns the read end, which the child takes as its standard input
    // (dup2 it in the child, then closeReadEnd() here once the child is started), or -1.
    int open();
    void closeReadEnd();
    // Releases the write end: the child sees the end of its input.
    void close();

    // Queues bytes and writes what the pipe takes now. bytesWritten() and failed() may be
    // emitted before this returns.
    void write(const QByteArray &bytes);
    bool isBroken() const { return m_broken; }

signals:
    void bytesWritten(qint64 count);
    // The pipe is broken; every unwritten byte is dropped and later writes fail at once.
    void failed(const QString &error);

private:
    void flush();
    void fail(int error);

    int m_readEnd = -1;
    int m_writeEnd = -1;
    bool m_broken = false;
    QByteArray m_backlog;
    qsizetype m_backlogStart = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
