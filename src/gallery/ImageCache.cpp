#include "gallery/ImageCache.h"

#include "gallery/ImageDecoding.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>

ImageCache::ImageCache(QObject *parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    // Decoding yields to the main thread, which paints.
    m_pool.setThreadPriority(QThread::LowPriority);
}

ImageCache::~ImageCache()
{
    m_queue.clear();
    m_pool.waitForDone();
}

ImageCache &ImageCache::shared()
{
    static ImageCache *instance = new ImageCache(); // lives for the rest of the process
    return *instance;
}

QImage ImageCache::image(const QString &path)
{
    if (const QImage *cached = m_cache.object(path))
        return *cached;
    std::optional<DecodedImage> decoded = decodeImage(path);
    if (!decoded)
        return {};
    m_cache.insert(path, decoded->image, decoded->cost);
    return decoded->image;
}

QImage ImageCache::thumbnail(const QString &path, double maxSize)
{
    const QString key = thumbnailCacheKey(path, maxSize);
    if (const QImage *cached = m_cache.object(key))
        return *cached;
    std::optional<DecodedImage> decoded = decodeThumbnail(path, maxSize);
    if (!decoded)
        return {};
    m_cache.insert(key, decoded->image, decoded->cost);
    return decoded->image;
}

QImage ImageCache::cachedImage(const QString &path)
{
    const QImage *cached = m_cache.object(path);
    return cached ? *cached : QImage();
}

QImage ImageCache::cachedThumbnail(const QString &path, double maxSize)
{
    const QImage *cached = m_cache.object(thumbnailCacheKey(path, maxSize));
    return cached ? *cached : QImage();
}

void ImageCache::requestImage(const QString &path) { enqueue({path, path, 0}); }

void ImageCache::requestThumbnail(const QString &path, double maxSize)
{
    enqueue({thumbnailCacheKey(path, maxSize), path, maxSize});
}

void ImageCache::enqueue(Request request)
{
    if (m_cache.contains(request.key) || m_running.contains(request.key) || m_failed.contains(request.key))
        return;
    auto queued = std::find_if(m_queue.begin(), m_queue.end(),
                               [&](const Request &other) { return other.key == request.key; });
    if (queued != m_queue.end())
        m_queue.erase(queued); // asked again: it moves to the front
    m_queue.push_front(std::move(request));
    startQueued();
}

void ImageCache::retainRequests(const QSet<QString> &keys)
{
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(),
                                 [&](const Request &request) { return !keys.contains(request.key); }),
                  m_queue.end());
}

void ImageCache::startQueued()
{
    while (!m_queue.empty() && m_running.size() < m_pool.maxThreadCount()) {
        Request request = std::move(m_queue.front());
        m_queue.pop_front();
        m_running.insert(request.key);
        m_pool.start([self = QPointer(this), request] {
            std::optional<DecodedImage> decoded
                = request.maxSize > 0 ? decodeThumbnail(request.path, request.maxSize) : decodeImage(request.path);
            QImage image = decoded ? decoded->image : QImage();
            const qint64 cost = decoded ? decoded->cost : 0;
            const bool ok = decoded.has_value();
            QMetaObject::invokeMethod(
                qApp, [self, request, image, cost, ok] {
                    if (self)
                        self->finish(request, image, cost, ok);
                },
                Qt::QueuedConnection);
        });
    }
}

void ImageCache::finish(const Request &request, const QImage &image, qint64 cost, bool ok)
{
    m_running.remove(request.key);
    if (ok) {
        m_cache.insert(request.key, image, cost);
        emit imageReady(request.key);
    } else {
        m_failed.insert(request.key);
        emit imageFailed(request.key);
    }
    startQueued();
}
