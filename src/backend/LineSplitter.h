#pragma once

#include <QByteArray>

#include <cstring>
#include <utility>

// Splits a byte stream into lines ended by a single line feed. Only the bytes of each new chunk
// are searched, so a long line arriving in many chunks is split in linear time.
class LineSplitter
{
public:
    // Calls onLine(QByteArray) for every line completed by this chunk, in order, without its
    // line feed. The unterminated tail stays buffered.
    template<typename OnLine>
    void append(const char *data, qsizetype size, OnLine &&onLine)
    {
        const char *end = data + size;
        while (data != end) {
            const char *feed = static_cast<const char *>(std::memchr(data, '\n', size_t(end - data)));
            if (!feed) {
                m_partial.append(data, end - data);
                return;
            }
            if (m_partial.isEmpty()) {
                onLine(QByteArray(data, feed - data));
            } else {
                m_partial.append(data, feed - data);
                onLine(std::exchange(m_partial, QByteArray()));
            }
            data = feed + 1;
        }
    }

    template<typename OnLine>
    void append(const QByteArray &chunk, OnLine &&onLine)
    {
        append(chunk.constData(), chunk.size(), std::forward<OnLine>(onLine));
    }

    const QByteArray &partialLine() const { return m_partial; }

private:
    QByteArray m_partial;
};
