#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QRectF>
#include <QString>

// The app's named colours. Their values live in the colour catalogue in the resources
// (":/theme/colors.json"), one value for light desktops and one for dark ones.
namespace Theme {

enum class Appearance { Light, Dark };

// Follows the application palette: a dark window colour means a dark desktop theme.
Appearance currentAppearance();

// A named colour of the catalogue; an unknown name reads as grey.
QColor named(const QString &assetName, Appearance appearance = currentAppearance());

QColor studioPurple();  // also the accent colour
QColor studioMagenta();
QColor studioGold();
QColor studioSurface();

QColor withOpacity(QColor color, qreal opacity);

// Leading to trailing over the rectangle: purple at 0.06 to magenta at 0.03.
QLinearGradient studioHeader(const QRectF &rect, Qt::LayoutDirection direction = Qt::LeftToRight);
// Top to bottom: surface at 0.5 to surface at 0.2.
QLinearGradient studioEmpty(const QRectF &rect);

} // namespace Theme
