#pragma once

#include <QByteArray>

#include <algorithm>
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
                appendPartial(data, end - data);
                return;
            }
            if (m_partial.isEmpty()) {
                onLine(QByteArray(data, feed - data));
            } else {
                appendPartial(data, feed - data);
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
    void appendPartial(const char *data, qsizetype size)
    {
        // Grown here, by doubling, because QByteArray::append grows into a fresh block and
        // copies the whole line each time, where reserve() can extend the block in place:
        // a 5 MB reply would otherwise stall its reader for milliseconds at each doubling.
        if (m_partial.capacity() - m_partial.size() < size)
            m_partial.reserve(std::max(2 * m_partial.capacity(), m_partial.size() + size));
        m_partial.append(data, size);
    }

    QByteArray m_partial;
};
