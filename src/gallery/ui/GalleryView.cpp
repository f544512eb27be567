#include "gallery/ui/GalleryView.h"

#include "backend/BackendViewModel.h"
#include "gallery/ImageCache.h"
#include "gallery/ui/GalleryFilterPopover.h"
#include "gallery/ui/GalleryGridView.h"
#include "gallery/ui/GalleryPreviewPresenter.h"
#include "gallery/ui/GalleryTileDelegate.h"
#include "shell/Theme.h"
#include "shell/ui/Icons.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QShowEvent>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int toolbarIconSize = 18;

QColor secondaryColour(const QWidget *widget) { return widget->palette().color(QPalette::PlaceholderText); }

// A tool button's text and icon in this colour, or in the palette's own when it is invalid.
void tint(QToolButton *button, const QColor &colour)
{
    QPalette palette = button->parentWidget() ? button->parentWidget()->palette() : QApplication::palette();
    if (colour.isValid())
        palette.setColor(QPalette::ButtonText, colour);
    button->setPalette(palette);
}

// The application's logo, drawn sharp at the screen's pixel ratio.
QPixmap logoPixmap(int side, qreal dpr)
{
    QImageReader reader(QStringLiteral(":/logo.svg"));
    reader.setScaledSize(QSize(side, side) * dpr);
    QPixmap pixmap = QPixmap::fromImage(reader.read());
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

QString countText(qsizetype shown, qint64 total) { return QStringLiteral("%1 of %2 images").arg(shown).arg(total); }

} // namespace

GalleryView::GalleryView(BackendViewModel &backend, ImageCache &cache, const QString &windowStateGroup,
                         QWidget *parent)
    : QWidget(parent), m_backend(backend), m_cache(cache), m_windowStateGroup(windowStateGroup), m_store(),
      m_model(m_store)
{
    setObjectName(QStringLiteral("galleryView"));
    m_previews = new GalleryPreviewPresenter(m_store, m_backend, m_cache, *this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *toolbar = new QWidget(this);
    toolbar->setObjectName(QStringLiteral("galleryToolbar"));
    buildToolbar(toolbar);
    layout->addWidget(toolbar);
    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);
    buildContent();
    layout->addWidget(m_pages, 1);

    auto *refreshShortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+R")), this);
    refreshShortcut->setObjectName(QStringLiteral("refreshShortcut"));
    connect(refreshShortcut, &QShortcut::activated, this, &GalleryView::refresh);
    auto *searchShortcut = new QShortcut(QKeySequence::Find, this);
    connect(searchShortcut, &QShortcut::activated, this, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });

    connect(&m_model, &GalleryItemModel::filteredChanged, this, [this] {
        updateToolbar();
        updateContent();
    });
    connect(&m_store, &GalleryStore::isLoadingChanged, this, &GalleryView::updateContent);
    connect(&m_store, &GalleryStore::totalCountChanged, this, &GalleryView::updateToolbar);
    connect(&m_store, &GalleryStore::hasMoreChanged, this, &GalleryView::checkPaging);
    connect(&m_store, &GalleryStore::collectionsChanged, this, &GalleryView::updateCollectionMenu);
    connect(&m_store, &GalleryStore::itemsReset, this, [this] { m_cache.forgetFailures(); });

    m_delegate->setReducedMotion(QSettings().value(QStringLiteral("reduceMotion"), false).toBool()
                                 || !QApplication::isEffectEnabled(Qt::UI_General));
    restoreWindowState();
    updateCollectionMenu();
    updateToolbar();
    updateContent();
}

GalleryView::~GalleryView() = default;

QString GalleryView::windowStateKey(const char *key) const
{
    return m_windowStateGroup.isEmpty() ? QLatin1String(key) : m_windowStateGroup + u'/' + QLatin1String(key);
}

