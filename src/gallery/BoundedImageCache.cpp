#include "gallery/BoundedImageCache.h"

const QImage *BoundedImageCache::object(const QString &key)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end())
        return nullptr;
    m_recency.splice(m_recency.begin(), m_recency, it->recency);
    return &it->image;
}

qint64 BoundedImageCache::cost(const QString &key) const
{
    auto it = m_entries.constFind(key);
    return it == m_entries.constEnd() ? 0 : it->cost;
}

void BoundedImageCache::insert(const QString &key, const QImage &image, qint64 cost)
{
    remove(key);
    if (cost > m_totalCostLimit)
        return;
    m_recency.push_front(key);
    m_entries.insert(key, Entry{image, cost, m_recency.begin()});
    m_totalCost += cost;
    evict();
}

bool BoundedImageCache::remove(const QString &key)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end())
        return false;
    m_totalCost -= it->cost;
    m_recency.erase(it->recency);
    m_entries.erase(it);
    return true;
}

void BoundedImageCache::clear()
{
    m_entries.clear();
    m_recency.clear();
    m_totalCost = 0;
}

void BoundedImageCache::evict()
{
    while (!m_recency.empty() && (m_entries.size() > m_countLimit || m_totalCost > m_totalCostLimit))
        remove(m_recency.back());
}
