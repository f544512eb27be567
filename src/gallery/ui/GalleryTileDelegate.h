#pragma once

#include "gallery/GalleryModels.h"
#include "gallery/ui/GalleryTileRenderer.h"
#include "gallery/ui/GalleryTileRendering.h"

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QVariantAnimation>

class ImageCache;

// Paints one gallery item: a tile of the grid (thumbnail, badges, prompt, model, size, relative
// time, hover shadow and scale, the selected outline) or a row of the list. Images come from the
// cache; a missing one is requested and the view repaints when it lands. The still part of each
// tile is drawn off the main thread and kept while it looks the same; painting copies it.
class GalleryTileDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    enum class Mode { Grid, List };
    static constexpr double thumbnailMaxSize = 256;
    static constexpr int listRowHeight = 76;
    // Half the gap between tiles: a cell is the card with this margin all round.
    static constexpr int cellMargin = 8;

    GalleryTileDelegate(ImageCache &cache, QObject *parent = nullptr);

    void setMode(Mode mode) { m_mode = mode; }
    Mode mode() const { return m_mode; }
    // The card's width in the grid; its height follows from the width and the font.
    void setTileWidth(int width) { m_tileWidth = width; }
    int tileWidth() const { return m_tileWidth; }
    static int tileHeight(int width, const QFont &font);
    void setReducedMotion(bool reduced) { m_reducedMotion = reduced; }
    bool reducedMotion() const { return m_reducedMotion; }
    // The hovered row; its change animates unless motion is reduced.
    void setHovered(const QModelIndex &index);
    // 0 at rest, 1 fully hovered, for the hovered row.
    double hoverProgress(const QModelIndex &index) const;
    double hoverScale(const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // The card inside a grid cell, and where its badges sit (for tooltips).
    static QRect cardRect(const QRect &cell) { return cell.adjusted(cellMargin, cellMargin, -cellMargin, -cellMargin); }
    static QRect favoriteBadgeRect(const QRect &imageRect);
    static QRect ratingBadgeRect(const QRect &imageRect);
    static QString relativeTime(const QDateTime &when, const QDateTime &now);

    // The cache key of the picture a row shows in the current mode.
    QString pictureKey(const QString &path) const;
    // Has the tile of a row near the visible area drawn ahead, once its picture is decoded
    // (option.rect is where the row is laid out).
    void prefetch(const QStyleOptionViewItem &option, const QModelIndex &index) const;

signals:
    void repaintNeeded(const QModelIndex &index);
    // The tile's still image has been drawn.
    void stillReady(const QModelIndex &index);

private:
    void paintTile(QPainter *painter, const QStyleOptionViewItem &option, const ArtworkItem &item,
                   const QModelIndex &index) const;
    void paintRow(QPainter *painter, const QStyleOptionViewItem &option, const ArtworkItem &item,
                  const QModelIndex &index) const;
    GalleryTileRendering::Picture pictureFor(const QString &path, bool request = true) const;
    const GalleryTileRendering::Look &lookFor(const QStyleOptionViewItem &option, qreal devicePixelRatio) const;
    GalleryTileRenderer::Job jobFor(const ArtworkItem &item, GalleryTileRendering::Picture picture, QSize size,
                                    const QStyleOptionViewItem &option, qreal devicePixelRatio) const;
    QSize tileSize(const QRect &cell) const;

    ImageCache &m_cache;
    Mode m_mode = Mode::Grid;
    int m_tileWidth = 220;
    bool m_reducedMotion = false;
    QPersistentModelIndex m_hovered;
    QPersistentModelIndex m_leaving;
    QVariantAnimation m_hoverAnimation;
    mutable GalleryTileRenderer m_renderer;
    mutable GalleryTileRendering::Look m_look;
};
