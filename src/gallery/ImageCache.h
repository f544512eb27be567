#pragma once

#include "gallery/BoundedImageCache.h"

#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <deque>

// The process-wide cache of decoded images and thumbnails, keyed by file path. The synchronous
// image()/thumbnail() decode on the caller's thread when the entry is missing; screens that
// scroll use request*(), which decode on a pool of worker threads (most recent request first)
// and announce the entry when it lands. Used from the main thread only.
class ImageCache : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype countLimit = 200;
    static constexpr qint64 totalCostLimit = 268'435'456;

    explicit ImageCache(QObject *parent = nullptr);
    ~ImageCache() override;
    static ImageCache &shared();

    // A null image when the file cannot be read; nothing is cached then, so the next call
    // tries the file again.
    QImage image(const QString &path);
    QImage thumbnail(const QString &path, double maxSize);

    // The cached entry or a null image, without loading anything.
    QImage cachedImage(const QString &path);
    QImage cachedThumbnail(const QString &path, double maxSize);

    // Asynchronous loading. A request already cached, queued or running is not repeated. A
    // file that failed stays failed until forgetFailures(), so a placeholder does not retry on
    // every repaint.
    void requestImage(const QString &path);
    void requestThumbnail(const QString &path, double maxSize);
    bool hasFailed(const QString &key) const { return m_failed.contains(key); }
    void forgetFailures() { m_failed.clear(); }
    // Drops the queued requests whose cache key is not in `keys` (what is far from view).
    void retainRequests(const QSet<QString> &keys);
    qsizetype queuedRequestCount() const { return qsizetype(m_queue.size()); }
    void setMaxWorkers(int workers) { m_pool.setMaxThreadCount(workers); }

    // The underlying cache: upscale and overlay flows remove a path's entry before reloading it.
    BoundedImageCache &cache() { return m_cache; }

signals:
    // The key is the path for full images and the "thumb:" key for thumbnails.
    void imageReady(const QString &key);
    void imageFailed(const QString &key);

private:
    struct Request
    {
        QString key;
        QString path;
        double maxSize; // 0 for a full image
    };
    void enqueue(Request request);
    void startQueued();
    void finish(const Request &request, const QImage &image, qint64 cost, bool ok);

    BoundedImageCache m_cache{countLimit, totalCostLimit};
    QThreadPool m_pool;
    std::deque<Request> m_queue; // the most recent request at the front
    QSet<QString> m_running;
    QSet<QString> m_failed;
};
