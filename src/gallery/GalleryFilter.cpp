#include "gallery/GalleryFilter.h"

#include <QLocale>

#include <algorithm>

QString rawValue(ViewMode mode)
{
    return mode == ViewMode::Grid ? QStringLiteral("Grid") : QStringLiteral("List");
}

QString rawValue(SortOrder order)
{
    switch (order) {
    case SortOrder::Newest: return QStringLiteral("Newest");
    case SortOrder::Oldest: return QStringLiteral("Oldest");
    case SortOrder::Rating: return QStringLiteral("Rating");
    }
    return {};
}

QString rawValue(SizeCategory category)
{
    switch (category) {
    case SizeCategory::Any: return QStringLiteral("Any");
    case SizeCategory::Small: return QStringLiteral("Small (<512)");
    case SizeCategory::Medium: return QStringLiteral("Medium (512-1024)");
    case SizeCategory::Large: return QStringLiteral("Large (>1024)");
    }
    return {};
}

namespace {

QString capitalised(const QString &text)
{
    if (text.isEmpty())
        return text;
    return text.left(1).toUpper() + text.mid(1).toLower();
}

template<typename Enum> std::optional<Enum> fromSaved(const QString &saved, const QList<Enum> &cases)
{
    const QString wanted = capitalised(saved);
    for (Enum value : cases) {
        if (rawValue(value) == wanted)
            return value;
    }
    return std::nullopt;
}

bool fitsSize(SizeCategory category, qint64 width, qint64 height)
{
    const qint64 longer = std::max(width, height);
    switch (category) {
    case SizeCategory::Any: return true;
    case SizeCategory::Small: return longer <= 511;
    case SizeCategory::Medium: return longer >= 512 && longer <= 1024;
    case SizeCategory::Large: return longer >= 1025;
    }
    return true;
}

bool matchesSearch(const FoldedItem &folded, const QString &needle)
{
    if (folded.prompt.contains(needle))
        return true;
    for (const QString &tag : folded.tags) {
        if (tag.contains(needle))
            return true;
    }
    return folded.model.contains(needle);
}

} // namespace

std::optional<ViewMode> viewModeFromSaved(const QString &saved) { return fromSaved(saved, allViewModes); }

std::optional<SortOrder> sortOrderFromSaved(const QString &saved) { return fromSaved(saved, allSortOrders); }

int GalleryFilterState::activeFilterCount() const
{
    return int(!filterModel.isEmpty()) + int(filterDateFrom || filterDateTo) + int(filterMinRating > 0)
           + int(filterSizeCategory != SizeCategory::Any);
}

void GalleryFilterState::clearPopoverFilters()
{
    filterModel.clear();
    filterDateFrom.reset();
    filterDateTo.reset();
    filterMinRating = 0;
    filterSizeCategory = SizeCategory::Any;
}

QString foldForSearch(const QString &text)
{
    static const QLocale locale;
    return locale.toLower(text);
}

FoldedItem foldItem(const ArtworkItem &item)
{
    FoldedItem folded{foldForSearch(item.prompt), {}, foldForSearch(item.model), item.createdAt.toMSecsSinceEpoch()};
    folded.tags.reserve(item.tags.size());
    for (const QString &tag : item.tags)
        folded.tags.append(foldForSearch(tag));
    return folded;
}

QList<qsizetype> filteredRows(const QList<ArtworkItem> &items, const QList<FoldedItem> &folded,
                              const GalleryFilterState &state)
{
    Q_ASSERT(items.size() == folded.size());
    const QString collectionTag = state.selectedCollection ? ArtworkItem::collectionTag(*state.selectedCollection)
                                                           : QString();
    const QString search = foldForSearch(state.searchText);
    const QString model = foldForSearch(state.filterModel);
    const qint64 from = state.filterDateFrom ? state.filterDateFrom->toMSecsSinceEpoch() : 0;
    const qint64 to = state.filterDateTo ? state.filterDateTo->toMSecsSinceEpoch() : 0;

    QList<qsizetype> rows;
    rows.reserve(items.size());
    for (qsizetype row = 0; row < items.size(); ++row) {
        const ArtworkItem &item = items[row];
        const FoldedItem &text = folded[row];
        if (state.showFavoritesOnly && !item.favorite)
            continue;
        if (state.selectedCollection && !item.tags.contains(collectionTag))
            continue;
        if (!search.isEmpty() && !matchesSearch(text, search))
            continue;
        if (!model.isEmpty() && !text.model.contains(model))
            continue;
        if (state.filterDateFrom && text.createdMs < from)
            continue;
        if (state.filterDateTo && text.createdMs > to)
            continue;
        if (state.filterMinRating > 0 && item.rating < state.filterMinRating)
            continue;
        if (!fitsSize(state.filterSizeCategory, item.width, item.height))
            continue;
        rows.append(row);
    }

    auto created = [&](qsizetype row) { return folded[row].createdMs; };
    switch (state.sortOrder) {
    case SortOrder::Newest:
        std::stable_sort(rows.begin(), rows.end(), [&](qsizetype a, qsizetype b) { return created(a) > created(b); });
        break;
    case SortOrder::Oldest:
        std::stable_sort(rows.begin(), rows.end(), [&](qsizetype a, qsizetype b) { return created(a) < created(b); });
        break;
    case SortOrder::Rating:
        std::stable_sort(rows.begin(), rows.end(), [&](qsizetype a, qsizetype b) {
            if (items[a].rating != items[b].rating)
                return items[a].rating > items[b].rating;
            return created(a) > created(b);
        });
        break;
    }
    return rows;
}

QList<ArtworkItem> filteredItems(const QList<ArtworkItem> &items, const GalleryFilterState &state)
{
    QList<FoldedItem> folded;
    folded.reserve(items.size());
    for (const ArtworkItem &item : items)
        folded.append(foldItem(item));
    QList<ArtworkItem> result;
    for (qsizetype row : filteredRows(items, folded, state))
        result.append(items[row]);
    return result;
}