void GalleryView::buildToolbar(QWidget *row)
{
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->setSpacing(8);

    m_search = new QLineEdit(row);
    m_search->setObjectName(QStringLiteral("searchField"));
    m_search->setPlaceholderText(QStringLiteral("Search prompts, tags, models..."));
    m_search->setToolTip(QStringLiteral("Search by prompt text, tags, model name, or artwork title (Ctrl+F)"));
    m_search->setClearButtonEnabled(true);
    m_search->addAction(Icons::icon(QStringLiteral("magnifyingglass"), secondaryColour(this)), QLineEdit::LeadingPosition);
    layout->addWidget(m_search, 1);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &text) {
        GalleryFilterState state = m_state;
        state.searchText = text;
        setState(state);
    });

    m_sort = new QComboBox(row);
    m_sort->setObjectName(QStringLiteral("sortMenu"));
    m_sort->setFixedWidth(100);
    for (SortOrder order : allSortOrders)
        m_sort->addItem(rawValue(order));
    m_sort->setToolTip(QStringLiteral("Sort gallery by date or rating"));
    layout->addWidget(m_sort);
    connect(m_sort, &QComboBox::activated, this, [this](int index) { setSortOrder(allSortOrders.value(index)); });

    m_viewSwitch = new QWidget(row);
    m_viewSwitch->setObjectName(QStringLiteral("viewSwitch"));
    m_viewSwitch->setFixedWidth(70);
    m_viewSwitch->setToolTip(QStringLiteral("Switch between grid and list view"));
    auto *switchLayout = new QHBoxLayout(m_viewSwitch);
    switchLayout->setContentsMargins(0, 0, 0, 0);
    switchLayout->setSpacing(0);
    auto *modes = new QButtonGroup(m_viewSwitch);
    m_gridButton = new QToolButton(m_viewSwitch);
    m_gridButton->setObjectName(QStringLiteral("gridModeButton"));
    m_gridButton->setIcon(Icons::paletteIcon(QStringLiteral("square.grid.2x2")));
    m_listButton = new QToolButton(m_viewSwitch);
    m_listButton->setObjectName(QStringLiteral("listModeButton"));
    m_listButton->setIcon(Icons::paletteIcon(QStringLiteral("list.bullet")));
    for (QToolButton *button : {m_gridButton, m_listButton}) {
        button->setCheckable(true);
        button->setIconSize(QSize(16, 16));
        button->setToolTip(m_viewSwitch->toolTip());
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        modes->addButton(button);
        switchLayout->addWidget(button);
    }
    layout->addWidget(m_viewSwitch);
    connect(m_gridButton, &QToolButton::clicked, this, [this] { setViewMode(ViewMode::Grid); });
    connect(m_listButton, &QToolButton::clicked, this, [this] { setViewMode(ViewMode::List); });

    m_favorites = new QToolButton(row);
    m_favorites->setObjectName(QStringLiteral("favoritesToggle"));
    m_favorites->setCheckable(true);
    m_favorites->setIconSize(QSize(toolbarIconSize, toolbarIconSize));
    m_favorites->setToolTip(QStringLiteral("Show only favorited artwork"));
    layout->addWidget(m_favorites);
    connect(m_favorites, &QToolButton::toggled, this, [this](bool on) {
        GalleryFilterState state = m_state;
        state.showFavoritesOnly = on;
        setState(state);
    });

    m_filterButton = new QToolButton(row);
    m_filterButton->setObjectName(QStringLiteral("filterButton"));
    m_filterButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_filterButton->setIconSize(QSize(toolbarIconSize, toolbarIconSize));
    layout->addWidget(m_filterButton);
    m_popover = new GalleryFilterPopover(this);
    connect(m_filterButton, &QToolButton::clicked, this, [this] {
        if (m_popover->isVisible()) {
            m_popover->hide();
            return;
        }
        m_popover->setState(m_state);
        m_popover->adjustSize();
        m_popover->popUpBelow(m_filterButton);
    });
    connect(m_popover, &GalleryFilterPopover::stateEdited, this, [this](const GalleryFilterState &edited) {
        GalleryFilterState state = m_state;
        state.filterModel = edited.filterModel;
        state.filterDateFrom = edited.filterDateFrom;
        state.filterDateTo = edited.filterDateTo;
        state.filterMinRating = edited.filterMinRating;
        state.filterSizeCategory = edited.filterSizeCategory;
        setState(state);
    });

    m_selectionButton = new QToolButton(row);
    m_selectionButton->setObjectName(QStringLiteral("selectionButton"));
    m_selectionButton->setCheckable(true);
    m_selectionButton->setIconSize(QSize(toolbarIconSize, toolbarIconSize));
    layout->addWidget(m_selectionButton);
    connect(m_selectionButton, &QToolButton::toggled, this, [this](bool on) {
        m_selectionMode = on;
        updateToolbar();
        emit selectionModeChanged(on);
    });

    m_collectionButton = new QToolButton(row);
    m_collectionButton->setObjectName(QStringLiteral("collectionMenu"));
    m_collectionButton->setPopupMode(QToolButton::InstantPopup);
    m_collectionButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_collectionButton->setIconSize(QSize(16, 16));
    m_collectionButton->setMaximumWidth(140);
    m_collectionButton->setToolTip(QStringLiteral("Filter by collection"));
    m_collectionMenu = new QMenu(m_collectionButton);
    m_collectionMenu->setObjectName(QStringLiteral("collectionMenuItems"));
    m_collectionButton->setMenu(m_collectionMenu);
    layout->addWidget(m_collectionButton);

    m_moreButton = new QToolButton(row);
    m_moreButton->setObjectName(QStringLiteral("moreActionsMenu"));
    m_moreButton->setAutoRaise(true);
    m_moreButton->setPopupMode(QToolButton::InstantPopup);
    m_moreButton->setIcon(Icons::paletteIcon(QStringLiteral("ellipsis.circle")));
    m_moreButton->setIconSize(QSize(toolbarIconSize, toolbarIconSize));
    m_moreButton->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
    m_moreButton->setToolTip(QStringLiteral("More actions"));
    m_moreButton->setAccessibleName(QStringLiteral("More actions"));
    auto *moreMenu = new QMenu(m_moreButton);
    QAction *refreshAction = moreMenu->addAction(Icons::paletteIcon(QStringLiteral("arrow.clockwise")),
                                                 QStringLiteral("Refresh (Ctrl+R)"));
    refreshAction->setObjectName(QStringLiteral("refreshAction"));
    refreshAction->setStatusTip(QStringLiteral("Refresh gallery"));
    refreshAction->setToolTip(QStringLiteral("Refresh gallery"));
    connect(refreshAction, &QAction::triggered, this, &GalleryView::refresh);
    moreMenu->addSeparator();
    m_countAction = moreMenu->addAction(QString());
    m_countAction->setObjectName(QStringLiteral("imageCountAction"));
    m_countAction->setEnabled(false);
    m_moreButton->setMenu(moreMenu);
    layout->addWidget(m_moreButton);

    m_counter = new QLabel(row);
    m_counter->setObjectName(QStringLiteral("counterLabel"));
    m_counter->setMinimumWidth(40);
    m_counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(m_counter);
}

