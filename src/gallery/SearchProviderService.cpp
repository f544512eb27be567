#include "gallery/SearchProviderService.h"

#include "backend/Log.h"
#include "gallery/SpotlightIndexer.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QImage>
#include <QPointer>

namespace {

QStringList queryTerms(const QString &query) { return query.split(u' ', Qt::SkipEmptyParts); }

QImage imageFromPNG(const QByteArray &png)
{
    QImage image;
    image.loadFromData(png, "PNG");
    return image;
}

} // namespace

SearchProviderService::SearchProviderService(SpotlightIndexer &indexer, QObject *parent)
    : QObject(parent), m_indexer(indexer), m_connection(QDBusConnection::sessionBus())
{
    registerSearchProviderTypes();
    new GnomeSearchProviderAdaptor(this);
    new KRunnerAdaptor(this);
}

bool SearchProviderService::registerOn(QDBusConnection connection)
{
    m_connection = connection;
    if (!connection.isConnected()) {
        appLog(QStringLiteral("[SpotlightIndexer] No session bus: ") + connection.lastError().message());
        return false;
    }
    if (!connection.registerObject(QString::fromLatin1(objectPath), this, QDBusConnection::ExportAdaptors)) {
        appLog(QStringLiteral("[SpotlightIndexer] Cannot export the search provider: ")
               + connection.lastError().message());
        return false;
    }
    const auto reply = connection.interface()->registerService(QString::fromLatin1(serviceName),
                                                               QDBusConnectionInterface::DontQueueService);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        appLog(QStringLiteral("[SpotlightIndexer] Cannot claim ") + QString::fromLatin1(serviceName) + u' '
               + reply.error().message());
        connection.unregisterObject(QString::fromLatin1(objectPath));
        return false;
    }
    return true;
}

void SearchProviderService::replySearch(const QStringList &terms, const std::optional<QStringList> &within,
                                        const QDBusMessage &message)
{
    message.setDelayedReply(true);
    m_indexer.search(terms, within).then(this, [connection = m_connection, message](const QStringList &ids) {
        QDBusConnection(connection).send(message.createReply(QVariant::fromValue(ids)));
    });
}

void SearchProviderService::replyMetas(const QStringList &ids, const QDBusMessage &message)
{
    message.setDelayedReply(true);
    m_indexer.items(ids)
        .then([](const QList<SearchableItem> &items) {
            ResultMetas metas;
            for (const SearchableItem &item : items) {
                QVariantMap meta{{QStringLiteral("id"), item.id},
                                 {QStringLiteral("name"), item.title},
                                 {QStringLiteral("description"),
                                  item.description.isEmpty() ? item.creator
                                                             : item.creator + QStringLiteral(" · ") + item.description}};
                const QImage thumbnail = imageFromPNG(item.thumbnail);
                if (!thumbnail.isNull())
                    meta.insert(QStringLiteral("icon-data"), QVariant::fromValue(DBusIconData::fromImage(thumbnail)));
                metas.append(meta);
            }
            return metas;
        })
        .then(this, [connection = m_connection, message](const ResultMetas &metas) {
            QDBusConnection(connection).send(message.createReply(QVariant::fromValue(metas)));
        });
}

void SearchProviderService::replyMatches(const QString &query, const QDBusMessage &message)
{
    message.setDelayedReply(true);
    const QStringList terms = queryTerms(query);
    QPointer self(this);
    m_indexer.search(terms).then(this, [self, connection = m_connection, message](const QStringList &ids) {
        if (!self || ids.isEmpty()) {
            QDBusConnection(connection).send(message.createReply(QVariant::fromValue(KRunnerMatches())));
            return;
        }
        self->m_indexer.items(ids)
            .then([](const QList<SearchableItem> &items) {
                KRunnerMatches matches;
                for (qsizetype rank = 0; rank < items.size(); ++rank) {
                    const SearchableItem &item = items[rank];
                    KRunnerMatch match{item.id, item.title, QStringLiteral("com.zorbel.Pictavia"), 20,
                                       1.0 - double(rank) / double(items.size() + 1), {}};
                    match.properties.insert(QStringLiteral("subtext"), item.creator);
                    const QImage thumbnail = imageFromPNG(item.thumbnail);
                    if (!thumbnail.isNull())
                        match.properties.insert(QStringLiteral("icon-data"),
                                                QVariant::fromValue(DBusIconData::fromImage(thumbnail)));
                    matches.append(match);
                }
                return matches;
            })
            .then(qApp, [connection, message](const KRunnerMatches &matches) {
                QDBusConnection(connection).send(message.createReply(QVariant::fromValue(matches)));
            });
    });
}

GnomeSearchProviderAdaptor::GnomeSearchProviderAdaptor(SearchProviderService *service)
    : QDBusAbstractAdaptor(service), m_service(service)
{
}

QStringList GnomeSearchProviderAdaptor::GetInitialResultSet(const QStringList &terms, const QDBusMessage &message)
{
    m_service->replySearch(terms, std::nullopt, message);
    return {};
}

QStringList GnomeSearchProviderAdaptor::GetSubsearchResultSet(const QStringList &previousResults,
                                                              const QStringList &terms, const QDBusMessage &message)
{
    m_service->replySearch(terms, previousResults, message);
    return {};
}

ResultMetas GnomeSearchProviderAdaptor::GetResultMetas(const QStringList &identifiers, const QDBusMessage &message)
{
    m_service->replyMetas(identifiers, message);
    return {};
}

void GnomeSearchProviderAdaptor::ActivateResult(const QString &identifier, const QStringList &, uint)
{
    emit m_service->openItemRequested(identifier);
}

void GnomeSearchProviderAdaptor::LaunchSearch(const QStringList &terms, uint)
{
    emit m_service->searchRequested(terms.join(u' '));
}

KRunnerAdaptor::KRunnerAdaptor(SearchProviderService *service) : QDBusAbstractAdaptor(service), m_service(service) { }

KRunnerActions KRunnerAdaptor::Actions() { return {}; }

KRunnerMatches KRunnerAdaptor::Match(const QString &query, const QDBusMessage &message)
{
    m_service->replyMatches(query, message);
    return {};
}

void KRunnerAdaptor::Run(const QString &matchId, const QString &) { emit m_service->openItemRequested(matchId); }
