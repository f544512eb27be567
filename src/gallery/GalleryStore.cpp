#include "gallery/GalleryStore.h"

#include "backend/BackendViewModel.h"
#include "backend/Log.h"

#include <algorithm>

namespace {

void logFailure(QLatin1StringView operation, const QString &description)
{
    appLog(QStringLiteral("[GalleryStore] ") + operation + QStringLiteral(" failed: ") + description);
}

} // namespace

GalleryStore::GalleryStore(BackendViewModel *backend, QObject *parent)
    : QObject(parent), m_backend(backend)
{
}

qsizetype GalleryStore::indexOf(const QString &id) const
{
    for (qsizetype row = 0; row < m_items.size(); ++row) {
        if (m_items[row].id == id)
            return row;
    }
    return -1;
}

void GalleryStore::sortNewestFirst(QList<ArtworkItem> &items)
{
    std::stable_sort(items.begin(), items.end(), [](const ArtworkItem &a, const ArtworkItem &b) {
        return a.createdAt > b.createdAt;
    });
}

QList<ArtworkItem> GalleryStore::itemsFromGalleryData(const QList<GalleryItemData> &records)
{
    JSONArray encoded;
    encoded.reserve(size_t(records.size()));
    for (const GalleryItemData &record : records)
        encoded.push_back(record.toJSON());
    return ArtworkItem::listFromJSON(JSONValue(std::move(encoded)));
}

void GalleryStore::setLoading(bool loading)
{
    if (m_isLoading == loading)
        return;
    m_isLoading = loading;
    emit isLoadingChanged(loading);
}

void GalleryStore::setCounters(qint64 totalCount, bool hasMore)
{
    m_currentOffset = m_items.size();
    if (m_totalCount != totalCount) {
        m_totalCount = totalCount;
        emit totalCountChanged(totalCount);
    }
    if (m_hasMore != hasMore) {
        m_hasMore = hasMore;
        emit hasMoreChanged(hasMore);
    }
}

void GalleryStore::replaceItems(QList<ArtworkItem> items, qint64 totalCount, bool hasMore)
{
    sortNewestFirst(items);
    m_items = std::move(items);
    emit itemsReset();
    emit itemsChanged();
    setCounters(totalCount, hasMore);
    emit galleryDidRefresh(m_items);
}

template<typename Edit> bool GalleryStore::editItem(const QString &id, Edit edit)
{
    const qsizetype row = indexOf(id);
    if (row < 0)
        return false;
    edit(m_items[row]);
    emit itemChanged(row);
    emit itemsChanged();
    return true;
}

QCoro::Task<> GalleryStore::refresh()
{
    QPointer<BackendViewModel> backend = m_backend;
    if (!backend)
        co_return;
    QPointer self(this);
    setLoading(true);
    m_currentOffset = 0;

    bool pageFailed = false;
    try {
        GalleryPageResponse page = co_await backend->getGalleryPage(0, pageSize);
        if (!self)
            co_return;
        const qint64 total = page.totalCount;
        const qint64 loaded = page.items.size();
        replaceItems(std::move(page.items), total, loaded < total);
    } catch (...) {
        pageFailed = true;
    }

    if (pageFailed && self) {
        if (!backend) {
            m_currentOffset = m_items.size();
            setLoading(false);
            co_return;
        }
        // The full list, for backends that do not page.
        try {
            const QList<GalleryItemData> records = co_await backend->getGallery();
            if (!self)
                co_return;
            // A list that cannot be converted keeps the items already shown rather than
            // blanking the gallery.
            QList<ArtworkItem> items = itemsFromGalleryData(records);
            const qint64 count = items.size();
            replaceItems(std::move(items), count, false);
        } catch (const std::exception &error) {
            if (!self)
                co_return;
            m_currentOffset = m_items.size();
            logFailure(QLatin1StringView("refresh"), errorDescription(error));
        }
    }
    if (self)
        setLoading(false);
}