void GalleryView::buildContent()
{
    m_pages = new QStackedWidget(this);

    m_loadingPage = new QWidget(m_pages);
    m_loadingPage->setObjectName(QStringLiteral("loadingState"));
    auto *loading = new QVBoxLayout(m_loadingPage);
    loading->addStretch();
    auto *spinner = new QProgressBar(m_loadingPage);
    spinner->setRange(0, 0);
    spinner->setMaximumWidth(160);
    loading->addWidget(spinner, 0, Qt::AlignHCenter);
    auto *loadingLabel = new QLabel(QStringLiteral("Loading gallery..."), m_loadingPage);
    loading->addWidget(loadingLabel, 0, Qt::AlignHCenter);
    loading->addStretch();
    m_pages->addWidget(m_loadingPage);

    m_emptyPage = new QWidget(m_pages);
    m_emptyPage->setObjectName(QStringLiteral("emptyState"));
    m_emptyPage->setAutoFillBackground(true);
    {
        QPalette palette = m_emptyPage->palette();
        QLinearGradient gradient = Theme::studioEmpty(QRectF(0, 0, 1, 1));
        gradient.setCoordinateMode(QGradient::ObjectMode);
        palette.setBrush(QPalette::Window, gradient);
        m_emptyPage->setPalette(palette);
    }
    auto *empty = new QVBoxLayout(m_emptyPage);
    empty->setContentsMargins(40, 24, 40, 24);
    empty->setSpacing(12);
    empty->addStretch();
    m_emptyIcon = new QLabel(m_emptyPage);
    m_emptyIcon->setObjectName(QStringLiteral("emptyIcon"));
    m_emptyIcon->setAlignment(Qt::AlignCenter);
    empty->addWidget(m_emptyIcon, 0, Qt::AlignHCenter);
    m_emptyTitle = new QLabel(m_emptyPage);
    m_emptyTitle->setObjectName(QStringLiteral("emptyTitle"));
    QFont titleFont = m_emptyTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    m_emptyTitle->setFont(titleFont);
    m_emptyTitle->setTextFormat(Qt::PlainText);
    empty->addWidget(m_emptyTitle, 0, Qt::AlignHCenter);
    m_emptyText = new QLabel(m_emptyPage);
    m_emptyText->setObjectName(QStringLiteral("emptyText"));
    m_emptyText->setAlignment(Qt::AlignCenter);
    m_emptyText->setWordWrap(true);
    m_emptyText->setTextFormat(Qt::PlainText);
    {
        QPalette secondary = m_emptyText->palette();
        secondary.setColor(QPalette::WindowText, secondary.color(QPalette::PlaceholderText));
        m_emptyText->setPalette(secondary);
    }
    empty->addWidget(m_emptyText);
    m_startCreating = new QPushButton(QStringLiteral("Start Creating"), m_emptyPage);
    m_startCreating->setObjectName(QStringLiteral("startCreatingButton"));
    m_startCreating->setDefault(true);
    {
        // The prominent style: the accent colour filled, white text.
        QPalette prominent = m_startCreating->palette();
        prominent.setColor(QPalette::Button, Theme::studioPurple());
        prominent.setColor(QPalette::ButtonText, Qt::white);
        m_startCreating->setPalette(prominent);
        m_startCreating->setMinimumWidth(140);
        m_startCreating->setMinimumHeight(32);
    }
    empty->addWidget(m_startCreating, 0, Qt::AlignHCenter);
    empty->addStretch();
    connect(m_startCreating, &QPushButton::clicked, this, [this] { emit switchTabRequested(1); });
    m_pages->addWidget(m_emptyPage);

    m_contentPage = new QWidget(m_pages);
    m_contentPage->setObjectName(QStringLiteral("itemsState"));
    auto *content = new QVBoxLayout(m_contentPage);
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(0);

    m_hint = new QFrame(m_contentPage);
    m_hint->setObjectName(QStringLiteral("galleryHint"));
    auto *hint = new QHBoxLayout(m_hint);
    hint->setContentsMargins(12, 4, 12, 4);
    hint->setSpacing(6);
    m_hint->setAutoFillBackground(true);
    {
        QPalette palette = m_hint->palette();
        palette.setColor(QPalette::Window, Theme::withOpacity(Theme::studioPurple(), 0.07));
        m_hint->setPalette(palette);
    }
    auto *hintIcon = new QLabel(m_hint);
    hintIcon->setObjectName(QStringLiteral("galleryHintIcon"));
    hintIcon->setPixmap(Icons::pixmap(QStringLiteral("cursorarrow.click.2"), Theme::studioPurple(), 16, devicePixelRatioF()));
    hintIcon->setFixedSize(16, 16);
    hint->addWidget(hintIcon);
    auto *hintText = new QLabel(
        QStringLiteral("Right-click any image to rate, favorite, export, or delete. Drag images out to other apps."), m_hint);
    hintText->setObjectName(QStringLiteral("galleryHintText"));
    {
        QPalette secondary = hintText->palette();
        secondary.setColor(QPalette::WindowText, secondary.color(QPalette::PlaceholderText));
        hintText->setPalette(secondary);
    }
    hint->addWidget(hintText);
    hint->addStretch();
    auto *dismiss = new QToolButton(m_hint);
    dismiss->setObjectName(QStringLiteral("dismissHintButton"));
    dismiss->setAutoRaise(true);
    dismiss->setIcon(Icons::icon(QStringLiteral("xmark"), secondaryColour(this)));
    dismiss->setIconSize(QSize(12, 12));
    dismiss->setAccessibleName(QStringLiteral("Dismiss hint"));
    hint->addWidget(dismiss);
    connect(dismiss, &QToolButton::clicked, this, &GalleryView::dismissHint);
    m_hint->setVisible(!QSettings().value(QStringLiteral("hasSeenGalleryHint"), false).toBool());
    content->addWidget(m_hint);

    m_delegate = new GalleryTileDelegate(m_cache, this);
    m_grid = new GalleryGridView(m_cache, *m_delegate, m_contentPage);
    m_grid->setObjectName(QStringLiteral("galleryItems"));
    m_grid->setModel(&m_model);
    content->addWidget(m_grid, 1);
    connect(m_grid, &GalleryGridView::scrolledToEnd, this, &GalleryView::checkPaging);
    // Double click or Enter on an item opens its preview; in selection mode a click selects.
    connect(m_grid, &QAbstractItemView::activated, this, [this](const QModelIndex &index) {
        if (!m_selectionMode && index.isValid())
            openPreview(m_model.itemAt(index.row()).id);
    });

    m_loadingMore = new QWidget(m_contentPage);
    m_loadingMore->setObjectName(QStringLiteral("loadingMoreRow"));
    auto *more = new QHBoxLayout(m_loadingMore);
    more->addStretch();
    auto *moreSpinner = new QProgressBar(m_loadingMore);
    moreSpinner->setRange(0, 0);
    moreSpinner->setMaximumWidth(80);
    more->addWidget(moreSpinner);
    more->addWidget(new QLabel(QStringLiteral("Loading more..."), m_loadingMore));
    more->addStretch();
    m_loadingMore->hide();
    content->addWidget(m_loadingMore);
    m_pages->addWidget(m_contentPage);
}

