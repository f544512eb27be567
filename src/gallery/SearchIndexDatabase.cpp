#include "gallery/SearchIndexDatabase.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QSqlError &error)
{
    throw std::runtime_error(error.text().toStdString());
}

// A connection for the duration of one call, removed from Qt's registry afterwards.
class Connection
{
public:
    explicit Connection(const QString &path)
    {
        static QAtomicInteger<quint64> counter;
        m_name = QStringLiteral("pictavia-search-index-%1").arg(counter.fetchAndAddRelaxed(1));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            fail(db.lastError());
        exec(QStringLiteral("PRAGMA busy_timeout = 2000"));
        exec(QStringLiteral("CREATE TABLE IF NOT EXISTS items(rowid INTEGER PRIMARY KEY, id TEXT NOT NULL UNIQUE, "
                            "domain TEXT, content_type TEXT, title TEXT, description TEXT, creator TEXT, "
                            "thumbnail BLOB)"));
        exec(QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS items_fts USING fts5(title, description, creator, "
                            "content='items', content_rowid='rowid')"));
        exec(QStringLiteral("CREATE TRIGGER IF NOT EXISTS items_ai AFTER INSERT ON items BEGIN "
                            "INSERT INTO items_fts(rowid, title, description, creator) "
                            "VALUES (new.rowid, new.title, new.description, new.creator); END"));
        exec(QStringLiteral("CREATE TRIGGER IF NOT EXISTS items_au AFTER UPDATE ON items BEGIN "
                            "INSERT INTO items_fts(items_fts, rowid, title, description, creator) "
                            "VALUES ('delete', old.rowid, old.title, old.description, old.creator); "
                            "INSERT INTO items_fts(rowid, title, description, creator) "
                            "VALUES (new.rowid, new.title, new.description, new.creator); END"));
    }
    ~Connection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    void exec(const QString &statement) const
    {
        QSqlQuery query(db());
        if (!query.exec(statement))
            fail(query.lastError());
    }

private:
    QString m_name;
};

// Each term becomes a quoted prefix query; terms are all required.
QString matchExpression(const QStringList &terms)
{
    QStringList parts;
    for (const QString &term : terms) {
        const QString trimmed = term.trimmed();
        if (!trimmed.isEmpty())
            parts.append(u'"' + QString(trimmed).replace(u'"', QStringLiteral("\"\"")) + QStringLiteral("\"*"));
    }
    return parts.join(u' ');
}

} // namespace

void SearchIndexDatabase::upsert(const QList<SearchableItem> &items) const
{
    Connection connection(m_path);
    QSqlDatabase db = connection.db();
    if (!db.transaction())
        fail(db.lastError());
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "INSERT INTO items(id, domain, content_type, title, description, creator, thumbnail) "
        "VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT(id) DO UPDATE SET domain = excluded.domain, "
        "content_type = excluded.content_type, title = excluded.title, description = excluded.description, "
        "creator = excluded.creator, thumbnail = excluded.thumbnail"));
    for (const SearchableItem &item : items) {
        query.bindValue(0, item.id);
        query.bindValue(1, item.domain);
        query.bindValue(2, item.contentType);
        query.bindValue(3, item.title);
        query.bindValue(4, item.description);
        query.bindValue(5, item.creator);
        query.bindValue(6, item.thumbnail.isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(item.thumbnail));
        if (!query.exec()) {
            const QSqlError error = query.lastError();
            db.rollback();
            fail(error);
        }
    }
    if (!db.commit())
        fail(db.lastError());
}

QStringList SearchIndexDatabase::search(const QStringList &terms, int limit,
                                        const std::optional<QStringList> &within) const
{
    const QString expression = matchExpression(terms);
    if (expression.isEmpty())
        return {};
    Connection connection(m_path);
    QSqlQuery query(connection.db());
    query.prepare(QStringLiteral("SELECT items.id FROM items_fts JOIN items ON items.rowid = items_fts.rowid "
                                 "WHERE items_fts MATCH ? ORDER BY bm25(items_fts), items.rowid DESC"));
    query.addBindValue(expression);
    if (!query.exec())
        fail(query.lastError());
    QStringList ids;
    while (query.next() && ids.size() < limit) {
        const QString id = query.value(0).toString();
        if (!within || within->contains(id))
            ids.append(id);
    }
    return ids;
}

QList<SearchableItem> SearchIndexDatabase::items(const QStringList &ids) const
{
    Connection connection(m_path);
    QSqlQuery query(connection.db());
    query.prepare(QStringLiteral("SELECT id, domain, content_type, title, description, creator, thumbnail "
                                 "FROM items WHERE id = ?"));
    QList<SearchableItem> found;
    for (const QString &id : ids) {
        query.bindValue(0, id);
        if (!query.exec())
            fail(query.lastError());
        if (query.next())
            found.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                          query.value(3).toString(), query.value(4).toString(), query.value(5).toString(),
                          query.value(6).toByteArray()});
    }
    return found;
}
