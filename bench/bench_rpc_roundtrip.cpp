// Round trip of small requests: JSONRPCClient (co_await send in a loop, inside the event loop)
// against the same C echo child driven by a bare blocking loop over its pipes, the floor.
//
//   build/bench/bench_rpc_roundtrip [requests=5000] [runs=7] [client|floor]
//
// The third argument runs one side alone, for profiling (perf, strace -c).

#include "bench_rpc_common.h"

#include "backend/RPCClient.h"

#include <QCoreApplication>

#include <QCoro/QCoroTask>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

const char *const echoChild = PICTAVIA_ECHO_CHILD;

// The floor: one request line written, one reply line read, blocking, nothing else.
double bareLoopSeconds(int requests)
{
    int toChild[2], fromChild[2];
    if (pipe(toChild) || pipe(fromChild))
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    posix_spawn_file_actions_addclose(&actions, toChild[1]);
    posix_spawn_file_actions_addclose(&actions, fromChild[0]);
    char *argv[] = {const_cast<char *>(echoChild), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, echoChild, &actions, nullptr, argv, environ))
        throw std::runtime_error("spawn failed");
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);

    const QByteArray request =
        "{\"id\":\"5F0C6A2E-9B7D-4E21-A3C4-1D2E3F405162\",\"jsonrpc\":\"2.0\",\"method\":\"ping\"}\n";
    char reply[4096];
    const double seconds = bench::timeSeconds([&] {
        for (int i = 0; i < requests; ++i) {
            if (write(toChild[1], request.constData(), size_t(request.size())) != request.size())
                throw std::runtime_error("write failed");
            for (;;) {
                const ssize_t n = read(fromChild[0], reply, sizeof reply);
                if (n <= 0)
                    throw std::runtime_error("read failed");
                if (reply[n - 1] == '\n')
                    break;
            }
        }
    });
    close(toChild[1]);
    close(fromChild[0]);
    waitpid(pid, nullptr, 0);
    return seconds;
}

QCoro::Task<> sendInSequence(JSONRPCClient &client, int requests, double &seconds)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < requests; ++i) {
        const RPCResponse response = co_await client.send(QStringLiteral("ping"), std::nullopt, 10.0);
        if (!response.result)
            throw std::runtime_error("reply without result");
    }
    seconds = bench::secondsSince(start);
    QCoreApplication::quit();
}

double clientSeconds(int requests)
{
    JSONRPCClient client(QString::fromUtf8(echoChild), QStringLiteral("unused"), {});
    client.start();
    double seconds = 0;
    QCoro::Task<> task = sendInSequence(client, requests, seconds);
    QCoreApplication::exec();
    client.stop();
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int requests = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    const QByteArray only = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    if (only == "client" || only == "floor") {
        std::vector<double> us;
        for (int run = 0; run < runs; ++run)
            us.push_back((only == "client" ? clientSeconds(requests) : bareLoopSeconds(requests))
                         / requests * 1e6);
        std::printf("%s: %.1f us/request (median of %d runs)\n", only.constData(),
                    bench::median(us), runs);
        return 0;
    }

    // One warm-up of each, then alternate so that machine noise falls on both alike.
    bareLoopSeconds(requests / 10);
    clientSeconds(requests / 10);
    std::vector<double> floorUs, clientUs;
    for (int run = 0; run < runs; ++run) {
        floorUs.push_back(bareLoopSeconds(requests) / requests * 1e6);
        clientUs.push_back(clientSeconds(requests) / requests * 1e6);
    }
    const double floorMedian = bench::median(floorUs);
    const double clientMedian = bench::median(clientUs);
    std::printf("round trip, %d sequential requests, median of %d runs\n", requests, runs);
    std::printf("  bare blocking loop (floor): %8.1f us/request\n", floorMedian);
    std::printf("  JSONRPCClient:              %8.1f us/request\n", clientMedian);
    std::printf("  ratio client/floor:         %8.2f   (target <= 1.50)\n",
                clientMedian / floorMedian);
    return 0;
}
