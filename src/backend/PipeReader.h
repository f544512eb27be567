#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include <memory>

// The read end of the pipe from a child's standard output. One read(2) per notification
// takes what a small reply needs, where QProcess asks for the byte count first and then reads.
class PipeReader : public QObject
{
    Q_OBJECT

public:
    explicit PipeReader(QObject *parent = nullptr);
    ~PipeReader() override;

    // Makes a fresh pipe. Returns the write end, which the child takes as its standard output
    // (dup2 it in the child, then closeWriteEnd() here once the child is started), or -1.
    int open();
    void closeWriteEnd();
    // Starts or stops announcing bytes with readyRead().
    void setWatching(bool watching);

    // One read of up to 64 KiB (what a pipe holds by default), without blocking. Empty when
    // nothing is waiting or at the end of the stream. A writer that keeps the pipe full gets
    // one read per turn of the event loop, so the loop is never held for a whole long reply.
    QByteArray read();
    bool atEnd() const { return m_atEnd; }

signals:
    void readyRead();

private:
    static constexpr size_t scratchSize = 64 * 1024;

    int m_readEnd = -1;
    int m_writeEnd = -1;
    bool m_atEnd = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<char[]> m_scratch;
};
