#include "gallery/ImageDecoding.h"

#include <QImageReader>
#include <QImageWriter>
#include <QIODevice>

#include <algorithm>
#include <cmath>

namespace {

// Counts what is written to it, so that the TIFF length is known without keeping the bytes.
class CountingDevice : public QIODevice
{
public:
    CountingDevice() { open(QIODevice::WriteOnly); }
    qint64 count() const { return m_count; }
    bool isSequential() const override { return false; }
    bool seek(qint64 position) override
    {
        QIODevice::seek(position);
        m_position = position;
        return true;
    }
    qint64 size() const override { return m_count; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override
    {
        m_position += length;
        m_count = std::max(m_count, m_position);
        return length;
    }

private:
    qint64 m_position = 0;
    qint64 m_count = 0;
};

QImage forPainting(QImage image)
{
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied)
        return image;
    return image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                   : image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

QString thumbnailCacheKey(const QString &path, double maxSize)
{
    QString size = QString::number(maxSize, 'g', QLocale::FloatingPointShortest);
    if (!size.contains(u'.') && !size.contains(u'e'))
        size += QStringLiteral(".0");
    return QStringLiteral("thumb:") + size + u':' + path;
}

qint64 tiffByteLength(const QImage &image)
{
    if (image.isNull())
        return 0;
    CountingDevice device;
    QImageWriter writer(&device, "tiff");
    writer.setCompression(0);
    return writer.write(image) ? device.count() : 0;
}

std::optional<DecodedImage> decodeImage(const QString &path)
{
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    const qint64 cost = tiffByteLength(image);
    return DecodedImage{forPainting(std::move(image)), cost};
}

std::optional<DecodedImage> decodeThumbnail(const QString &path, double maxSize)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        if (!reader.canRead())
            return std::nullopt;
    }
    const double w = size.width(), h = size.height();
    const double scale = (w > 0 && h > 0) ? std::min(maxSize / h, maxSize / w) : 1.0;
    if (scale >= 1) {
        QImage image = reader.read();
        if (image.isNull())
            return std::nullopt;
        const qint64 cost = tiffByteLength(image);
        return DecodedImage{forPainting(std::move(image)), cost};
    }
    const double scaledW = w * scale, scaledH = h * scale;
    const QSize target(std::max(1, int(std::lround(scaledW))), std::max(1, int(std::lround(scaledH))));
    reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return DecodedImage{forPainting(std::move(image)), qint64(scaledW * scaledH * 4)};
}
