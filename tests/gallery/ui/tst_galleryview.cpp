#include "../GalleryTestSupport.h"

#include "gallery/ImageCache.h"
#include "gallery/ui/GalleryGridView.h"
#include "gallery/ui/GalleryTileDelegate.h"
#include "gallery/ui/GalleryPreviewPresenter.h"
#include "gallery/ui/GalleryView.h"
#include "gallery/ui/ImagePreviewView.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

using namespace GalleryTest;

namespace {

JSONObject page(const JSONArray &items, qint64 total) { return pageJSON(items, total, 0); }

// A gallery screen over the scripted fake, shown so that it loads.
struct Screen
{
    ScriptedBackend backend;
    ImageCache cache;
    std::unique_ptr<GalleryView> view;
    std::unique_ptr<QAbstractItemModelTester> tester;

    void show(const QString &group = QStringLiteral("window-1"))
    {
        backend.fake.addRule("list_collections",
                             {JSONObject{{"reply", JSONObject{{"result", JSONArray{JSONObject{{"name", "Album Covers"},
                                                                                              {"count", 12}}}}}}}},
                             true);
        backend.start();
        view = std::make_unique<GalleryView>(backend.backend, cache, group);
        tester = std::make_unique<QAbstractItemModelTester>(&view->itemModel(),
                                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
        view->resize(1000, 700);
        view->show();
        QTRY_VERIFY(!view->store().isLoading());
        QTRY_COMPARE(view->store().collections().size(), 1);
    }
    template<typename T> T *find(const char *name) const
    {
        T *widget = view->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    QString currentPage() const
    {
        return view->findChild<QStackedWidget *>()->currentWidget()->objectName();
    }
    QString emptyTitle() const { return find<QLabel>("emptyTitle")->text(); }
};

} // namespace

class GalleryViewTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void emptyGalleryOffersStartCreating();
    void noResultsAndNoFavorites();
    void toolbarTextsFollowTheState();
    void counterAndCollectionMenu();
    void viewModeAndSortAreSavedPerWindow_data();
    void viewModeAndSortAreSavedPerWindow();
    void hintStaysDismissed();
    void doubleClickOpensThePreview();
    void gridTilesFillTheRow_data();
    void gridTilesFillTheRow();
    void scrollingToTheEndLoadsTheNextPage();
    void revealItemSelectsIt();
    void reducedMotionKeepsTheTileStill();
};

void GalleryViewTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("PictaviaTests");
    QCoreApplication::setApplicationName("tst_galleryview");
}

void GalleryViewTest::init() { QSettings().clear(); }

void GalleryViewTest::emptyGalleryOffersStartCreating()
{
    Screen screen;
    screen.backend.fake.addReply("get_gallery", page({}, 0));
    screen.show();
    QCOMPARE(screen.currentPage(), QStringLiteral("emptyState"));
    QCOMPARE(screen.emptyTitle(), QStringLiteral("Your Gallery is Empty"));
    QCOMPARE(screen.find<QLabel>("emptyText")->text(),
             QStringLiteral("Generate images from the Generate tab or chat with The Palettor to build your gallery.\n"
                            "Drag images out to other apps, or into Generate for img2img."));
    QSignalSpy switchTab(screen.view.get(), &GalleryView::switchTabRequested);
    auto *start = screen.find<QPushButton>("startCreatingButton");
    QVERIFY(start->isVisible());
    QTest::mouseClick(start, Qt::LeftButton);
    QCOMPARE(switchTab.count(), 1);
    QCOMPARE(switchTab.first().first().toInt(), 1);
}

