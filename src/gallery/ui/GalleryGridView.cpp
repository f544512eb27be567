#include "gallery/ui/GalleryGridView.h"

#include "gallery/GalleryItemModel.h"
#include "gallery/ImageCache.h"
#include "gallery/ImageDecoding.h"
#include "gallery/ui/GalleryTileDelegate.h"
#include "shell/ui/FlatScrollBarStyle.h"

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
    for (QScrollBar *bar : {verticalScrollBar(), horizontalScrollBar()})
        bar->setStyle(FlatScrollBarStyle::shared());
    setFrameShape(QFrame::NoFrame);
    setViewportMargins(padding - gap / 2, padding - gap / 2, padding - gap / 2, padding - gap / 2);
    connect(&delegate, &GalleryTileDelegate::repaintNeeded, this, [this](const QModelIndex &index) {
        viewport()->update(visualRect(index).adjusted(-12, -12, 12, 12));
    });
    connect(&delegate, &GalleryTileDelegate::stillReady, this, [this](const QModelIndex &index) {
        if (visualRect(index).intersects(viewport()->rect()))
            repaintWhole();
    });
    // A picture that lands (or fails) repaints the view when a cell on screen shows it.
    connect(&cache, &ImageCache::imageReady, this, &GalleryGridView::repaintPicture);
    connect(&cache, &ImageCache::imageReady, this, &GalleryGridView::scheduleChecks);
    connect(&cache, &ImageCache::imageFailed, this, &GalleryGridView::repaintPicture);
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
    // Cards stand out on the window colour; list rows sit on the base colour as lists do.
    viewport()->setBackgroundRole(grid ? QPalette::Window : QPalette::Base);
    verticalScrollBar()->setBackgroundRole(viewport()->backgroundRole());
    setSelectionRectVisible(false);
    layoutTiles();
    scheduleChecks();
}

int GalleryGridView::layoutWidth() const
{
    // The width QListView lays items out in: it keeps room for a vertical scroll bar that may
    // appear, so that showing it does not rewrap the grid.
    int width = maximumViewportSize().width();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded) {
        width -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
        if (style()->styleHint(QStyle::SH_ScrollView_FrameOnlyAroundContents, nullptr, this))
            width -= 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    }
    // An item wraps when it would reach past the last pixel, so a row fits one pixel less.
    return width - 1;
}

void GalleryGridView::layoutTiles()
{
    if (!m_grid) {
        doItemsLayout();
        return;
    }
    // As many columns as fit at the narrowest tile; the tiles then widen to fill the row, up to the widest.
    const int available = std::max(layoutWidth(), minTile + gap);
    m_columns = std::max(1, available / (minTile + gap));
    const int tile = std::min(maxTile, available / m_columns - gap);
    m_delegate.setTileWidth(tile);
    const QSize size(tile + gap, GalleryTileDelegate::tileHeight(tile, font()) + gap);
    if (gridSize() != size)
        setGridSize(size);
}

void GalleryGridView::repaintPicture(const QString &key)
{
    if (!model())
        return;
    const QRect area = viewport()->rect();
    const QModelIndex topLeft = indexAt(area.topLeft() + QPoint(1, 1));
    const int first = topLeft.isValid() ? topLeft.row() : nearbyRows().first;
    const int perLine = m_grid ? m_columns : 1;
    const int lineHeight = m_grid ? std::max(1, gridSize().height()) : GalleryTileDelegate::listRowHeight;
    const int last = std::min(model()->rowCount() - 1, first + (area.height() / lineHeight + 2) * perLine);
    for (int row = std::max(0, first); row <= last; ++row) {
        const QModelIndex index = model()->index(row, 0);
        if (m_delegate.pictureKey(index.data(GalleryItemModel::ImagePathRole).toString()) == key) {
            repaintWhole();
            return;
        }
    }
}

void GalleryGridView::repaintWhole()
{
    // The whole viewport rather than the tiles that changed: with a rectangular paint region Qt
    // copies the tiles' images directly, while with a region of several rectangles it blends
    // them span by span on its own worker threads and waits for them, which takes longer than
    // copying every visible tile.
    viewport()->update();
}

void GalleryGridView::changeEvent(QEvent *event)
{
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        layoutTiles();
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
    // Tiles about to scroll into view are drawn ahead. Requests are served newest first, so
    // the rows nearest the top of the range go last.
    if (isVisible()) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        for (int row = last; row >= first; --row) {
            const QModelIndex index = model()->index(row, 0);
            option.rect = visualRect(index);
            m_delegate.prefetch(option, index);
        }
    }
    if (isVisible() && isScrolledToEnd())
        emit scrolledToEnd();
}
