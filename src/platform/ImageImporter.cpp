#include "ImageImporter.h"

#include "PrivateDirectory.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtConcurrent>


namespace {

// Image MIME types another application may offer, with the reader format for each.
QByteArray readerFormatFor(const QString &mimeType)
{
    if (!mimeType.startsWith(QLatin1String("image/")))
        return {};
    const QList<QByteArray> formats = QImageReader::imageFormatsForMimeType(mimeType.toLatin1());
    return formats.isEmpty() ? QByteArray() : formats.first();
}

} // namespace

QString ImageImporter::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/imports");
}

ImageImporter::ImageImporter(QString directory) : m_directory(std::move(directory)) {}

QList<ImageImporter::Offer> ImageImporter::offersFrom(const QMimeData &data)
{
    QList<Offer> offers;
    bool haveUrls = false;
    bool haveImage = false;
    for (const QString &format : data.formats()) {
        if (format == QLatin1String("text/uri-list") && !haveUrls) {
            haveUrls = true;
            for (const QUrl &url : data.urls())
                offers.append({url, {}});
        } else if (!haveImage && format == QLatin1String("application/x-qt-image")) {
            const QImage image = qvariant_cast<QImage>(data.imageData());
            if (!image.isNull()) {
                haveImage = true;
                offers.append({image, {}});
            }
        } else if (!haveImage) {
            const QByteArray readerFormat = readerFormatFor(format);
            if (readerFormat.isEmpty())
                continue;
            const QByteArray bytes = data.data(format);
            if (bytes.isEmpty())
                continue;
            haveImage = true;
            offers.append({bytes, readerFormat});
        }
    }
    return offers;
}

bool ImageImporter::mayHoldImage(const QMimeData &data)
{
    if (data.hasUrls() || data.hasImage())
        return true;
    for (const QString &format : data.formats()) {
        if (!readerFormatFor(format).isEmpty())
            return true;
    }
    return false;
}

QFuture<ImageImporter::Outcome> ImageImporter::import(const QList<Offer> &offers) const
{
    for (const Offer &offer : offers) {
        if (const QUrl *url = std::get_if<QUrl>(&offer.content)) {
            if (url->isLocalFile())
                return QtFuture::makeReadyFuture(Outcome{url->toLocalFile(), {}});
            continue;
        }
        return QtConcurrent::run([directory = m_directory, offer] { return writePng(directory, offer); });
    }
    return QtFuture::makeReadyFuture(Outcome{});
}

ImageImporter::Outcome ImageImporter::writePng(const QString &directory, const Offer &offer)
{
    QImage image;
    if (const QImage *decoded = std::get_if<QImage>(&offer.content)) {
        image = *decoded;
    } else if (const QByteArray *bytes = std::get_if<QByteArray>(&offer.content)) {
        QBuffer buffer;
        buffer.setData(*bytes);
        QImageReader reader(&buffer, offer.format);
        reader.setAutoTransform(true);
        image = reader.read();
        if (image.isNull())
            return {{}, QStringLiteral("The pasted image could not be read: %1").arg(reader.errorString())};
    }
    if (image.isNull())
        return {{}, QStringLiteral("The pasted image is empty.")};

    if (const QString problem = PrivateDirectory::ensure(directory); !problem.isEmpty())
        return {{}, QStringLiteral("The pasted image could not be saved: %1").arg(problem)};

    const QString path = QDir(directory).filePath(fileName);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {{}, QStringLiteral("The pasted image could not be saved: %1").arg(file.errorString())};
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        file.cancelWriting();
        return {{}, QStringLiteral("The pasted image could not be saved: %1").arg(writer.errorString())};
    }
    if (!file.commit())
        return {{}, QStringLiteral("The pasted image could not be saved: %1").arg(file.errorString())};
    return {path, {}};
}
