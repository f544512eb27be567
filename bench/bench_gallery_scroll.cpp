// Scrolling the gallery grid over 10,000 items from top to bottom on the offscreen platform:
// the longest main-thread stall (gaps between ticks of a 1 ms timer) and the resident memory
// afterwards. A small stand-in backend serves the items; they cycle through [files] distinct image
// files (default 600, three times what the thumbnail cache may keep, so it evicts all the way down).
//   build/bench/bench_gallery_scroll [files]

#include "backend/BackendViewModel.h"
#include "gallery/ImageCache.h"
#include "gallery/ui/GalleryGridView.h"
#include "gallery/ui/GalleryView.h"
#include "platform/AllocatorTuning.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtConcurrent>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>
#include <numeric>

namespace {

const char *server = R"PY(
import json, os, sys
count, images = int(os.environ["BENCH_ITEMS"]), os.environ["BENCH_IMAGES"].split(",")
items = [{"id": str(i), "image_path": images[i % len(images)], "prompt": "neon skyline %d over the city" % i,
          "model": "flux-schnell", "width": 1024, "height": 1024, "rating": i % 6, "tags": ["neon", "city"],
          "favorite": i % 7 == 0, "created_at": "2025-01-01T00:00:00Z"} for i in range(count)]
for line in sys.stdin:
    request = json.loads(line)
    method, params = request.get("method"), request.get("params") or {}
    if method == "get_gallery":
        result = {"items": items, "total_count": count, "offset": 0, "limit": count}
    elif method == "list_collections":
        result = []
    else:
        result = {}
    sys.stdout.write(json.dumps({"jsonrpc": "2.0", "id": request["id"], "result": result}) + "\n")
    sys.stdout.flush()
)PY";

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// The main thread's time on a core and waiting in the run queue for one, from the kernel's
// scheduler statistics; whatever else a gap holds, the thread was asleep (in poll or on a lock).
struct SchedulerTimes {
    qint64 onCore = 0;
    qint64 waiting = 0;
};

SchedulerTimes schedulerTimes(int statFd)
{
    char text[96] = {};
    const ssize_t length = pread(statFd, text, sizeof text - 1, 0);
    SchedulerTimes times;
    if (length > 0)
        std::sscanf(text, "%lld %lld", reinterpret_cast<long long *>(&times.onCore),
                    reinterpret_cast<long long *>(&times.waiting));
    return times;
}

struct Gap {
    qint64 length = 0;
    SchedulerTimes spent;
};

void printGap(const char *label, const Gap &gap)
{
    std::printf("%s%.2f ms: %.2f on a core, %.2f waiting for one, %.2f asleep\n", label, gap.length / 1e6,
                gap.spent.onCore / 1e6, gap.spent.waiting / 1e6,
                std::max<qint64>(0, gap.length - gap.spent.onCore - gap.spent.waiting) / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    giveLargeBlocksTheirOwnMappings(); // as the application does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("src/artwork"));
    QDir().mkpath(dir.filePath(".venv/bin"));
    QFile(dir.filePath("src/artwork/__init__.py")).open(QIODevice::WriteOnly);
    QFile script(dir.filePath("src/artwork/rpc_server.py"));
    script.open(QIODevice::WriteOnly);
    script.write(server);
    script.close();
    QFile python(dir.filePath(".venv/bin/python"));
    python.open(QIODevice::WriteOnly);
    python.write("#!/bin/sh\nexec /usr/bin/python3 \"$@\"\n");
    python.close();
    python.setPermissions(python.permissions() | QFileDevice::ExeOwner);

    const int fileCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;
    QStringList images;
    for (int i = 0; i < fileCount; ++i)
        images.append(dir.filePath(QStringLiteral("image%1.jpg").arg(i)));
    QList<int> numbers(fileCount);
    std::iota(numbers.begin(), numbers.end(), 0);
    QtConcurrent::blockingMap(numbers, [&images](int i) {
        QImage image(1024, 1024, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, 1024, 1024);
        gradient.setColorAt(0, QColor::fromHsv(i * 3 % 360, 200, 230));
        gradient.setColorAt(1, QColor::fromHsv(i * 7 % 360, 200, 60));
        painter.fillRect(image.rect(), gradient);
        painter.drawText(QRect(0, 0, 1024, 1024), Qt::AlignCenter, QString::number(i));
        painter.end();
        image.save(images[i], "JPEG", 90);
    });
    qputenv("BENCH_ITEMS", "10000");
    qputenv("BENCH_IMAGES", images.join(u',').toUtf8());

    const qint64 baseline = residentKiB();
    BackendViewModel backend;
    backend.setSearchPaths({QString(), QString(), dir.path()});
    backend.setLaunchCheckDelay(std::chrono::hours(1));
    backend.start();
    ImageCache cache;
    GalleryView view(backend, cache, QStringLiteral("bench"));
    view.resize(1200, 800);
    view.show();
    while (view.itemModel().rowCount() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    auto *grid = view.findChild<GalleryGridView *>();
    QCoreApplication::processEvents();

    // Each gap is split into the main thread's own work, its wait for a core and its sleep: a
    // long gap spent waiting is other work holding both cores, not the view.
    const int statFd = open("/proc/thread-self/schedstat", O_RDONLY);
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0, maxWork = 0;
    SchedulerTimes last;
    Gap longest;
    QList<Gap> longGaps;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const SchedulerTimes times = schedulerTimes(statFd);
        if (lastTick) {
            const Gap gap{now - lastTick, {times.onCore - last.onCore, times.waiting - last.waiting}};
            if (gap.length > longest.length)
                longest = gap;
            maxWork = std::max(maxWork, gap.spent.onCore);
            if (gap.length > 16'000'000)
                longGaps.append(gap);
        }
        lastTick = now;
        last = times;
    });
    ticker.start(1);
    QScrollBar *bar = grid->verticalScrollBar();
    QTimer scroller;
    int steps = 0;
    QObject::connect(&scroller, &QTimer::timeout, [&] {
        bar->setValue(bar->value() + 480);
        ++steps;
        if (bar->value() >= bar->maximum()) {
            scroller.stop();
            QTimer::singleShot(1500, &app, &QApplication::quit); // let the last thumbnails land
        }
    });
    const qint64 scrollStart = clock.elapsed(), cpuStart = schedulerTimes(statFd).onCore;
    scroller.start(16);
    app.exec();
    const qint64 scrollMs = clock.elapsed() - scrollStart;
    const qint64 scrollCpuMs = (schedulerTimes(statFd).onCore - cpuStart) / 1000000;

    std::printf("scrolled %d steps of 480 px over %d items (%d columns) in %lld ms\n", steps,
                view.itemModel().rowCount(), grid->columnCount(), (long long)scrollMs);
    printGap("longest main-thread stall: ", longest);
    std::printf("%lld gaps over 16 ms; longest main-thread work between two ticks %.2f ms; main thread on a core "
                "%.0f%% of the time\n",
                (long long)longGaps.size(), maxWork / 1e6, 100.0 * scrollCpuMs / std::max<qint64>(1, scrollMs));
    for (const Gap &gap : longGaps)
        printGap("  ", gap);
    std::printf("resident memory: %.1f MB before loading, %.1f MB after the scroll (cache holds %lld entries, %.1f MB)\n",
                baseline / 1024.0, residentKiB() / 1024.0, (long long)cache.cache().count(),
                cache.cache().totalCost() / 1048576.0);
    backend.stop();
    return 0;
}
