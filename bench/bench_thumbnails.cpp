// Thumbnail throughput on 40 files (JPEG and PNG, 1024x1024 and 2048x2048): the application's
// decoder on one thread, vipsthumbnail (libvips-tools) on one thread over the same files, and
// the application's loader using every core.
//   build/bench/bench_thumbnails

#include "gallery/ImageCache.h"
#include "gallery/ImageDecoding.h"
#include "platform/AllocatorTuning.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Photograph-like content: gradients, shapes and noise, so that encoders cannot cheat.
QImage makeImage(int side, int seed)
{
    QImage image(side, side, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, side, side);
    gradient.setColorAt(0, QColor::fromHsv(seed * 37 % 360, 200, 220));
    gradient.setColorAt(1, QColor::fromHsv(seed * 91 % 360, 180, 60));
    painter.fillRect(image.rect(), gradient);
    QRandomGenerator random(seed);
    for (int i = 0; i < 60; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 160, 200, 120));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPoint(random.bounded(side), random.bounded(side)), random.bounded(side / 6),
                            random.bounded(side / 6));
    }
    painter.end();
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            const int n = int(random.bounded(24)) - 12;
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + n, 0, 255), std::clamp(qGreen(p) + n, 0, 255),
                           std::clamp(qBlue(p) + n, 0, 255));
        }
    }
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    giveLargeBlocksTheirOwnMappings(); // as the application does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < 40; ++i) {
        const int side = i % 2 ? 2048 : 1024;
        const bool jpeg = (i / 2) % 2 == 0;
        const QString path = dir.filePath(QStringLiteral("image%1.%2").arg(i).arg(jpeg ? "jpg" : "png"));
        makeImage(side, i).save(path, jpeg ? "JPEG" : "PNG", jpeg ? 90 : -1);
        files.append(path);
    }

    QElapsedTimer timer;
    timer.start();
    for (const QString &file : files) {
        if (!decodeThumbnail(file, 256))
            return 1;
    }
    const double ours = timer.nsecsElapsed() / 1e6;

    QDir().mkpath(dir.filePath("vips"));
    QProcess vips;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VIPS_CONCURRENCY", "1");
    vips.setProcessEnvironment(environment);
    QStringList arguments{"--size", "256", "-o", dir.filePath("vips") + "/%s.png"};
    arguments += files;
    timer.restart();
    vips.start(QStandardPaths::findExecutable("vipsthumbnail"), arguments);
    const bool vipsRan = vips.waitForFinished(300000) && vips.exitCode() == 0;
    const double vipsMs = timer.nsecsElapsed() / 1e6;

    // Per kind, to see where scaled decoding helps.
    for (const char *kind : {"jpg", "png"}) {
        for (int side : {1024, 2048}) {
            QStringList subset;
            for (int i = 0; i < files.size(); ++i) {
                if (files[i].endsWith(kind) && (i % 2 ? 2048 : 1024) == side)
                    subset.append(files[i]);
            }
            timer.restart();
            for (const QString &file : subset)
                decodeThumbnail(file, 256);
            const double a = timer.nsecsElapsed() / 1e6;
            QProcess one;
            one.setProcessEnvironment(environment);
            timer.restart();
            one.start(QStandardPaths::findExecutable("vipsthumbnail"),
                      QStringList{"--size", "256", "-o", dir.filePath("vips") + "/%s.png"} + subset);
            one.waitForFinished(300000);
            const double b = timer.nsecsElapsed() / 1e6;
            std::printf("  %s %dx%d (%lld files): ours %.1f ms, vips %.1f ms, ratio %.2f x vips\n", kind, side, side,
                        (long long)subset.size(), a, b, b / a);
        }
    }

    ImageCache cache;
    int ready = 0;
    QObject::connect(&cache, &ImageCache::imageReady, [&] {
        if (++ready == files.size())
            app.quit();
    });
    timer.restart();
    for (const QString &file : files)
        cache.requestThumbnail(file, 256);
    app.exec();
    const double pooled = timer.nsecsElapsed() / 1e6;

    std::printf("40 files, thumbnails of 256\n");
    std::printf("application decoder, 1 thread: %.1f ms (%.1f files/s)\n", ours, 40000.0 / ours);
    if (vipsRan)
        std::printf("vipsthumbnail, 1 thread:       %.1f ms (%.1f files/s)\n", vipsMs, 40000.0 / vipsMs);
    else
        std::printf("vipsthumbnail did not run: %s\n", qPrintable(vips.errorString()));
    std::printf("application loader, %d threads: %.1f ms (%.1f files/s)\n", QThread::idealThreadCount(), pooled,
                40000.0 / pooled);
    return 0;
}
