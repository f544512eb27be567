#pragma once

#include "gallery/SearchProviderTypes.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>

class SpotlightIndexer;

// Serves the gallery's search index to the desktop: org.gnome.Shell.SearchProvider2 for GNOME
// Shell and org.kde.krunner1 for KRunner, on one object. Queries are answered from the index's
// worker (delayed replies), so the main thread never waits on the database. Choosing a result
// asks the application to open that item.
class SearchProviderService : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *serviceName = "com.zorbel.Pictavia.SearchProvider";
    static constexpr const char *objectPath = "/com/zorbel/Pictavia/SearchProvider";

    explicit SearchProviderService(SpotlightIndexer &indexer, QObject *parent = nullptr);

    // Exports the object and claims the service name; false (with the reason in the log) when
    // either fails.
    bool registerOn(QDBusConnection connection);

    // The interfaces' work, shared by both adaptors.
    void replySearch(const QStringList &terms, const std::optional<QStringList> &within, const QDBusMessage &message);
    void replyMetas(const QStringList &ids, const QDBusMessage &message);
    void replyMatches(const QString &query, const QDBusMessage &message);

signals:
    void openItemRequested(const QString &id);
    // "Show more results" in GNOME Shell: the gallery with this search text.
    void searchRequested(const QString &text);

private:
    SpotlightIndexer &m_indexer;
    QDBusConnection m_connection;
};

class GnomeSearchProviderAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell.SearchProvider2")

public:
    explicit GnomeSearchProviderAdaptor(SearchProviderService *service);

public slots:
    QStringList GetInitialResultSet(const QStringList &terms, const QDBusMessage &message);
    QStringList GetSubsearchResultSet(const QStringList &previousResults, const QStringList &terms,
                                      const QDBusMessage &message);
    ResultMetas GetResultMetas(const QStringList &identifiers, const QDBusMessage &message);
    void ActivateResult(const QString &identifier, const QStringList &terms, uint timestamp);
    void LaunchSearch(const QStringList &terms, uint timestamp);

private:
    SearchProviderService *m_service;
};

class KRunnerAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.krunner1")

public:
    explicit KRunnerAdaptor(SearchProviderService *service);

public slots:
    KRunnerActions Actions();
    KRunnerMatches Match(const QString &query, const QDBusMessage &message);
    void Run(const QString &matchId, const QString &actionId);

private:
    SearchProviderService *m_service;
};