QCoro::Task<> GalleryStore::loadMore()
{
    QPointer<BackendViewModel> backend = m_backend;
    if (!backend || !m_hasMore || m_isLoading)
        co_return;
    QPointer self(this);
    setLoading(true);
    try {
        GalleryPageResponse page = co_await backend->getGalleryPage(m_currentOffset, pageSize);
        if (!self)
            co_return;
        sortNewestFirst(page.items);
        const qsizetype first = m_items.size();
        m_items.append(std::move(page.items));
        emit itemsAppended(first, m_items.size() - first);
        emit itemsChanged();
        setCounters(page.totalCount, m_items.size() < page.totalCount);
    } catch (const std::exception &error) {
        if (!self)
            co_return;
        logFailure(QLatin1StringView("loadMore"), errorDescription(error));
    }
    setLoading(false);
}

QCoro::Task<> GalleryStore::toggleFavorite(QString id)
{
    QPointer<BackendViewModel> backend = m_backend;
    if (!backend)
        co_return;
    bool favorite = false;
    if (!editItem(id, [&](ArtworkItem &item) { favorite = item.favorite = !item.favorite; }))
        co_return;
    QPointer self(this);
    try {
        JSONObject updates;
        updates.insert(QStringLiteral("favorite"), favorite);
        co_await backend->updateArtwork(id, std::move(updates));
    } catch (const std::exception &error) {
        if (!self)
            co_return;
        // Back to the value before the toggle (not a second flip, which would be wrong once a
        // refresh has replaced the item with the backend's state).
        editItem(id, [favorite](ArtworkItem &item) { item.favorite = !favorite; });
        logFailure(QLatin1StringView("toggleFavorite"), errorDescription(error));
    }
}

QCoro::Task<> GalleryStore::setRating(QString id, qint64 rating)
{
    QPointer<BackendViewModel> backend = m_backend;
    if (!backend)
        co_return;
    qint64 previous = 0;
    if (!editItem(id, [&](ArtworkItem &item) {
            previous = item.rating;
            item.rating = rating;
        }))
        co_return;
    QPointer self(this);
    try {
        JSONObject updates;
        updates.insert(QStringLiteral("rating"), double(rating));
        co_await backend->updateArtwork(id, std::move(updates));
    } catch (const std::exception &error) {
        if (!self)
            co_return;
        editItem(id, [previous](ArtworkItem &item) { item.rating = previous; });
        logFailure(QLatin1StringView("setRating"), errorDescription(error));
    }
}

QCoro::Task<> GalleryStore::refreshCollections()
{
    QPointer<BackendViewModel> backend = m_backend;
    if (!backend)
        co_return;
    QPointer self(this);
    try {
        QList<Collection> collections = co_await backend->getCollections();
        if (!self)
            co_return;
        m_collections = std::move(collections);
        emit collectionsChanged();
    } catch (const std::exception &error) {
        if (self)
            logFailure(QLatin1StringView("refreshCollections"), errorDescription(error));
    }
}

QCoro::Task<> GalleryStore::addToCollection(QString id, QString collection)
{
    QPointer<BackendViewModel> backend = m_backend;
    if (!backend)
        co_return;
    QPointer self(this);
    try {
        co_await backend->addToCollection(id, collection);
    } catch (const std::exception &error) {
        if (self)
            logFailure(QLatin1StringView("addToCollection"), errorDescription(error));
        co_return;
    }
    if (!self)
        co_return;
    const QString tag = ArtworkItem::collectionTag(collection);
    const qsizetype row = indexOf(id);
    if (row >= 0 && !m_items[row].tags.contains(tag))
        editItem(id, [&](ArtworkItem &item) { item.tags.append(tag); });
    co_await refreshCollections();
}

QCoro::Task<> GalleryStore::removeFromCollection(QString id, QString collection)
{
    QPointer<BackendViewModel> backend = m_backend;
    if (!backend)
        co_return;
    QPointer self(this);
    try {
        co_await backend->removeFromCollection(id, collection);
    } catch (const std::exception &error) {
        if (self)
            logFailure(QLatin1StringView("removeFromCollection"), errorDescription(error));
        co_return;
    }
    if (!self)
        co_return;
    const QString tag = ArtworkItem::collectionTag(collection);
    editItem(id, [&](ArtworkItem &item) { item.tags.removeAll(tag); });
    co_await refreshCollections();
}
