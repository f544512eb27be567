#include "gallery/GalleryFilter.h"

#include <QTest>

Q_DECLARE_METATYPE(GalleryFilterState)

namespace {

QDateTime at(const char *text) { return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate); }

ArtworkItem item(const char *id, const char *prompt, const char *model, qint64 w, qint64 h, const char *created,
                 qint64 rating, bool favorite, QStringList tags = {})
{
    ArtworkItem result;
    result.id = id;
    result.imagePath = QStringLiteral("/images/%1.png").arg(id);
    result.prompt = prompt;
    result.model = model;
    result.width = w;
    result.height = h;
    result.createdAt = at(created);
    result.rating = rating;
    result.favorite = favorite;
    result.tags = tags;
    return result;
}

// In the store's order: newest first, "neon3" and "mid" created at the same instant.
QList<ArtworkItem> fixture()
{
    return {item("big", "Ocean_waves", "sdxl", 1025, 10, "2025-03-03T00:00:00Z", 3, true),
            item("neon3", "Desert", "neon-xl", 512, 512, "2025-03-02T14:00:00Z", 5, false, {"collection:Album Covers"}),
            item("mid", "Sky", "Flux", 1024, 1536, "2025-03-02T14:00:00Z", 0, false),
            item("neon2", "Forest", "flux", 511, 300, "2025-03-02T09:00:00Z", 0, false, {"dark", "NEON"}),
            item("neon1", "Neon skyline", "flux", 1024, 1024, "2025-03-01T10:00:00Z", 5, true, {"city"}),
            item("tall", "Mountain peak", "sdxl-turbo", 300, 2048, "2025-02-01T00:00:00Z", 3, false,
                 {"collection:Album Covers Deluxe"})};
}

template<typename Change> GalleryFilterState with(Change change)
{
    GalleryFilterState state;
    change(state);
    return state;
}

} // namespace

class GalleryFilterTest : public QObject
{
    Q_OBJECT

private slots:
    void filteredItems_data();
    void filteredItems();
    void activeFilterCount();
    void savedTextRestores_data();
    void savedTextRestores();
};

void GalleryFilterTest::filteredItems_data()
{
    QTest::addColumn<GalleryFilterState>("state");
    QTest::addColumn<QStringList>("expected");
    using S = GalleryFilterState;

    QTest::newRow("newest, ties keep the store's order") << S() << QStringList{"big", "neon3", "mid", "neon2", "neon1", "tall"};
    QTest::newRow("oldest") << with([](S &s) { s.sortOrder = SortOrder::Oldest; })
                            << QStringList{"tall", "neon1", "neon2", "neon3", "mid", "big"};
    QTest::newRow("rating, then newest, unrated last") << with([](S &s) { s.sortOrder = SortOrder::Rating; })
                                                       << QStringList{"neon3", "neon1", "big", "tall", "mid", "neon2"};
    QTest::newRow("search prompt, tag and model") << with([](S &s) { s.searchText = "neon"; })
                                                  << QStringList{"neon3", "neon2", "neon1"};
    QTest::newRow("search ignores case") << with([](S &s) { s.searchText = "NeOn"; })
                                         << QStringList{"neon3", "neon2", "neon1"};
    QTest::newRow("search is not trimmed") << with([](S &s) { s.searchText = " "; })
                                           << QStringList{"neon3", "neon1", "tall"};
    QTest::newRow("search without match") << with([](S &s) { s.searchText = "neon "; }) << QStringList{"neon1"};
    QTest::newRow("favourites") << with([](S &s) { s.showFavoritesOnly = true; }) << QStringList{"big", "neon1"};
    QTest::newRow("collection tag matches exactly") << with([](S &s) { s.selectedCollection = "Album Covers"; })
                                                    << QStringList{"neon3"};
    QTest::newRow("model filter ignores case") << with([](S &s) { s.filterModel = "FLUX"; })
                                               << QStringList{"mid", "neon2", "neon1"};
    QTest::newRow("lower date keeps the time of day")
        << with([](S &s) { s.filterDateFrom = at("2025-03-02T14:00:00Z"); }) << QStringList{"big", "neon3", "mid"};
    QTest::newRow("upper date is inclusive") << with([](S &s) { s.filterDateTo = at("2025-03-02T09:00:00Z"); })
                                             << QStringList{"neon2", "neon1", "tall"};
    QTest::newRow("minimum rating") << with([](S &s) { s.filterMinRating = 4; }) << QStringList{"neon3", "neon1"};
    QTest::newRow("small: longer side up to 511") << with([](S &s) { s.filterSizeCategory = SizeCategory::Small; })
                                                  << QStringList{"neon2"};
    QTest::newRow("medium: 512 to 1024") << with([](S &s) { s.filterSizeCategory = SizeCategory::Medium; })
                                         << QStringList{"neon3", "neon1"};
    QTest::newRow("large: from 1025") << with([](S &s) { s.filterSizeCategory = SizeCategory::Large; })
                                      << QStringList{"big", "mid", "tall"};
    QTest::newRow("favourites, search and rating order") << with([](S &s) {
        s.showFavoritesOnly = true;
        s.searchText = "O";
        s.sortOrder = SortOrder::Rating;
    }) << QStringList{"neon1", "big"};
    QTest::newRow("everything at once") << with([](S &s) {
        s.searchText = "e";
        s.filterModel = "x";
        s.filterMinRating = 1;
        s.filterSizeCategory = SizeCategory::Medium;
        s.filterDateFrom = at("2025-03-01T00:00:00Z");
        s.filterDateTo = at("2025-03-31T00:00:00Z");
    }) << QStringList{"neon3", "neon1"};
}

