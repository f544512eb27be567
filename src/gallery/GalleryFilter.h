#pragma once

#include "gallery/GalleryModels.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the gallery screen can narrow and order the loaded items by, and the derivation of the
// shown list from them. Raw values are shown to the user and saved.

enum class ViewMode { Grid, List };
enum class SortOrder { Newest, Oldest, Rating };
enum class SizeCategory { Any, Small, Medium, Large };

QString rawValue(ViewMode mode);
QString rawValue(SortOrder order);
QString rawValue(SizeCategory category);
inline const QList<ViewMode> allViewModes{ViewMode::Grid, ViewMode::List};
inline const QList<SortOrder> allSortOrders{SortOrder::Newest, SortOrder::Oldest, SortOrder::Rating};
inline const QList<SizeCategory> allSizeCategories{SizeCategory::Any, SizeCategory::Small, SizeCategory::Medium,
                                                   SizeCategory::Large};

// Restoring saved per-window text: capitalised ("list" -> "List") and matched against the raw
// values; anything else gives nullopt.
std::optional<ViewMode> viewModeFromSaved(const QString &saved);
std::optional<SortOrder> sortOrderFromSaved(const QString &saved);

struct GalleryFilterState
{
    QString searchText;
    bool showFavoritesOnly = false;
    std::optional<QString> selectedCollection;
    QString filterModel;
    std::optional<QDateTime> filterDateFrom;
    std::optional<QDateTime> filterDateTo;
    int filterMinRating = 0;
    SizeCategory filterSizeCategory = SizeCategory::Any;
    SortOrder sortOrder = SortOrder::Newest;

    // The popover's filters in effect (0-4); search, favourites and collection do not count.
    int activeFilterCount() const;
    // "Clear All Filters": the popover's filters only.
    void clearPopoverFilters();
    friend bool operator==(const GalleryFilterState &, const GalleryFilterState &) = default;
};

// An item's searchable text folded once, when the item loads, so that a search pass only
// compares already folded strings.
struct FoldedItem
{
    QString prompt;
    QStringList tags;
    QString model;
    qint64 createdMs = 0;
};

// Case folding with the user's locale rules.
QString foldForSearch(const QString &text);
FoldedItem foldItem(const ArtworkItem &item);

// Rows of `items` that pass the filters, in display order. `folded` parallels `items`.
QList<qsizetype> filteredRows(const QList<ArtworkItem> &items, const QList<FoldedItem> &folded,
                              const GalleryFilterState &state);
// The same, folding on the spot.
QList<ArtworkItem> filteredItems(const QList<ArtworkItem> &items, const GalleryFilterState &state);
