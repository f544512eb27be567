#include "backend/PipeReader.h"

#include "backend/ChildPipe.h"

#include <cerrno>

#include <unistd.h>

PipeReader::PipeReader(QObject *parent)
    : QObject(parent), m_scratch(std::make_unique<char[]>(scratchSize)) {}

PipeReader::~PipeReader()
{
    m_notifier.reset();
    closeDescriptor(m_writeEnd);
    closeDescriptor(m_readEnd);
}

int PipeReader::open()
{
    const ChildPipe pipe = ChildPipe::open(ChildPipe::Direction::FromChild);
    if (pipe.parentEnd < 0) {
        m_atEnd = true;
        return -1;
    }
    m_readEnd = pipe.parentEnd;
    m_writeEnd = pipe.childEnd;
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd, QSocketNotifier::Read);
    m_notifier->setEnabled(false);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PipeReader::readyRead);
    return m_writeEnd;
}

void PipeReader::closeWriteEnd()
{
    closeDescriptor(m_writeEnd);
}

void PipeReader::setWatching(bool watching)
{
    if (m_notifier)
        m_notifier->setEnabled(watching && !m_atEnd);
}

QByteArray PipeReader::read()
{
    QByteArray bytes;
    while (!m_atEnd && m_readEnd >= 0) {
        const ssize_t n = ::read(m_readEnd, m_scratch.get(), scratchSize);
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0)
            bytes = QByteArray(m_scratch.get(), qsizetype(n));
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
            // The end of the stream (or a read that can never succeed): a notifier left on
            // would fire for ever.
            m_atEnd = true;
            if (m_notifier)
                m_notifier->setEnabled(false);
        }
        break;
    }
    return bytes;
}
