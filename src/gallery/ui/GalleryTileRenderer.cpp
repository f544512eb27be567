#include "gallery/ui/GalleryTileRenderer.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>

namespace Rendering = GalleryTileRendering;

GalleryTileRenderer::GalleryTileRenderer(QObject *parent) : QObject(parent)
{
    // One core stays with the main thread; the image decoders run at low priority beside these.
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
}

GalleryTileRenderer::~GalleryTileRenderer()
{
    m_queue.clear();
    m_pool.waitForDone();
}

QString GalleryTileRenderer::tileKey(const Job &job)
{
    return QStringLiteral("%1:%2x%3:").arg(QLatin1Char(job.kind)).arg(job.size.width()).arg(job.size.height())
           + job.item.id;
}

QImage GalleryTileRenderer::draw(const Job &job)
{
    return job.kind == 'g' ? Rendering::card(job.item, job.picture, job.size, job.look, job.relativeTime)
                           : Rendering::row(job.item, job.picture, job.size, job.look, job.relativeTime);
}

QImage GalleryTileRenderer::image(const Job &job, const QModelIndex &index)
{
    const QString key = Rendering::renderKey(job.kind, job.item, job.picture, job.size, job.look, job.relativeTime);
    if (const QImage *kept = m_images.object(key))
        return *kept;
    const QString tile = tileKey(job);
    if (!m_wanted.contains(key))
        enqueue({key, tile, job, QPersistentModelIndex(index)});
    const auto latest = m_latest.constFind(tile);
    if (latest != m_latest.constEnd()) {
        if (const QImage *older = m_images.object(*latest))
            return *older;
    }
    return {};
}

void GalleryTileRenderer::prepare(const Job &job, const QModelIndex &index)
{
    const QString key = Rendering::renderKey(job.kind, job.item, job.picture, job.size, job.look, job.relativeTime);
    if (m_images.contains(key) || m_wanted.contains(key))
        return;
    enqueue({key, tileKey(job), job, QPersistentModelIndex(index)});
}

void GalleryTileRenderer::enqueue(Pending pending)
{
    m_wanted.insert(pending.key);
    m_queue.push_front(std::move(pending));
    while (qsizetype(m_queue.size()) > queueLimit) {
        m_wanted.remove(m_queue.back().key);
        m_queue.pop_back();
    }
    startQueued();
}

void GalleryTileRenderer::startQueued()
{
    while (!m_queue.empty() && m_running < m_pool.maxThreadCount()) {
        Pending pending = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_running;
        m_pool.start([self = QPointer(this), pending = std::move(pending)] {
            QImage drawn = draw(pending.job);
            QMetaObject::invokeMethod(
                qApp,
                [self, key = pending.key, tile = pending.tile, index = pending.index, drawn = std::move(drawn)] {
                    if (!self)
                        return;
                    --self->m_running;
                    self->m_wanted.remove(key);
                    self->keep(key, tile, drawn);
                    if (index.isValid())
                        emit self->ready(index);
                    self->startQueued();
                },
                Qt::QueuedConnection);
        });
    }
}

void GalleryTileRenderer::keep(const QString &key, const QString &tile, const QImage &image)
{
    const qint64 costKiB = std::max<qint64>(1, image.sizeInBytes() / 1024);
    m_images.insert(key, new QImage(image), int(costKiB));
    m_latest.insert(tile, key);
    // Forget the tiles whose images the cache has dropped.
    if (m_latest.size() > 4 * std::max<qsizetype>(64, m_images.count())) {
        for (auto it = m_latest.begin(); it != m_latest.end();)
            it = m_images.contains(it.value()) ? std::next(it) : m_latest.erase(it);
    }
}
