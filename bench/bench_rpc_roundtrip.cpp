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
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

const char *const echoChild = PICTAVIA_ECHO_CHILD;

// CPU time (user and system) this process has used, in seconds: unlike the wall clock it does
// not count time spent waiting for the child or for other programs on a busy machine.
double ownCpuSeconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Timing
{
    double wallSeconds;
    double cpuSeconds;
};

// The floor: one request line written, one reply line read, blocking, nothing else.
Timing bareLoop(int requests)
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
    const double cpuStart = ownCpuSeconds();
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
    const double cpu = ownCpuSeconds() - cpuStart;
    close(toChild[1]);
    close(fromChild[0]);
    waitpid(pid, nullptr, 0);
    return {seconds, cpu};
}

QCoro::Task<> sendInSequence(JSONRPCClient &client, int requests, Timing &timing)
{
    const double cpuStart = ownCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < requests; ++i) {
        const RPCResponse response = co_await client.send(QStringLiteral("ping"), std::nullopt, 10.0);
        if (!response.result)
            throw std::runtime_error("reply without result");
    }
    timing = {bench::secondsSince(start), ownCpuSeconds() - cpuStart};
    QCoreApplication::quit();
}

Timing clientLoop(int requests)
{
    JSONRPCClient client(QString::fromUtf8(echoChild), QStringLiteral("unused"), {});
    client.start();
    Timing timing{};
    QCoro::Task<> task = sendInSequence(client, requests, timing);
    QCoreApplication::exec();
    client.stop();
    return timing;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int requests = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 9;
    const QByteArray only = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    const auto perRequestUs = [requests](double seconds) { return seconds / requests * 1e6; };

    if (only == "client" || only == "floor") {
        std::vector<double> us;
        for (int run = 0; run < runs; ++run)
            us.push_back(perRequestUs((only == "client" ? clientLoop(requests) : bareLoop(requests)).wallSeconds));
        std::printf("%s: %.1f us/request (median of %d runs)\n", only.constData(),
                    bench::median(us), runs);
        return 0;
    }

    // One warm-up of each, then alternate so that machine noise falls on both alike.
    bareLoop(requests / 10);
    clientLoop(requests / 10);
    std::vector<double> floorWall, floorCpu, clientWall, clientCpu;
    for (int run = 0; run < runs; ++run) {
        const Timing floor = bareLoop(requests);
        const Timing client = clientLoop(requests);
        floorWall.push_back(perRequestUs(floor.wallSeconds));
        floorCpu.push_back(perRequestUs(floor.cpuSeconds));
        clientWall.push_back(perRequestUs(client.wallSeconds));
        clientCpu.push_back(perRequestUs(client.cpuSeconds));
    }
    const double floorMedian = bench::median(floorWall);
    const double clientMedian = bench::median(clientWall);
    std::printf("round trip, %d sequential requests, median of %d runs\n", requests, runs);
    std::printf("                              wall us/request   own CPU us/request\n");
    std::printf("  bare blocking loop (floor): %10.1f %18.1f\n", floorMedian, bench::median(floorCpu));
    std::printf("  JSONRPCClient:              %10.1f %18.1f\n", clientMedian, bench::median(clientCpu));
    std::printf("  ratio client/floor (wall):  %10.2f   (target <= 1.50)\n", clientMedian / floorMedian);
    return 0;
}