void GalleryView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_store.setBackend(&m_backend);
    restoreWindowState();
    [](QPointer<GalleryView> self) -> QCoro::Task<> {
        co_await self->m_store.refresh();
        if (self)
            co_await self->m_store.refreshCollections();
    }(this);
}

void GalleryView::refresh() { m_store.refresh(); }

void GalleryView::setState(const GalleryFilterState &state)
{
    m_state = state;
    m_model.setFilterState(state); // updates the toolbar and content through filteredChanged
    updateToolbar();
    updateContent();
}

void GalleryView::setViewMode(ViewMode mode)
{
    const bool changed = mode != m_viewMode;
    m_viewMode = mode;
    m_grid->setGridMode(mode == ViewMode::Grid);
    updateToolbar();
    if (changed)
        saveWindowState();
}

void GalleryView::setSortOrder(SortOrder order)
{
    const bool changed = order != m_state.sortOrder;
    GalleryFilterState state = m_state;
    state.sortOrder = order;
    setState(state);
    if (changed)
        saveWindowState();
}

void GalleryView::restoreWindowState()
{
    QSettings settings;
    if (auto mode = viewModeFromSaved(settings.value(windowStateKey("galleryViewMode"), QStringLiteral("grid")).toString())) {
        m_viewMode = *mode;
        m_grid->setGridMode(*mode == ViewMode::Grid);
    }
    if (auto order = sortOrderFromSaved(settings.value(windowStateKey("gallerySortBy"), QStringLiteral("newest")).toString())) {
        GalleryFilterState state = m_state;
        state.sortOrder = *order;
        setState(state);
    }
    updateToolbar();
}

