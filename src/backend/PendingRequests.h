#pragma once

#include "backend/RPCModels.h"

#include <QHash>
#include <QString>

#include <functional>
#include <variant>

// The table of requests waiting for their outcome. Whoever removes an entry completes it, and
// an entry can be removed only once, so every request completes exactly once.
class PendingRequests
{
public:
    using Outcome = std::variant<RPCResponse, RPCClientError>;
    using Completion = std::function<void(Outcome)>;

    void add(const QString &id, Completion completion);
    // Removes the entry and completes it; false when there was none (already completed).
    bool complete(const QString &id, Outcome outcome);
    void failAll(const RPCClientError &error);

    bool contains(const QString &id) const { return m_entries.contains(id); }
    qsizetype size() const { return m_entries.size(); }

private:
    QHash<QString, Completion> m_entries;
};
