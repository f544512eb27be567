#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QVariantAnimation>

class ImageCache;

// Paints one gallery item: a tile of the grid (thumbnail, badges, prompt, model, size, relative
// time, hover shadow and scale, the selected outline) or a row of the list. Images come from the
// cache; a missing one is requested and the view repaints when it lands.
class GalleryTileDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    enum class Mode { Grid, List };
    static constexpr double thumbnailMaxSize = 256;
    static constexpr int textHeight = 74;
    static constexpr int listRowHeight = 76;

    GalleryTileDelegate(ImageCache &cache, QObject *parent = nullptr);

    void setMode(Mode mode) { m_mode = mode; }
    Mode mode() const { return m_mode; }
    void setTileWidth(int width) { m_tileWidth = width; }
    int tileWidth() const { return m_tileWidth; }
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

    // Where the badges sit inside a tile rectangle (for tooltips).
    static QRect favoriteBadgeRect(const QRect &imageRect);
    static QRect ratingBadgeRect(const QRect &imageRect);
    static QString relativeTime(const QDateTime &when, const QDateTime &now);

signals:
    void repaintNeeded(const QModelIndex &index);

private:
    void paintTile(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    QImage imageFor(const QString &path, bool thumbnail) const;
    QRect imageRect(const QRect &cell) const;

    ImageCache &m_cache;
    Mode m_mode = Mode::Grid;
    int m_tileWidth = 220;
    bool m_reducedMotion = false;
    QPersistentModelIndex m_hovered;
    QPersistentModelIndex m_leaving;
    QVariantAnimation m_hoverAnimation;
};