void GalleryView::saveWindowState() const
{
    QSettings settings;
    settings.setValue(windowStateKey("galleryViewMode"), rawValue(m_viewMode).toLower());
    settings.setValue(windowStateKey("gallerySortBy"), rawValue(m_state.sortOrder).toLower());
}

void GalleryView::dismissHint()
{
    QSettings().setValue(QStringLiteral("hasSeenGalleryHint"), true);
    m_hint->hide();
}

void GalleryView::updateToolbar()
{
    if (!m_counter)
        return;
    const qsizetype shown = m_model.rowCount();
    const qint64 total = m_store.totalCount();

    m_sort->setCurrentIndex(int(allSortOrders.indexOf(m_state.sortOrder)));
    m_sort->setAccessibleName(QStringLiteral("Sort by: ") + rawValue(m_state.sortOrder));

    const bool grid = m_viewMode == ViewMode::Grid;
    m_gridButton->setChecked(grid);
    m_listButton->setChecked(!grid);
    const QString switchLabel = grid ? QStringLiteral("Switch to list view") : QStringLiteral("Switch to grid view");
    m_viewSwitch->setAccessibleName(switchLabel);
    m_gridButton->setAccessibleName(switchLabel);
    m_listButton->setAccessibleName(switchLabel);

    const bool favorites = m_state.showFavoritesOnly;
    m_favorites->setChecked(favorites);
    m_favorites->setIcon(favorites ? Icons::icon(QStringLiteral("heart.fill"), Theme::studioMagenta())
                                   : Icons::paletteIcon(QStringLiteral("heart")));
    m_favorites->setAccessibleName(favorites ? QStringLiteral("Showing favorites only")
                                             : QStringLiteral("Show favorites only"));

    const int count = m_state.activeFilterCount();
    m_filterButton->setText(count > 0 ? QStringLiteral("(%1)").arg(count) : QString());
    m_filterButton->setToolButtonStyle(count > 0 ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
    m_filterButton->setIcon(count > 0 ? Icons::icon(QStringLiteral("line.3.horizontal.decrease.circle.fill"), Theme::studioPurple())
                                      : Icons::paletteIcon(QStringLiteral("line.3.horizontal.decrease.circle")));
    m_filterButton->setToolTip(count > 0 ? QStringLiteral("Filters active (%1)").arg(count)
                                         : QStringLiteral("Filter gallery by model, date, rating, or size"));
    m_filterButton->setAccessibleName(count > 0 ? QStringLiteral("Filter gallery, %1 active filters").arg(count)
                                                : QStringLiteral("Filter gallery"));
    tint(m_filterButton, count > 0 ? Theme::studioPurple() : QColor());

    m_selectionButton->setChecked(m_selectionMode);
    m_selectionButton->setIcon(m_selectionMode ? Icons::icon(QStringLiteral("checkmark.circle.fill"), Theme::studioPurple())
                                               : Icons::paletteIcon(QStringLiteral("checkmark.circle")));
    m_selectionButton->setToolTip(m_selectionMode ? QStringLiteral("Exit selection mode (Esc)")
                                                  : QStringLiteral("Enter selection mode"));
    m_selectionButton->setAccessibleName(m_selectionMode ? QStringLiteral("Exit selection mode")
                                                         : QStringLiteral("Enter selection mode"));

    const QString collection = m_state.selectedCollection.value_or(QString());
    const QString collectionText = m_state.selectedCollection ? collection : QStringLiteral("All");
    m_collectionButton->setIcon(m_state.selectedCollection ? Icons::icon(QStringLiteral("folder.fill"), Theme::studioPurple())
                                                           : Icons::paletteIcon(QStringLiteral("folder")));
    // Room for the icon, the menu arrow and the button's margins; the rest is the name.
    m_collectionButton->setText(
        m_collectionButton->fontMetrics().elidedText(collectionText, Qt::ElideRight, 140 - 16 - 36));
    m_collectionButton->setAccessibleName(QStringLiteral("Collection: ")
                                          + (m_state.selectedCollection ? collection : QStringLiteral("All Artwork")));

    for (QAction *entry : m_collectionMenu->actions()) {
        if (entry->isCheckable())
            entry->setChecked(m_state.selectedCollection ? entry->data().toString() == collection
                                                         : !entry->data().isValid());
    }

    m_countAction->setText(countText(shown, total));
    m_counter->setText(QStringLiteral("%1/%2").arg(shown).arg(total));
    m_counter->setToolTip(countText(shown, total));
    m_counter->setAccessibleName(countText(shown, total) + QStringLiteral(" shown"));
}

void GalleryView::updateCollectionMenu()
{
    m_collectionMenu->clear();
    // The chosen entry carries a check mark.
    auto *choices = new QActionGroup(m_collectionMenu);
    QAction *all = m_collectionMenu->addAction(QStringLiteral("All Artwork"));
    all->setCheckable(true);
    choices->addAction(all);
    connect(all, &QAction::triggered, this, [this] {
        GalleryFilterState state = m_state;
        state.selectedCollection.reset();
        setState(state);
    });
    if (!m_store.collections().isEmpty())
        m_collectionMenu->addSeparator();
    for (const Collection &collection : m_store.collections()) {
        QAction *entry = m_collectionMenu->addAction(QStringLiteral("%1 (%2)").arg(collection.name).arg(collection.count));
        entry->setCheckable(true);
        entry->setData(collection.name);
        choices->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, name = collection.name] {
            GalleryFilterState state = m_state;
            state.selectedCollection = name;
            setState(state);
        });
    }
    updateToolbar();
}