void GalleryViewTest::noResultsAndNoFavorites()
{
    Screen screen;
    screen.backend.fake.addReply("get_gallery", page({itemJSON("a", "2025-01-01T00:00:00Z")}, 1));
    screen.show();
    QCOMPARE(screen.currentPage(), QStringLiteral("itemsState"));

    auto *search = screen.find<QLineEdit>("searchField");
    QTest::keyClicks(search, "zebra");
    QCOMPARE(screen.currentPage(), QStringLiteral("emptyState"));
    QCOMPARE(screen.emptyTitle(), QStringLiteral("No results for \"zebra\""));
    QVERIFY(!screen.find<QPushButton>("startCreatingButton")->isVisible());

    QTest::mouseClick(screen.find<QToolButton>("favoritesToggle"), Qt::LeftButton);
    QCOMPARE(screen.emptyTitle(), QStringLiteral("No favorites yet")); // even with a search text
    QCOMPARE(screen.find<QLabel>("emptyText")->text(), QStringLiteral("Heart your favorite artworks to see them here"));

    QTest::mouseClick(screen.find<QToolButton>("favoritesToggle"), Qt::LeftButton);
    search->clear();
    QCOMPARE(screen.currentPage(), QStringLiteral("itemsState"));
    // Popover filters that empty the list fall through to the last row.
    QTest::mouseClick(screen.find<QToolButton>("filterButton"), Qt::LeftButton);
    auto *sizeMenu = screen.find<QComboBox>("filterSizeMenu");
    sizeMenu->setCurrentIndex(1);
    emit sizeMenu->activated(1); // Small (<512): the item is 1024x1024
    QCOMPARE(screen.emptyTitle(), QStringLiteral("Your Gallery is Empty"));
}

void GalleryViewTest::toolbarTextsFollowTheState()
{
    Screen screen;
    screen.backend.fake.addRule(
        "get_gallery", {JSONObject{{"reply", JSONObject{{"result", page({itemJSON("a", "2025-01-01T00:00:00Z")}, 1)}}}}},
        true);
    screen.show();
    auto *search = screen.find<QLineEdit>("searchField");
    QCOMPARE(search->placeholderText(), QStringLiteral("Search prompts, tags, models..."));
    QCOMPARE(search->toolTip(), QStringLiteral("Search by prompt text, tags, model name, or artwork title (Ctrl+F)"));

    auto *sort = screen.find<QComboBox>("sortMenu");
    QCOMPARE(sort->toolTip(), QStringLiteral("Sort gallery by date or rating"));
    QCOMPARE(sort->accessibleName(), QStringLiteral("Sort by: Newest"));
    QCOMPARE(sort->width(), 100);

    auto *viewSwitch = screen.find<QWidget>("viewSwitch");
    QCOMPARE(viewSwitch->toolTip(), QStringLiteral("Switch between grid and list view"));
    QCOMPARE(viewSwitch->accessibleName(), QStringLiteral("Switch to list view"));
    QTest::mouseClick(screen.find<QToolButton>("listModeButton"), Qt::LeftButton);
    QCOMPARE(viewSwitch->accessibleName(), QStringLiteral("Switch to grid view"));

    auto *favorites = screen.find<QToolButton>("favoritesToggle");
    QCOMPARE(favorites->toolTip(), QStringLiteral("Show only favorited artwork"));
    QCOMPARE(favorites->accessibleName(), QStringLiteral("Show favorites only"));
    QTest::mouseClick(favorites, Qt::LeftButton);
    QCOMPARE(favorites->accessibleName(), QStringLiteral("Showing favorites only"));
    QTest::mouseClick(favorites, Qt::LeftButton);

    auto *filter = screen.find<QToolButton>("filterButton");
    QCOMPARE(filter->toolTip(), QStringLiteral("Filter gallery by model, date, rating, or size"));
    QCOMPARE(filter->accessibleName(), QStringLiteral("Filter gallery"));
    QTest::mouseClick(filter, Qt::LeftButton);
    auto *clearAll = screen.find<QPushButton>("clearAllFiltersButton");
    QVERIFY(!clearAll->isVisible());
    QTest::keyClicks(screen.find<QLineEdit>("filterModelField"), "flux");
    QTest::mouseClick(screen.find<QToolButton>("minimumRating3"), Qt::LeftButton);
    QCOMPARE(filter->text(), QStringLiteral("(2)"));
    QCOMPARE(filter->toolTip(), QStringLiteral("Filters active (2)"));
    QCOMPARE(filter->accessibleName(), QStringLiteral("Filter gallery, 2 active filters"));
    QVERIFY(screen.find<QToolButton>("minimumRating3")->property("filled").toBool());
    QVERIFY(!screen.find<QToolButton>("minimumRating4")->property("filled").toBool());
    QVERIFY(!screen.find<QToolButton>("minimumRating0")->isChecked());
    QVERIFY(clearAll->isVisible());
    QTest::keyClicks(search, "x");
    QTest::mouseClick(clearAll, Qt::LeftButton);
    QCOMPARE(screen.view->filterState().activeFilterCount(), 0);
    QCOMPARE(screen.view->filterState().searchText, QStringLiteral("x")); // the search stays
    QCOMPARE(filter->accessibleName(), QStringLiteral("Filter gallery"));
    QVERIFY(!clearAll->isVisible());

    auto *selection = screen.find<QToolButton>("selectionButton");
    QCOMPARE(selection->toolTip(), QStringLiteral("Enter selection mode"));
    QTest::mouseClick(selection, Qt::LeftButton);
    QCOMPARE(selection->toolTip(), QStringLiteral("Exit selection mode (Esc)"));
    QCOMPARE(selection->accessibleName(), QStringLiteral("Exit selection mode"));

    auto *more = screen.find<QToolButton>("moreActionsMenu");
    QCOMPARE(more->toolTip(), QStringLiteral("More actions"));
    QCOMPARE(more->accessibleName(), QStringLiteral("More actions"));
    QCOMPARE(more->menu()->actions().first()->text(), QStringLiteral("Refresh (Ctrl+R)"));

    // Ctrl+R refreshes.
    screen.find<QWidget>("filterPopover")->hide();
    screen.view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(screen.view.get()));
    const int before = screen.backend.requests("get_gallery").size();
    QTest::keyClick(screen.view.get(), Qt::Key_R, Qt::ControlModifier);
    QTRY_COMPARE(screen.backend.requests("get_gallery").size(), before + 1);
}

