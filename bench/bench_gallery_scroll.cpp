// Scrolling the gallery grid over 10,000 items from top to bottom on the offscreen platform:
// the longest main-thread stall (gaps between ticks of a 1 ms timer) and the resident memory
// afterwards. A small stand-in backend serves the items; they cycle through 120 image files.
//   build/bench/bench_gallery_scroll

#include "backend/BackendViewModel.h"
#include "gallery/ImageCache.h"
#include "gallery/ui/GalleryGridView.h"
#include "gallery/ui/GalleryView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

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

} // namespace

int main(int argc, char **argv)
{
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

    QStringList images;
    for (int i = 0; i < 120; ++i) {
        QImage image(1024, 1024, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, 1024, 1024);
        gradient.setColorAt(0, QColor::fromHsv(i * 3, 200, 230));
        gradient.setColorAt(1, QColor::fromHsv(i * 7 % 360, 200, 60));
        painter.fillRect(image.rect(), gradient);
        painter.end();
        images.append(dir.filePath(QStringLiteral("image%1.jpg").arg(i)));
        image.save(images.last(), "JPEG", 90);
    }
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

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0, maxGap = 0;
    int longGaps = 0;
    QList<qint64> longAt;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick) {
            maxGap = std::max(maxGap, now - lastTick);
            if (now - lastTick > 16'000'000) {
                ++longGaps;
                longAt.append((now - lastTick) / 1000000);
            }
        }
        lastTick = now;
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
    const qint64 scrollStart = clock.elapsed();
    scroller.start(16);
    app.exec();
    const qint64 scrollMs = clock.elapsed() - scrollStart;

    std::printf("scrolled %d steps of 480 px over %d items (%d columns) in %lld ms\n", steps,
                view.itemModel().rowCount(), grid->columnCount(), (long long)scrollMs);
    std::printf("longest main-thread stall: %.2f ms; %d gaps over 16 ms\n", maxGap / 1e6, longGaps);
    for (qint64 gap : longAt)
        std::printf("  %lld ms\n", (long long)gap);
    std::printf("resident memory: %.1f MB before loading, %.1f MB after the scroll (cache holds %lld entries, %.1f MB)\n",
                baseline / 1024.0, residentKiB() / 1024.0, (long long)cache.cache().count(),
                cache.cache().totalCost() / 1048576.0);
    backend.stop();
    return 0;
}
