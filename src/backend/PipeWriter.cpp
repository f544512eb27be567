#include "backend/PipeWriter.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

PipeWriter::PipeWriter(QObject *parent) : QObject(parent) {}

PipeWriter::~PipeWriter()
{
    closeReadEnd();
    close();
}

int PipeWriter::open()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return -1;
    // The child's standard channels are set up before the read end is moved onto its stdin,
    // so the read end must not be one of them.
    if (ends[0] <= 2) {
        const int moved = ::fcntl(ends[0], F_DUPFD_CLOEXEC, 3);
        ::close(ends[0]);
        ends[0] = moved;
    }
    if (ends[0] < 0) {
        ::close(ends[1]);
        return -1;
    }
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    ::fcntl(m_writeEnd, F_SETFL, ::fcntl(m_writeEnd, F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_writeEnd, QSocketNotifier::Write);
    m_notifier->setEnabled(false);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PipeWriter::flush);
    return m_readEnd;
}

void PipeWriter::closeReadEnd()
{
    if (m_readEnd >= 0)
        ::close(m_readEnd);
    m_readEnd = -1;
}

void PipeWriter::close()
{
    m_notifier.reset();
    if (m_writeEnd >= 0)
        ::close(m_writeEnd);
    m_writeEnd = -1;
    m_backlog.clear();
    m_backlogStart = 0;
}

void PipeWriter::write(const QByteArray &bytes)
{
    if (m_broken || m_writeEnd < 0) {
        fail(EPIPE);
        return;
    }
    if (m_backlogStart == m_backlog.size()) {
        m_backlog = bytes;
        m_backlogStart = 0;
    } else {
        m_backlog.append(bytes);
    }
    flush();
}

void PipeWriter::flush()
{
    qint64 written = 0;
    while (m_backlogStart < m_backlog.size()) {
        const ssize_t n = ::write(m_writeEnd, m_backlog.constData() + m_backlogStart,
                                  size_t(m_backlog.size() - m_backlogStart));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n < 0) {
            const int error = errno;
            if (written)
                emit bytesWritten(written);
            fail(error);
            return;
        }
        m_backlogStart += n;
        written += n;
    }
    const bool waiting = m_backlogStart < m_backlog.size();
    if (!waiting) {
        m_backlog.clear();
        m_backlogStart = 0;
    }
    if (m_notifier && m_notifier->isEnabled() != waiting)
        m_notifier->setEnabled(waiting);
    if (written)
        emit bytesWritten(written);
}

void PipeWriter::fail(int error)
{
    m_broken = true;
    m_backlog.clear();
    m_backlogStart = 0;
    if (m_notifier)
        m_notifier->setEnabled(false);
    emit failed(QString::fromLocal8Bit(std::strerror(error)));
}
