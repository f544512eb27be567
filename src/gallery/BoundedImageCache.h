#pragma once

#include <QHash>
#include <QImage>
#include <QString>

#include <list>

// Images by key, bounded by an entry count and a total cost; the least recently used entries
// go first when either is exceeded. An entry costing more than the whole limit is not kept.
class BoundedImageCache
{
public:
    BoundedImageCache(qsizetype countLimit, qint64 totalCostLimit)
        : m_countLimit(countLimit), m_totalCostLimit(totalCostLimit) {}

    // Marks the entry as recently used.
    const QImage *object(const QString &key);
    bool contains(const QString &key) const { return m_entries.contains(key); }
    qint64 cost(const QString &key) const;
    void insert(const QString &key, const QImage &image, qint64 cost);
    bool remove(const QString &key);
    void clear();

    qsizetype count() const { return m_entries.size(); }
    qint64 totalCost() const { return m_totalCost; }
    qsizetype countLimit() const { return m_countLimit; }
    qint64 totalCostLimit() const { return m_totalCostLimit; }

private:
    struct Entry
    {
        QImage image;
        qint64 cost;
        std::list<QString>::iterator recency;
    };
    void evict();

    qsizetype m_countLimit;
    qint64 m_totalCostLimit;
    qint64 m_totalCost = 0;
    QHash<QString, Entry> m_entries;
    std::list<QString> m_recency; // most recent at the front
};