void GalleryViewTest::counterAndCollectionMenu()
{
    Screen screen;
    JSONArray items = itemRange(0, 20);
    for (int i = 0; i < 12; ++i) {
        JSONObject tagged = *items[size_t(i)].object();
        tagged.insert("tags", JSONArray{"collection:Album Covers"});
        items[size_t(i)] = tagged;
    }
    screen.backend.fake.addReply("get_gallery", page(items, 250));
    screen.show();
    auto *collection = screen.find<QToolButton>("collectionMenu");
    QCOMPARE(collection->toolTip(), QStringLiteral("Filter by collection"));
    QCOMPARE(collection->accessibleName(), QStringLiteral("Collection: All Artwork"));
    QCOMPARE(collection->text(), QStringLiteral("All"));
    const QList<QAction *> entries = collection->menu()->actions();
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries[0]->text(), QStringLiteral("All Artwork"));
    QVERIFY(entries[1]->isSeparator());
    QCOMPARE(entries[2]->text(), QStringLiteral("Album Covers (12)"));
    entries[2]->trigger();
    QCOMPARE(collection->accessibleName(), QStringLiteral("Collection: Album Covers"));

    auto *counter = screen.find<QLabel>("counterLabel");
    QCOMPARE(counter->text(), QStringLiteral("12/250"));
    QCOMPARE(counter->toolTip(), QStringLiteral("12 of 250 images"));
    QCOMPARE(counter->accessibleName(), QStringLiteral("12 of 250 images shown"));
    QCOMPARE(screen.find<QToolButton>("moreActionsMenu")->menu()->actions().last()->text(),
             QStringLiteral("12 of 250 images"));
}

void GalleryViewTest::viewModeAndSortAreSavedPerWindow_data()
{
    QTest::addColumn<QString>("savedMode");
    QTest::addColumn<QString>("savedSort");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("sort");
    QTest::newRow("list, rating") << "list" << "rating" << int(ViewMode::List) << int(SortOrder::Rating);
    QTest::newRow("unknown values are ignored") << "mosaic" << "random" << int(ViewMode::Grid) << int(SortOrder::Newest);
}

