#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>

#include <QFuture>

#include <optional>
#include <variant>

class QMimeData;

// Turns an image pasted or dropped from another application into a file path for the Generate
// screen's source image. A file URL is used as it is; image data is written as PNG into a
// directory private to the user, never under a predictable name in a shared temporary folder.
class ImageImporter
{
public:
    // What a clipboard or drop offered, in the order it offered it, read on the main thread.
    struct Offer {
        std::variant<QUrl, QByteArray, QImage> content; // a URL, encoded image bytes, or a decoded image
        QByteArray format; // the bytes' image format ("png", "tiff", ...), empty otherwise
    };

    struct Outcome {
        QString path;  // set on success
        QString error; // set when image data was offered but could not be written
        bool nothingUsable() const { return path.isEmpty() && error.isEmpty(); }
    };

    static inline const QString fileName = QStringLiteral("service-import.png");

    // <user cache>/imports
    static QString defaultDirectory();

    explicit ImageImporter(QString directory = defaultDirectory());

    QString directory() const { return m_directory; }

    static QList<Offer> offersFrom(const QMimeData &data);
    // A cheap look at the formats, for drag feedback, without reading the data.
    static bool mayHoldImage(const QMimeData &data);

    // Walks the offers in order: the first file URL wins, other URLs are skipped, the first
    // image is encoded and written off the main thread. With nothing usable the outcome is empty.
    QFuture<Outcome> import(const QList<Offer> &offers) const;

    // The off-thread half: decodes if needed, encodes PNG and writes it whole with mode 0600.
    static Outcome writePng(const QString &directory, const Offer &image);

private:
    QString m_directory;
};
