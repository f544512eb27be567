#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The app's icon set: small SVGs in the resources (":/icons/<name>.svg") named after the
// symbols they stand for, drawn in any colour. They need no icon theme on the desktop.
namespace Icons {

QPixmap pixmap(const QString &name, const QColor &colour, int logicalSize, qreal devicePixelRatio);
QIcon icon(const QString &name, const QColor &colour);
// An icon in the palette's text colours for normal, selected and disabled use.
QIcon paletteIcon(const QString &name);

} // namespace Icons