void GalleryFilterTest::filteredItems()
{
    QFETCH(GalleryFilterState, state);
    QFETCH(QStringList, expected);
    QStringList ids;
    for (const ArtworkItem &shown : ::filteredItems(fixture(), state))
        ids.append(shown.id);
    QCOMPARE(ids, expected);
}

void GalleryFilterTest::activeFilterCount()
{
    GalleryFilterState state;
    state.searchText = "neon";
    state.showFavoritesOnly = true;
    state.selectedCollection = "Singles";
    QCOMPARE(state.activeFilterCount(), 0);
    state.filterModel = "flux";
    state.filterDateFrom = at("2025-01-01T00:00:00Z");
    state.filterDateTo = at("2025-02-01T00:00:00Z");
    QCOMPARE(state.activeFilterCount(), 2);
    state.filterMinRating = 2;
    state.filterSizeCategory = SizeCategory::Large;
    QCOMPARE(state.activeFilterCount(), 4);

    state.clearPopoverFilters();
    QCOMPARE(state.activeFilterCount(), 0);
    QCOMPARE(state.searchText, QStringLiteral("neon"));
    QVERIFY(state.showFavoritesOnly);
    QCOMPARE(state.selectedCollection, std::optional<QString>("Singles"));
}

void GalleryFilterTest::savedTextRestores_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("viewMode"); // -1: ignored
    QTest::addColumn<int>("sortOrder");
    QTest::newRow("list") << "list" << int(ViewMode::List) << -1;
    QTest::newRow("upper case") << "GRID" << int(ViewMode::Grid) << -1;
    QTest::newRow("mosaic") << "mosaic" << -1 << -1;
    QTest::newRow("empty") << "" << -1 << -1;
    QTest::newRow("rating") << "rating" << -1 << int(SortOrder::Rating);
    QTest::newRow("oldest") << "oldest" << -1 << int(SortOrder::Oldest);
}

void GalleryFilterTest::savedTextRestores()
{
    QFETCH(QString, saved);
    QFETCH(int, viewMode);
    QFETCH(int, sortOrder);
    const auto mode = viewModeFromSaved(saved);
    const auto order = sortOrderFromSaved(saved);
    QCOMPARE(mode ? int(*mode) : -1, viewMode);
    QCOMPARE(order ? int(*order) : -1, sortOrder);
}

QTEST_GUILESS_MAIN(GalleryFilterTest)
#include "tst_galleryfilter.moc"