void GalleryView::updateContent()
{
    if (!m_pages)
        return;
    if (m_store.isLoading() && m_store.items().isEmpty()) {
        m_pages->setCurrentWidget(m_loadingPage);
        return;
    }
    if (m_model.rowCount() == 0) {
        const int side = 100;
        const int symbolSide = 56;
        if (m_state.showFavoritesOnly) {
            m_emptyIcon->setFixedSize(symbolSide, symbolSide);
            m_emptyIcon->setPixmap(Icons::pixmap(QStringLiteral("heart"), secondaryColour(this), symbolSide, devicePixelRatioF()));
            m_emptyTitle->setText(QStringLiteral("No favorites yet"));
            m_emptyText->setText(QStringLiteral("Heart your favorite artworks to see them here"));
            m_emptyText->show();
            m_startCreating->hide();
        } else if (!m_state.searchText.isEmpty()) {
            m_emptyIcon->setFixedSize(symbolSide, symbolSide);
            m_emptyIcon->setPixmap(
                Icons::pixmap(QStringLiteral("magnifyingglass"), secondaryColour(this), symbolSide, devicePixelRatioF()));
            m_emptyTitle->setText(QStringLiteral("No results for \"") + m_state.searchText + u'"');
            m_emptyText->hide();
            m_startCreating->hide();
        } else {
            m_emptyIcon->setPixmap(logoPixmap(side, devicePixelRatioF()));
            m_emptyIcon->setFixedSize(side, side);
            m_emptyTitle->setText(QStringLiteral("Your Gallery is Empty"));
            m_emptyText->setText(
                QStringLiteral("Generate images from the Generate tab or chat with The Palettor to build your gallery.\n"
                               "Drag images out to other apps, or into Generate for img2img."));
            m_emptyText->show();
            m_startCreating->show();
        }
        m_pages->setCurrentWidget(m_emptyPage);
        return;
    }
    m_pages->setCurrentWidget(m_contentPage);
    checkPaging();
}

