#pragma once

#include "gallery/GalleryFilter.h"
#include "gallery/GalleryStore.h"

#include <QAbstractListModel>
#include <QPointer>

// The shown gallery list: the store's items passed through the screen's filter state, one row
// per item of filteredItems in order. Searchable text is folded as items load, so a filter
// pass only compares folded strings.
class GalleryItemModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        ItemRole = Qt::UserRole + 1, // the ArtworkItem
        IdRole,
        ImagePathRole,
    };

    explicit GalleryItemModel(GalleryStore &store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const GalleryFilterState &filterState() const { return m_state; }
    void setFilterState(const GalleryFilterState &state);

    const ArtworkItem &itemAt(int row) const { return m_store->items()[m_rows[row]]; }
    QList<ArtworkItem> filteredItems() const;
    int rowOf(const QString &id) const;

signals:
    // After every recomputation of the shown list.
    void filteredChanged();

private:
    void refold();
    void recompute();

    QPointer<GalleryStore> m_store;
    GalleryFilterState m_state;
    QList<FoldedItem> m_folded; // parallels the store's items
    QList<qsizetype> m_rows;    // store rows, in display order
};
