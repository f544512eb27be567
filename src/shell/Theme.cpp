#include "Theme.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPalette>

namespace {

struct ColourPair {
    QColor light;
    QColor dark;
};

const QHash<QString, ColourPair> &catalogue()
{
    static const QHash<QString, ColourPair> colours = [] {
        QHash<QString, ColourPair> result;
        QFile file(QStringLiteral(":/theme/colors.json"));
        if (!file.open(QIODevice::ReadOnly))
            return result;
        const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
        for (auto it = root.begin(); it != root.end(); ++it) {
            const QJsonObject entry = it.value().toObject();
            result.insert(it.key(), {QColor::fromString(entry.value("light").toString()),
                                     QColor::fromString(entry.value("dark").toString())});
        }
        return result;
    }();
    return colours;
}

} // namespace

namespace Theme {

Appearance currentAppearance()
{
    if (!qGuiApp)
        return Appearance::Light;
    const QPalette palette = QGuiApplication::palette();
    return palette.color(QPalette::Window).lightness() < 128 ? Appearance::Dark
                                                             : Appearance::Light;
}

QColor named(const QString &assetName, Appearance appearance)
{
    const auto it = catalogue().constFind(assetName);
    if (it == catalogue().constEnd())
        return QColor(Qt::gray);
    return appearance == Appearance::Dark ? it->dark : it->light;
}

QColor studioPurple() { return named(QStringLiteral("StudioPurple")); }
QColor studioMagenta() { return named(QStringLiteral("StudioMagenta")); }
QColor studioGold() { return named(QStringLiteral("StudioGold")); }
QColor studioSurface() { return named(QStringLiteral("StudioSurface")); }

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

QLinearGradient studioHeader(const QRectF &rect, Qt::LayoutDirection direction)
{
    const bool rtl = direction == Qt::RightToLeft;
    QLinearGradient gradient(rtl ? rect.topRight() : rect.topLeft(),
                             rtl ? rect.topLeft() : rect.topRight());
    gradient.setColorAt(0, withOpacity(studioPurple(), 0.06));
    gradient.setColorAt(1, withOpacity(studioMagenta(), 0.03));
    return gradient;
}

QLinearGradient studioEmpty(const QRectF &rect)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, withOpacity(studioSurface(), 0.5));
    gradient.setColorAt(1, withOpacity(studioSurface(), 0.2));
    return gradient;
}

} // namespace Theme
