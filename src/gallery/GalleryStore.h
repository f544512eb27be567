#pragma once

#include "backend/BackendRecords.h"
#include "gallery/GalleryModels.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <QCoro/QCoroTask>

#include "backend/BackendViewModel.h"

// Pages the gallery in from the backend, newest first, and applies small edits to the loaded
// items. Operations never throw: outcomes show in the properties, failures in the log. The
// backend is held weakly; without one every operation is a no-op.
class GalleryStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<ArtworkItem> items READ items NOTIFY itemsChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(qint64 totalCount READ totalCount NOTIFY totalCountChanged)
    Q_PROPERTY(bool hasMore READ hasMore NOTIFY hasMoreChanged)
    Q_PROPERTY(QList<Collection> collections READ collections NOTIFY collectionsChanged)

public:
    static constexpr qint64 pageSize = 50;

    explicit GalleryStore(BackendViewModel *backend = nullptr, QObject *parent = nullptr);

    BackendViewModel *backend() const { return m_backend; }
    void setBackend(BackendViewModel *backend) { m_backend = backend; }

    const QList<ArtworkItem> &items() const { return m_items; }
    bool isLoading() const { return m_isLoading; }
    qint64 totalCount() const { return m_totalCount; }
    bool hasMore() const { return m_hasMore; }
    const QList<Collection> &collections() const { return m_collections; }
    qint64 currentOffset() const { return m_currentOffset; }

    // Row of the first loaded item with this id, or -1.
    qsizetype indexOf(const QString &id) const;

    QCoro::Task<> refresh();
    QCoro::Task<> loadMore();
    QCoro::Task<> toggleFavorite(QString id);
    QCoro::Task<> setRating(QString id, qint64 rating);
    QCoro::Task<> refreshCollections();
    QCoro::Task<> addToCollection(QString id, QString collection);
    QCoro::Task<> removeFromCollection(QString id, QString collection);

    // Stable, newest first: items created at the same instant keep the backend's order.
    static void sortNewestFirst(QList<ArtworkItem> &items);
    // The full list's records read by the item rules, so defaults and the date rule apply alike.
    static QList<ArtworkItem> itemsFromGalleryData(const QList<GalleryItemData> &records);

signals:
    // itemsChanged follows every change; the finer signals say which kind it was.
    void itemsChanged();
    void itemsReset();
    void itemsAppended(qsizetype first, qsizetype count);
    void itemChanged(qsizetype row);
    void isLoadingChanged(bool loading);
    void totalCountChanged(qint64 count);
    void hasMoreChanged(bool more);
    void collectionsChanged();
    // After every successful refresh, with the new items.
    void galleryDidRefresh(const QList<ArtworkItem> &items);

private:
    void setLoading(bool loading);
    void replaceItems(QList<ArtworkItem> items, qint64 totalCount, bool hasMore);
    void setCounters(qint64 totalCount, bool hasMore);
    template<typename Edit> bool editItem(const QString &id, Edit edit);

    QPointer<BackendViewModel> m_backend;
    QList<ArtworkItem> m_items;
    bool m_isLoading = false;
    qint64 m_totalCount = 0;
    bool m_hasMore = false;
    QList<Collection> m_collections;
    qint64 m_currentOffset = 0;
};
