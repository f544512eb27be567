#pragma once

#include "gallery/GalleryModels.h"

#include <QFont>
#include <QImage>
#include <QPalette>
#include <QList>
#include <QRect>

// Draws the still parts of a gallery tile (image, badges, text lines) and of a list row into
// images, so that a repaint while scrolling is a copy: no text layout, scaling or clipping.
// It runs on worker threads, so everything it draws with comes in the Look, prepared on the
// main thread (icons need the GUI thread). The delegate adds what moves (shadow, hover scale,
// selection).
namespace GalleryTileRendering {

constexpr int cornerRadius = 10;
constexpr int badgeSize = 24;
constexpr int listImageSide = 60;
constexpr int badgeGlyphSide = 14;
constexpr int placeholderSide = 48;
constexpr int rowPlaceholderSide = 28;
constexpr int rowStarSide = 13;

// Where the picture of an item stands: decoded, still being decoded, or unreadable.
struct Picture
{
    enum class State { Ready, Loading, Failed };
    State state = State::Loading;
    QImage image;
};

enum class Glyph { BadgeHeart, BadgeStar, TilePlaceholder, RowPlaceholder, RowStar, RowStarOutline, RowHeart, Count };

struct Look
{
    QPalette palette;
    QFont font;
    qreal devicePixelRatio = 1;
    QColor surface;           // behind a picture still loading
    QList<QImage> glyphs;     // by Glyph, drawn at their sizes for the pixel ratio
};

// The caption font (model, size, time) for a body font.
QFont smallFont(const QFont &font);
// The text lines under a tile's image, with their padding.
int textBlockHeight(const QFont &font);
// The image's frame in a card of this width: a square framed to 200-280 points high.
int imageHeight(int cardWidth);
int cardHeight(int cardWidth, const QFont &font);
QRect imageRect(const QRect &card);
QRect favoriteBadgeRect(const QRect &image);
QRect ratingBadgeRect(const QRect &image);

// The card (of the given logical size) and the list row, on a transparent background.
QImage card(const ArtworkItem &item, const Picture &picture, QSize size, const Look &look,
             const QString &relativeTime);
QImage row(const ArtworkItem &item, const Picture &picture, QSize size, const Look &look,
            const QString &relativeTime);

// A key that changes whenever what card() or row() would draw changes.
QString renderKey(char kind, const ArtworkItem &item, const Picture &picture, QSize size, const Look &look,
                  const QString &relativeTime);

} // namespace GalleryTileRendering
