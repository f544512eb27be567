// Bytes from the backend's standard output, in chunks of fuzzer-chosen sizes, go through the
// client's pure path: line splitting, decoding each line, and completing waiting requests.
// Three requests ("A", "B", "C") wait from the start; whatever the bytes, each must complete
// exactly once by the time the output ends and the rest are failed, and the splitter must hand
// back exactly the bytes it was given.
//
// Input layout: byte 0 = number of chunk-size bytes that follow (mod 16); those bytes give the
// chunk sizes, used in turn (0 means 1); everything after them is the stream.

#include "backend/IncomingMessage.h"
#include "backend/LineSplitter.h"
#include "backend/PendingRequests.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_line_dispatch: %s\n", what);
    std::abort();
}

// What the client does with one decoded line, minus the event loop.
void dispatch(const IncomingMessage &message, PendingRequests &pending)
{
    switch (message.kind) {
    case IncomingMessage::Kind::Blank:
    case IncomingMessage::Kind::Progress:
        return;
    case IncomingMessage::Kind::Undecodable: {
        // The two log entries: the reader's description and the line, or a placeholder.
        if (message.decodeError.isEmpty())
            fail("an undecodable line without a reason");
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString raw = decoder(message.rawLine);
        (void)raw;
        return;
    }
    case IncomingMessage::Kind::Response:
        if (!message.response.id)
            return;
        if (message.response.error)
            pending.complete(*message.response.id,
                             RPCClientError::serverError(*message.response.error));
        else
            pending.complete(*message.response.id, message.response);
        return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t sizeCount = std::min<size_t>(data[0] % 16, size - 1);
    std::vector<qsizetype> chunkSizes;
    for (size_t i = 0; i < sizeCount; ++i)
        chunkSizes.push_back(std::max<qsizetype>(1, data[1 + i]));
    if (chunkSizes.empty())
        chunkSizes.push_back(qsizetype(size)); // the whole stream as one chunk
    const char *stream = reinterpret_cast<const char *>(data) + 1 + sizeCount;
    const qsizetype streamSize = qsizetype(size - 1 - sizeCount);

    std::map<QString, int> completions;
    PendingRequests pending;
    for (const char *id : {"A", "B", "C"}) {
        const QString key = QString::fromLatin1(id);
        completions[key] = 0;
        pending.add(key, [&completions, key](PendingRequests::Outcome) {
            if (++completions[key] > 1)
                fail("a request completed twice");
        });
    }

    LineSplitter splitter;
    QByteArray rejoined;
    qsizetype offset = 0;
    for (size_t turn = 0; offset < streamSize; ++turn) {
        const qsizetype chunk = std::min(chunkSizes[turn % chunkSizes.size()], streamSize - offset);
        splitter.append(stream + offset, chunk, [&](QByteArray line) {
            if (line.contains('\n'))
                fail("a line holds a line feed");
            rejoined += line;
            rejoined += '\n';
            dispatch(IncomingMessage::decode(line), pending);
        });
        offset += chunk;
    }
    rejoined += splitter.partialLine();
    if (rejoined != QByteArray::fromRawData(stream, streamSize))
        fail("the splitter lost, added or reordered bytes");

    // End of output: whatever still waits fails now.
    pending.failAll(RPCClientError::processNotRunning());
    if (pending.size() != 0)
        fail("a request is still waiting after failAll");
    for (const auto &[id, count] : completions) {
        if (count != 1)
            fail("a request did not complete exactly once");
    }
    return 0;
}