void GalleryViewTest::viewModeAndSortAreSavedPerWindow()
{
    QFETCH(QString, savedMode);
    QFETCH(QString, savedSort);
    QFETCH(int, mode);
    QFETCH(int, sort);
    {
        QSettings settings;
        settings.setValue("window-1/galleryViewMode", savedMode);
        settings.setValue("window-1/gallerySortBy", savedSort);
    }
    Screen screen;
    screen.backend.fake.addReply("get_gallery", page({itemJSON("a", "2025-01-01T00:00:00Z")}, 1));
    screen.show();
    QCOMPARE(int(screen.view->viewMode()), mode);
    QCOMPARE(int(screen.view->filterState().sortOrder), sort);
    QCOMPARE(screen.find<GalleryGridView>("galleryItems")->isGridMode(), mode == int(ViewMode::Grid));

    screen.view->setViewMode(ViewMode::List);
    screen.view->setSortOrder(SortOrder::Oldest);
    QSettings settings;
    QCOMPARE(settings.value("window-1/galleryViewMode").toString(), QStringLiteral("list"));
    QCOMPARE(settings.value("window-1/gallerySortBy").toString(), QStringLiteral("oldest"));
    QVERIFY(!settings.contains("galleryViewMode")); // not an application-wide preference
}

void GalleryViewTest::doubleClickOpensThePreview()
{
    Screen screen;
    screen.backend.fake.addReply("get_gallery", page({itemJSON("a", "2025-01-01T00:00:00Z"),
                                                      itemJSON("b", "2024-12-01T00:00:00Z")}, 2));
    screen.show();
    auto *grid = screen.find<GalleryGridView>("galleryItems");
    QTRY_VERIFY(grid->visualRect(screen.view->itemModel().index(1)).isValid());
    const QPoint second = grid->visualRect(screen.view->itemModel().index(1)).center();
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, second);
    QTRY_VERIFY(screen.view->previews().current());
    QCOMPARE(screen.view->previews().current()->item().id, QStringLiteral("b"));
    QVERIFY(!screen.view->openPreview("b")); // one sheet at a time
    emit screen.view->previews().current()->dismissRequested();
    QTRY_VERIFY(!screen.view->previews().current());
    QVERIFY(!screen.view->openPreview("not-loaded"));
    QVERIFY(screen.view->openPreview("a"));
}

void GalleryViewTest::hintStaysDismissed()
{
    {
        Screen screen;
        screen.backend.fake.addReply("get_gallery", page({itemJSON("a", "2025-01-01T00:00:00Z")}, 1));
        screen.show();
        auto *hint = screen.find<QWidget>("galleryHint");
        QVERIFY(hint->isVisible());
        QCOMPARE(screen.find<QLabel>("galleryHintText")->text(),
                 QStringLiteral("Right-click any image to rate, favorite, export, or delete. Drag images out to other apps."));
        auto *dismiss = screen.find<QToolButton>("dismissHintButton");
        QCOMPARE(dismiss->accessibleName(), QStringLiteral("Dismiss hint"));
        QTest::mouseClick(dismiss, Qt::LeftButton);
        QVERIFY(!hint->isVisible());
    }
    Screen again;
    again.backend.fake.addReply("get_gallery", page({itemJSON("a", "2025-01-01T00:00:00Z")}, 1));
    again.show();
    QVERIFY(!again.find<QWidget>("galleryHint")->isVisible());
    QVERIFY(QSettings().value("hasSeenGalleryHint").toBool());
}

void GalleryViewTest::gridTilesFillTheRow_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("columns");
    QTest::newRow("700 wide") << 700 << 3;
    QTest::newRow("1000 wide") << 1000 << 4;
    QTest::newRow("1200 wide") << 1200 << 5;
    QTest::newRow("1920 wide") << 1920 << 8;
}

