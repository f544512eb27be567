// Main-thread responsiveness while a 5 MB reply is read and decoded, end to end: a child
// process answers one JSONRPCClient request with a 10,000-item gallery page, written in 64 KiB
// chunks, while a 1 ms QTimer on the main thread records how late it fires. The target is a
// lateness that never exceeds 16 ms (one frame). The same timer with no request running shows
// what the machine itself adds.
//
//   build/bench/bench_rpc_responsiveness [runs=7]
//
// The executable is its own child: JSONRPCClient starts it with "-m <module>".

#include "bench_rpc_common.h"

#include "backend/RPCClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <QCoro/QCoroTask>
#include <QCoro/QCoroTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <iostream>
#include <string>

#include <unistd.h>

namespace {

constexpr int galleryItems = 10000;
constexpr qsizetype chunkSize = 64 * 1024;

// Child: answers each request line with the gallery page, one 64 KiB write at a time.
int runChild()
{
    std::string request;
    while (std::getline(std::cin, request)) {
        const auto idStart = request.find("\"id\":\"");
        if (idStart == std::string::npos)
            continue;
        const auto idEnd = request.find('"', idStart + 6);
        const QByteArray id = QByteArray::fromStdString(request.substr(idStart + 6, idEnd - idStart - 6));
        const QByteArray reply = bench::galleryReplyLine(galleryItems, id) + '\n';
        for (qsizetype offset = 0; offset < reply.size(); offset += chunkSize) {
            const qsizetype length = std::min(chunkSize, reply.size() - offset);
            if (write(STDOUT_FILENO, reply.constData() + offset, size_t(length)) != length)
                return 1;
        }
    }
    return 0;
}

// Fires every millisecond and keeps the worst delay past the moment it was due.
class LatenessProbe
{
public:
    LatenessProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_worstNs = std::max(m_worstNs, now - m_lastNs - 1'000'000);
            m_lastNs = now;
        });
    }
    void start()
    {
        m_worstNs = 0;
        m_clock.start();
        m_lastNs = 0;
        m_timer.start();
    }
    double stopMs()
    {
        // The stretch since the last tick counts too: a block at the very end is still a block.
        const qint64 now = m_clock.nsecsElapsed();
        m_worstNs = std::max(m_worstNs, now - m_lastNs - 1'000'000);
        m_timer.stop();
        return double(m_worstNs) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_worstNs = 0;
};

struct Run
{
    double worstLatenessMs;
    double replyMs;
    double dropMs; // the caller destroying the page, on the main thread
};

// The probe runs from the send until a while after the caller has dropped the page, so that
// the client's clean-up after the reply counts as well as the caller's own drop.
QCoro::Task<Run> oneRequest(JSONRPCClient &client, LatenessProbe &probe)
{
    probe.start();
    QElapsedTimer clock;
    clock.start();
    std::optional<RPCResponse> response = co_await client.send(QStringLiteral("get_gallery"), std::nullopt, 30);
    const double replyMs = double(clock.nsecsElapsed()) / 1e6;
    const JSONObject *result = response->result ? response->result->object() : nullptr;
    const JSONValue *items = result ? result->find(QStringLiteral("items")) : nullptr;
    if (!items || !items->array() || items->array()->size() != size_t(galleryItems))
        throw std::runtime_error("unexpected reply");
    clock.restart();
    response.reset();
    const double dropMs = double(clock.nsecsElapsed()) / 1e6;
    co_await QCoro::sleepFor(std::chrono::milliseconds(30));
    co_return Run{probe.stopMs(), replyMs, dropMs};
}

QCoro::Task<> measure(int runs)
{
    LatenessProbe probe;
    // The machine's own noise: the same probe, nothing else running.
    std::vector<double> idle;
    for (int run = 0; run < runs; ++run) {
        probe.start();
        co_await QCoro::sleepFor(std::chrono::milliseconds(100));
        idle.push_back(probe.stopMs());
    }

    JSONRPCClient client(QCoreApplication::applicationFilePath(), QStringLiteral("big-reply"), {});
    client.start();
    co_await oneRequest(client, probe); // warm-up: thread pool, parser buffers
    std::vector<double> worst, reply, drop;
    for (int run = 0; run < runs; ++run) {
        const Run result = co_await oneRequest(client, probe);
        worst.push_back(result.worstLatenessMs);
        reply.push_back(result.replyMs);
        drop.push_back(result.dropMs);
    }
    client.stop();

    std::printf("main-thread timer (1 ms) while a %d-item reply (~5 MB, 64 KiB chunks) is read, %d runs\n",
                galleryItems, runs);
    std::printf("  reply time, median:                  %7.1f ms\n", bench::median(reply));
    std::printf("  worst lateness, median of runs:      %7.1f ms\n", bench::median(worst));
    std::printf("  worst lateness, max over runs:       %7.1f ms   (target <= 16)\n",
                *std::max_element(worst.begin(), worst.end()));
    std::printf("  caller dropping the page, median:    %7.1f ms   (included in the lateness)\n",
                bench::median(drop));
    std::printf("  idle machine, max over %d x 100 ms:  %7.1f ms\n", runs,
                *std::max_element(idle.begin(), idle.end()));
    QCoreApplication::quit();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "-m") == 0)
        return runChild();
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    QCoro::Task<> task = measure(runs);
    return QCoreApplication::exec();
}
