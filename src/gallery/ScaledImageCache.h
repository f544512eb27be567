#pragma once

#include <QImage>

// Keeps one picture smoothly scaled to the size it is drawn at, so that repaints at an unchanged
// size (a pan, a slider drag) copy pixels instead of scaling a full-size image every frame.
class ScaledImageCache
{
public:
    // The image scaled to `size` device pixels, made again only when the image or size changes.
    const QImage &scaled(const QImage &image, const QSize &size);

private:
    qint64 m_sourceKey = 0;
    QImage m_scaled;
};
