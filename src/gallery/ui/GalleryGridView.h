#pragma once

#include <QListView>

class GalleryTileDelegate;
class ImageCache;

// The virtualised view of the gallery: one list view over the item model, laid out as a grid of
// tiles 200-280 points wide and 16 apart, or as a list of rows. It tracks the hovered tile for
// the delegate, keeps only thumbnail requests near the visible area, and reports when it is
// scrolled to the end.
class GalleryGridView : public QListView
{
    Q_OBJECT

public:
    static constexpr int minTile = 200;
    static constexpr int maxTile = 280;
    static constexpr int gap = 16;
    static constexpr int padding = 16;

    GalleryGridView(ImageCache &cache, GalleryTileDelegate &delegate, QWidget *parent = nullptr);

    void setGridMode(bool grid);
    bool isGridMode() const { return m_grid; }
    bool isScrolledToEnd() const;
    // The rows painted now plus a screen's worth either side.
    QPair<int, int> nearbyRows() const;
    int columnCount() const { return m_columns; }

signals:
    void scrolledToEnd();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void reset() override;

private:
    int layoutWidth() const;
    void layoutTiles();
    void repaintPicture(const QString &key);
    void repaintWhole();
    void scheduleChecks();
    void runChecks();

    ImageCache &m_cache;
    GalleryTileDelegate &m_delegate;
    bool m_grid = true;
    int m_columns = 1;
    bool m_checkScheduled = false;
};
