#include "Icons.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QPalette>
#include <QPixmapCache>

namespace {

QByteArray svgSource(const QString &name)
{
    static QHash<QString, QByteArray> sources;
    auto it = sources.find(name);
    if (it == sources.end()) {
        QFile file(QStringLiteral(":/icons/%1.svg").arg(name));
        it = sources.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return *it;
}

} // namespace

QPixmap Icons::pixmap(const QString &name, const QColor &colour, int logicalSize, qreal devicePixelRatio)
{
    const int pixels = qMax(1, qRound(logicalSize * devicePixelRatio));
    const QString key = QStringLiteral("pictavia-icon:%1:%2:%3").arg(name, colour.name(QColor::HexArgb)).arg(pixels);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;

    QByteArray svg = svgSource(name);
    svg.replace("currentColor", colour.name(QColor::HexRgb).toLatin1());
    if (colour.alpha() < 255) {
        const QByteArray opacity = QByteArray::number(colour.alphaF(), 'f', 3);
        svg.replace("<svg ", "<svg opacity=\"" + opacity + "\" ");
    }
    QBuffer buffer(&svg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "svg");
    reader.setScaledSize(QSize(pixels, pixels));
    QPixmap result = QPixmap::fromImage(reader.read());
    if (result.isNull()) {
        result = QPixmap(pixels, pixels);
        result.fill(Qt::transparent);
    }
    result.setDevicePixelRatio(devicePixelRatio);
    QPixmapCache::insert(key, result);
    return result;
}

QIcon Icons::icon(const QString &name, const QColor &colour)
{
    QIcon result;
    for (int size : {16, 20, 24, 32}) {
        result.addPixmap(pixmap(name, colour, size, 1.0));
        result.addPixmap(pixmap(name, colour, size, 2.0));
    }
    return result;
}

QIcon Icons::paletteIcon(const QString &name)
{
    const QPalette palette = QApplication::palette();
    QIcon result;
    for (int size : {16, 20, 24, 32}) {
        for (qreal dpr : {1.0, 2.0}) {
            result.addPixmap(pixmap(name, palette.color(QPalette::ButtonText), size, dpr), QIcon::Normal);
            result.addPixmap(pixmap(name, palette.color(QPalette::Highlight), size, dpr), QIcon::Selected);
            result.addPixmap(pixmap(name, palette.color(QPalette::Disabled, QPalette::ButtonText), size, dpr),
                             QIcon::Disabled);
        }
    }
    return result;
}
