#include "gallery/GalleryItemModel.h"

GalleryItemModel::GalleryItemModel(GalleryStore &store, QObject *parent)
    : QAbstractListModel(parent), m_store(&store)
{
    connect(&store, &GalleryStore::itemsReset, this, [this] {
        refold();
        recompute();
    });
    connect(&store, &GalleryStore::itemsAppended, this, [this](qsizetype first, qsizetype count) {
        for (qsizetype row = first; row < first + count; ++row)
            m_folded.append(foldItem(m_store->items()[row]));
        recompute();
    });
    connect(&store, &GalleryStore::itemChanged, this, [this](qsizetype row) {
        m_folded[row] = foldItem(m_store->items()[row]);
        recompute();
    });
    refold();
    m_rows = filteredRows(m_store->items(), m_folded, m_state);
}

int GalleryItemModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant GalleryItemModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ArtworkItem &item = itemAt(index.row());
    switch (role) {
    case Qt::DisplayRole: return item.prompt;
    case Qt::AccessibleTextRole: return QStringLiteral("Artwork: ") + item.prompt;
    case Qt::AccessibleDescriptionRole: {
        QStringList badges;
        if (item.favorite)
            badges.append(QStringLiteral("Favorited"));
        if (item.rating > 0)
            badges.append(QStringLiteral("Rated %1 out of 5 stars").arg(item.rating));
        return badges.join(QStringLiteral(", "));
    }
    case ItemRole: return QVariant::fromValue(item);
    case IdRole: return item.id;
    case ImagePathRole: return item.imagePath;
    default: return {};
    }
}

QHash<int, QByteArray> GalleryItemModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(ItemRole, "item");
    names.insert(IdRole, "id");
    names.insert(ImagePathRole, "imagePath");
    return names;
}

void GalleryItemModel::setFilterState(const GalleryFilterState &state)
{
    if (state == m_state)
        return;
    m_state = state;
    recompute();
}

QList<ArtworkItem> GalleryItemModel::filteredItems() const
{
    QList<ArtworkItem> items;
    items.reserve(m_rows.size());
    for (qsizetype row : m_rows)
        items.append(m_store->items()[row]);
    return items;
}

int GalleryItemModel::rowOf(const QString &id) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (itemAt(row).id == id)
            return row;
    }
    return -1;
}

void GalleryItemModel::refold()
{
    m_folded.clear();
    m_folded.reserve(m_store->items().size());
    for (const ArtworkItem &item : m_store->items())
        m_folded.append(foldItem(item));
}

void GalleryItemModel::recompute()
{
    QList<qsizetype> rows = filteredRows(m_store->items(), m_folded, m_state);
    if (rows == m_rows) {
        // Same rows in the same order: only their contents may have changed.
        if (!m_rows.isEmpty())
            emit dataChanged(index(0), index(int(m_rows.size()) - 1));
    } else if (rows.size() > m_rows.size() && std::equal(m_rows.begin(), m_rows.end(), rows.begin())) {
        // A page appended at the end keeps the rows above, and the view's scroll position.
        beginInsertRows({}, int(m_rows.size()), int(rows.size()) - 1);
        m_rows = std::move(rows);
        endInsertRows();
    } else {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    emit filteredChanged();
}
