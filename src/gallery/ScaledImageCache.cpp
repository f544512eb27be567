#include "gallery/ScaledImageCache.h"

const QImage &ScaledImageCache::scaled(const QImage &image, const QSize &size)
{
    if (image.isNull() || size.isEmpty()) {
        m_scaled = {};
        m_sourceKey = 0;
        return m_scaled;
    }
    if (image.cacheKey() != m_sourceKey || m_scaled.size() != size) {
        m_scaled = image.size() == size ? image
                                        : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_sourceKey = image.cacheKey();
    }
    return m_scaled;
}
