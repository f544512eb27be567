#include "ImageExport.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>
#include <QtConcurrent>

#include <algorithm>

namespace {

std::optional<QByteArray> encode(const QImage &image, ExportFormat format, int quality)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format == ExportFormat::png ? "png" : "jpeg");
    if (format == ExportFormat::jpeg)
        writer.setQuality(std::clamp(quality, 1, 100));
    if (!writer.write(image) || data.isEmpty())
        return std::nullopt;
    return data;
}

ExportFailure writeFailure(const QString &description)
{
    return {ExportFailure::Stage::writing, QStringLiteral("Export failed: %1").arg(description)};
}

} // namespace

QString exportFormatName(ExportFormat format)
{
    return format == ExportFormat::png ? QStringLiteral("PNG") : QStringLiteral("JPEG");
}

std::optional<ExportFailure> writeExportedImage(const QImage &image, const QString &path, ExportFormat format,
                                                int quality)
{
    if (image.isNull())
        return ExportFailure{ExportFailure::Stage::encoding, QStringLiteral("Failed to encode image")};
    const std::optional<QByteArray> data = encode(image, format, quality);
    if (!data)
        return ExportFailure{ExportFailure::Stage::encoding,
                             QStringLiteral("Failed to encode image as %1").arg(exportFormatName(format))};

    // Through a temporary file renamed over the target: writing in place would destroy an
    // existing file the user chose to replace if the disk filled up half way. Only where no
    // temporary file can be made beside it (a writable file in a read-only folder) is it
    // written in place.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return writeFailure(file.errorString());
    if (file.write(*data) != data->size()) {
        const QString description = file.errorString();
        file.cancelWriting();
        return writeFailure(description);
    }
    if (!file.commit())
        return writeFailure(file.errorString());
    return std::nullopt;
}

QFuture<std::optional<ExportFailure>> writeExportedImageInBackground(const QImage &image, const QString &path,
                                                                     ExportFormat format, int quality)
{
    return QtConcurrent::run(
        [image, path, format, quality] { return writeExportedImage(image, path, format, quality); });
}
