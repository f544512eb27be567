#pragma once

#include "gallery/GalleryModels.h"
#include "gallery/ui/GalleryTileRendering.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPersistentModelIndex>
#include <QSet>
#include <QThreadPool>

#include <deque>

// Draws tile and row images on a worker thread and keeps them. Painting on the main thread then
// only copies finished images: drawing a picture smoothly scaled or clipped to rounded corners,
// and laying out text, cost too much to do for every tile that scrolls into view (Qt also hands
// smooth drawing to its own threads and waits for them). Used from the main thread only.
class GalleryTileRenderer : public QObject
{
    Q_OBJECT

public:
    struct Job
    {
        char kind; // 'g' a grid card, 'l' a list row
        ArtworkItem item;
        GalleryTileRendering::Picture picture;
        QSize size;
        GalleryTileRendering::Look look;
        QString relativeTime;
    };

    // What the kept images may cost, in kilobytes; requests waiting beyond this many are dropped,
    // the oldest first (they are for tiles scrolled past).
    static constexpr int costLimitKiB = 48 * 1024;
    static constexpr int queueLimit = 96;

    explicit GalleryTileRenderer(QObject *parent = nullptr);
    ~GalleryTileRenderer() override;

    // The finished image for the job, or else the last one finished for the same tile (its text or
    // picture may be out of date), or a null image; a missing one is queued. `index` is repainted
    // when it is ready.
    QImage image(const Job &job, const QModelIndex &index);
    // Queues the job unless its image is kept or on its way.
    void prepare(const Job &job, const QModelIndex &index);

signals:
    void ready(const QModelIndex &index);

private:
    struct Pending
    {
        QString key;
        QString tile;
        Job job;
        QPersistentModelIndex index;
    };
    static QString tileKey(const Job &job);
    static QImage draw(const Job &job);
    void keep(const QString &key, const QString &tile, const QImage &image);
    void enqueue(Pending pending);
    void startQueued();

    QThreadPool m_pool;
    QCache<QString, QImage> m_images{costLimitKiB};
    QHash<QString, QString> m_latest; // tile -> key of its last finished image
    std::deque<Pending> m_queue;       // the newest request at the front
    QSet<QString> m_wanted;            // queued or drawing
    int m_running = 0;
};
