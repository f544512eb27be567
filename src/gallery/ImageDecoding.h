#pragma once

#include <QImage>
#include <QString>

#include <optional>

// Decoding images for the cache. Pure functions, safe on any thread.

struct DecodedImage
{
    QImage image;
    qint64 cost = 0; // what the entry weighs in the cache
};

// "thumb:256.0:/path": the size as a decimal with a fractional part.
QString thumbnailCacheKey(const QString &path, double maxSize);

// Byte length of the image's uncompressed TIFF encoding; 0 when it cannot be encoded.
qint64 tiffByteLength(const QImage &image);

// The whole image, costed by its TIFF length; nullopt when the file cannot be read.
std::optional<DecodedImage> decodeImage(const QString &path);

// At most maxSize on either side and never enlarged. A larger image is decoded scaled (JPEG
// scales inside the decoder) and costs width x height x 4 of its exact scaled size; one that
// already fits is returned as it is, costed like a full image.
std::optional<DecodedImage> decodeThumbnail(const QString &path, double maxSize);