void GalleryViewTest::gridTilesFillTheRow()
{
    QFETCH(int, width);
    QFETCH(int, columns);
    Screen screen;
    screen.backend.fake.addReply("get_gallery", page(itemRange(0, 40), 40));
    screen.show();
    screen.view->resize(width, 700);
    auto *grid = screen.find<GalleryGridView>("galleryItems");
    QTRY_COMPARE(grid->columnCount(), columns);
    QCoreApplication::processEvents();
    grid->doItemsLayout();

    // The first row holds exactly that many tiles, the next one starts a new row.
    const QRect first = grid->visualRect(grid->model()->index(0, 0));
    const QRect last = grid->visualRect(grid->model()->index(columns - 1, 0));
    QCOMPARE(last.top(), first.top());
    QVERIFY(grid->visualRect(grid->model()->index(columns, 0)).top() > first.top());
    const int tile = GalleryTileDelegate::cardRect(first).width();
    QVERIFY2(tile >= GalleryGridView::minTile && tile <= GalleryGridView::maxTile, qPrintable(QString::number(tile)));
    // Tiles stretch to the row: what is left over on the right is less than one more gap per
    // column, unless they are already at their widest.
    const int spare = grid->viewport()->width() - last.right();
    if (tile < GalleryGridView::maxTile)
        QVERIFY2(spare < GalleryGridView::gap + columns + 20, qPrintable(QString::number(spare)));
}

void GalleryViewTest::scrollingToTheEndLoadsTheNextPage()
{
    Screen screen;
    screen.backend.fake.addReply("get_gallery", page(itemRange(0, 50), 70));
    screen.backend.fake.addRule("get_gallery",
                                {JSONObject{{"sleep", 0.3}},
                                 JSONObject{{"reply", JSONObject{{"result", pageJSON(itemRange(50, 20), 70, 50)}}}}});
    screen.show();
    auto *grid = screen.find<GalleryGridView>("galleryItems");
    QCOMPARE(grid->model()->rowCount(), 50);
    auto *loadingMore = screen.find<QWidget>("loadingMoreRow");
    QVERIFY(!loadingMore->isVisible());
    grid->scrollToBottom();
    QTRY_VERIFY(loadingMore->isVisible());
    QTRY_COMPARE(grid->model()->rowCount(), 70);
    QVERIFY(!screen.view->store().hasMore());
    grid->scrollToBottom();
    QTest::qWait(50);
    QVERIFY(!loadingMore->isVisible());
    QCOMPARE(screen.backend.requests("get_gallery").size(), 2);
}

void GalleryViewTest::revealItemSelectsIt()
{
    Screen screen;
    screen.backend.fake.addReply("get_gallery", page(itemRange(0, 50), 50));
    screen.show();
    QTest::keyClicks(screen.find<QLineEdit>("searchField"), "Prompt i1");
    QVERIFY(screen.view->revealItem("i42")); // hidden by the search, which is cleared
    QCOMPARE(screen.view->selectedItemID(), QStringLiteral("i42"));
    QCOMPARE(screen.find<QLineEdit>("searchField")->text(), QString());
    QVERIFY(!screen.view->revealItem("not-loaded"));
}

void GalleryViewTest::reducedMotionKeepsTheTileStill()
{
    Screen screen;
    screen.backend.fake.addReply("get_gallery", page(itemRange(0, 3), 3));
    screen.show();
    GalleryTileDelegate &delegate = screen.view->tileDelegate();
    const QModelIndex first = screen.view->itemModel().index(0);
    delegate.setReducedMotion(false);
    delegate.setHovered(first);
    QTRY_COMPARE(delegate.hoverScale(first), 1.02);
    delegate.setHovered({});
    delegate.setReducedMotion(true);
    delegate.setHovered(first);
    QCOMPARE(delegate.hoverProgress(first), 1.0); // the shadow changes at once
    QCOMPARE(delegate.hoverScale(first), 1.0);
    QCOMPARE(first.data(Qt::AccessibleTextRole).toString(), QStringLiteral("Artwork: Prompt i0"));
}

QTEST_MAIN(GalleryViewTest)
#include "tst_galleryview.moc"
