#include "backend/PipeWriter.h"

#include "backend/ChildPipe.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

PipeWriter::PipeWriter(QObject *parent) : QObject(parent) {}

PipeWriter::~PipeWriter()
{
    closeReadEnd();
    close();
}

int PipeWriter::open()
{
    const ChildPipe pipe = ChildPipe::open(ChildPipe::Direction::ToChild);
    if (pipe.parentEnd < 0)
        return -1;
    m_readEnd = pipe.childEnd;
    m_writeEnd = pipe.parentEnd;
    m_notifier = std::make_unique<QSocketNotifier>(m_writeEnd, QSocketNotifier::Write);
    m_notifier->setEnabled(false);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PipeWriter::flush);
    return m_readEnd;
}

void PipeWriter::closeReadEnd()
{
    closeDescriptor(m_readEnd);
}

void PipeWriter::close()
{
    m_notifier.reset();
    closeDescriptor(m_writeEnd);
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
