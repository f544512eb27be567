#include "backend/PendingRequests.h"

void PendingRequests::add(const QString &id, Completion completion)
{
    m_entries.insert(id, std::move(completion));
}

bool PendingRequests::complete(const QString &id, Outcome outcome)
{
    auto it = m_entries.find(id);
    if (it == m_entries.end())
        return false;
    Completion completion = std::move(it.value());
    m_entries.erase(it);
    completion(std::move(outcome));
    return true;
}

void PendingRequests::failAll(const RPCClientError &error)
{
    const QHash<QString, Completion> taken = std::exchange(m_entries, {});
    for (const Completion &completion : taken)
        completion(error);
}
