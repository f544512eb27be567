#include "gallery/ui/GalleryGridView.h"

#include "gallery/GalleryItemModel.h"
#include "gallery/ImageCache.h"
#include "gallery/ImageDecoding.h"
#include "gallery/ui/GalleryTileDelegate.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

GalleryGridView::GalleryGridView(ImageCache &cache, GalleryTileDelegate &delegate, QWidget *parent)
    : QListView(parent), m_cache(cache), m_delegate(delegate)
{
    setItemDelegate(&delegate);
    setMouseTracking(true);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalScrollBar()->setSingleStep(24);
    setFrameShape(QFrame::NoFrame);
    setViewportMargins(padding - gap / 2, padding - gap / 2, padding - gap / 2, padding - gap / 2);
    connect(&delegate, &GalleryTileDelegate::repaintNeeded, this, [this](const QModelIndex &index) {
        viewport()->update(visualRect(index).adjusted(-12, -12, 12, 12));
    });
    // A thumbnail that lands repaints the cells on screen.
    connect(&cache, &ImageCache::imageReady, this, [this] { viewport()->update(); });
    connect(&cache, &ImageCache::imageFailed, this, [this] { viewport()->update(); });
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &GalleryGridView::scheduleChecks);
    setGridMode(true);
}

void GalleryGridView::setGridMode(bool grid)
{
    m_grid = grid;
    m_delegate.setMode(grid ? GalleryTileDelegate::Mode::Grid : GalleryTileDelegate::Mode::List);
    if (grid) {
        setViewMode(QListView::IconMode);
        setMovement(QListView::Static);
        setResizeMode(QListView::Adjust);
        setWrapping(true);
        setFlow(QListView::LeftToRight);
        setSpacing(0);
    } else {
        setViewMode(QListView::ListMode);
        setFlow(QListView::TopToBottom);
        setWrapping(false);
        setGridSize(QSize());
        setSpacing(0);
    }
    setSelectionRectVisible(false);
    layoutTiles();
    scheduleChecks();
}

void GalleryGridView::layoutTiles()
{
    if (!m_grid) {
        doItemsLayout();
        return;
    }
    const int available = std::max(viewport()->width(), minTile + gap);
    m_columns = std::max(1, available / (minTile + gap));
    const int cell = std::min(maxTile + gap, available / m_columns);
    const int tile = cell - gap;
    m_delegate.setTileWidth(tile);
    const QSize size(cell, std::clamp(tile, minTile, maxTile) + GalleryTileDelegate::textHeight + gap);
    if (gridSize() != size)
        setGridSize(size);
}

void GalleryGridView::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    layoutTiles();
    scheduleChecks();
}

void GalleryGridView::mouseMoveEvent(QMouseEvent *event)
{
    QListView::mouseMoveEvent(event);
    m_delegate.setHovered(indexAt(event->position().toPoint()));
}

void GalleryGridView::leaveEvent(QEvent *event)
{
    QListView::leaveEvent(event);
    m_delegate.setHovered({});
}

void GalleryGridView::scrollContentsBy(int dx, int dy)
{
    QListView::scrollContentsBy(dx, dy);
    scheduleChecks();
}

void GalleryGridView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QListView::rowsInserted(parent, start, end);
    scheduleChecks();
}

void GalleryGridView::reset()
{
    QListView::reset();
    scheduleChecks();
}

bool GalleryGridView::isScrolledToEnd() const
{
    const QScrollBar *bar = verticalScrollBar();
    return bar->value() >= bar->maximum();
}

QPair<int, int> GalleryGridView::nearbyRows() const
{
    if (!model() || model()->rowCount() == 0)
        return {0, -1};
    const QRect area = viewport()->rect();
    const int perRow = m_grid ? m_columns : 1;
    const int rowHeight = m_grid ? std::max(1, gridSize().height()) : GalleryTileDelegate::listRowHeight;
    const int firstLine = verticalScrollBar()->value() / rowHeight;
    const int lines = area.height() / rowHeight + 2;
    const int first = std::max(0, (firstLine - lines) * perRow);
    const int last = std::min(model()->rowCount() - 1, (firstLine + 2 * lines) * perRow);
    return {first, last};
}

void GalleryGridView::scheduleChecks()
{
    if (m_checkScheduled)
        return;
    m_checkScheduled = true;
    QTimer::singleShot(0, this, &GalleryGridView::runChecks);
}

void GalleryGridView::runChecks()
{
    m_checkScheduled = false;
    if (!model())
        return;
    // Thumbnails queued for cells far from view are no longer wanted.
    const auto [first, last] = nearbyRows();
    QSet<QString> wanted;
    for (int row = first; row <= last; ++row) {
        const QString path = model()->index(row, 0).data(GalleryItemModel::ImagePathRole).toString();
        wanted.insert(m_grid ? thumbnailCacheKey(path, GalleryTileDelegate::thumbnailMaxSize) : path);
    }
    m_cache.retainRequests(wanted);
    if (isVisible() && isScrolledToEnd())
        emit scrolledToEnd();
}
