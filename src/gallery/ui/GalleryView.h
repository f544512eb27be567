#pragma once

#include "gallery/GalleryFilter.h"
#include "gallery/GalleryItemModel.h"
#include "gallery/GalleryStore.h"

#include <QWidget>

class BackendViewModel;
class GalleryFilterPopover;
class GalleryGridView;
class GalleryPreviewPresenter;
class GalleryTileDelegate;
class ImageCache;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStackedWidget;
class QToolButton;
class SheetPresenter;

// The Gallery tab: a toolbar to search, sort, switch grid and list, filter and pick a
// collection, over the loading state, the empty state, or the hint banner and the items. It
// owns its store; view mode and sort order are saved in the window's settings group.
class GalleryView : public QWidget
{
    Q_OBJECT

public:
    GalleryView(BackendViewModel &backend, ImageCache &cache, const QString &windowStateGroup,
                QWidget *parent = nullptr);
    ~GalleryView() override;

    GalleryStore &store() { return m_store; }
    GalleryItemModel &itemModel() { return m_model; }
    const GalleryFilterState &filterState() const { return m_state; }
    ViewMode viewMode() const { return m_viewMode; }
    bool isSelectionMode() const { return m_selectionMode; }
    QString selectedItemID() const;
    GalleryTileDelegate &tileDelegate() { return *m_delegate; }

    // Selects the item and scrolls to it, clearing the search and filters when they hide it.
    // False when the item is not loaded.
    bool revealItem(const QString &id);
    // Opens the large preview of a loaded item as a sheet; false when it is not loaded.
    bool openPreview(const QString &id);
    GalleryPreviewPresenter &previews() { return *m_previews; }
    // Sheets go through the app's presenter once it is given, so they queue behind its own.
    void setSheetPresenter(SheetPresenter *sheets);

public slots:
    void refresh();
    // Shows the items matching this text, as if typed into the search field.
    void search(const QString &text);
    void setViewMode(ViewMode mode);
    void setSortOrder(SortOrder order);

signals:
    // "Start Creating": the Generate tab.
    void switchTabRequested(int tab);
    void selectionModeChanged(bool on);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildToolbar(QWidget *row);
    void buildContent();
    void setState(const GalleryFilterState &state);
    void updateToolbar();
    void updateContent();
    void updateCollectionMenu();
    void restoreWindowState();
    void saveWindowState() const;
    void dismissHint();
    void checkPaging();
    QString windowStateKey(const char *key) const;

    BackendViewModel &m_backend;
    ImageCache &m_cache;
    QString m_windowStateGroup;
    GalleryStore m_store;
    GalleryItemModel m_model;
    GalleryFilterState m_state;
    ViewMode m_viewMode = ViewMode::Grid;
    bool m_selectionMode = false;

    QLineEdit *m_search = nullptr;
    QComboBox *m_sort = nullptr;
    QWidget *m_viewSwitch = nullptr;
    QToolButton *m_gridButton = nullptr;
    QToolButton *m_listButton = nullptr;
    QToolButton *m_favorites = nullptr;
    QToolButton *m_filterButton = nullptr;
    QToolButton *m_selectionButton = nullptr;
    QToolButton *m_collectionButton = nullptr;
    QMenu *m_collectionMenu = nullptr;
    QToolButton *m_moreButton = nullptr;
    QAction *m_countAction = nullptr;
    QLabel *m_counter = nullptr;
    GalleryFilterPopover *m_popover = nullptr;

    QStackedWidget *m_pages = nullptr;
    QWidget *m_loadingPage = nullptr;
    QWidget *m_emptyPage = nullptr;
    QLabel *m_emptyIcon = nullptr;
    QLabel *m_emptyTitle = nullptr;
    QLabel *m_emptyText = nullptr;
    QPushButton *m_startCreating = nullptr;
    QWidget *m_contentPage = nullptr;
    QFrame *m_hint = nullptr;
    GalleryTileDelegate *m_delegate = nullptr;
    GalleryGridView *m_grid = nullptr;
    QWidget *m_loadingMore = nullptr;
    GalleryPreviewPresenter *m_previews = nullptr;
};