void GalleryView::checkPaging()
{
    const bool atEnd = m_pages->currentWidget() == m_contentPage && m_grid->isScrolledToEnd();
    const bool show = m_store.hasMore() && atEnd;
    m_loadingMore->setVisible(show);
    if (show)
        m_store.loadMore();
}

QString GalleryView::selectedItemID() const
{
    const QModelIndexList selected = m_grid->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : selected.first().data(GalleryItemModel::IdRole).toString();
}

void GalleryView::search(const QString &text)
{
    m_search->setText(text);
}

bool GalleryView::openPreview(const QString &id)
{
    m_previews->setReduceMotion(m_delegate->reducedMotion());
    return m_previews->open(id);
}

void GalleryView::setSheetPresenter(SheetPresenter *sheets) { m_previews->setSheetPresenter(sheets); }

bool GalleryView::revealItem(const QString &id)
{
    if (m_store.indexOf(id) < 0)
        return false;
    if (m_model.rowOf(id) < 0) {
        GalleryFilterState cleared;
        cleared.sortOrder = m_state.sortOrder;
        m_search->blockSignals(true);
        m_search->clear();
        m_search->blockSignals(false);
        setState(cleared);
    }
    const int row = m_model.rowOf(id);
    if (row < 0)
        return false;
    const QModelIndex index = m_model.index(row);
    m_grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_grid->scrollTo(index, QAbstractItemView::PositionAtCenter);
    return true;
}
