#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One artwork as the desktop search knows it.
struct SearchableItem
{
    QString id;
    QString domain;
    QString contentType;
    QString title;
    QString description;
    QString creator;
    QByteArray thumbnail; // PNG; empty when no thumbnail could be made

    friend bool operator==(const SearchableItem &, const SearchableItem &) = default;
};

// The persistent full-text index (SQLite FTS5) behind the desktop search. Every call opens its
// own connection, so calls may run on any thread; callers serialise writes. Failures throw
// std::runtime_error with the database's description.
class SearchIndexDatabase
{
public:
    explicit SearchIndexDatabase(QString path) : m_path(std::move(path)) {}
    const QString &path() const { return m_path; }

    // Adds the items, replacing any with the same id.
    void upsert(const QList<SearchableItem> &items) const;
    // Ids whose title, description or creator contain words starting with every term, best
    // match first. `within` restricts the answer to those ids (a narrowed search).
    QStringList search(const QStringList &terms, int limit,
                       const std::optional<QStringList> &within = std::nullopt) const;
    // The stored items for these ids, in the given order; unknown ids are skipped.
    QList<SearchableItem> items(const QStringList &ids) const;

private:
    QString m_path;
};
