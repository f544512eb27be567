#include "gallery/SpotlightIndexer.h"

#include "backend/Log.h"
#include "gallery/ImageDecoding.h"

#include <QBuffer>
#include <QPointer>
#include <QStandardPaths>
#include <QtConcurrent>

namespace {

constexpr int resultLimit = 50;

QByteArray thumbnailPNG(const QString &imagePath)
{
    std::optional<DecodedImage> thumbnail = decodeThumbnail(imagePath, SpotlightIndexer::thumbnailSize);
    if (!thumbnail)
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return thumbnail->image.save(&buffer, "PNG") ? bytes : QByteArray();
}

} // namespace

SpotlightIndexer::SpotlightIndexer(QString databasePath, QObject *parent)
    : QObject(parent), m_database(std::move(databasePath))
{
    m_worker.setMaxThreadCount(1); // one at a time, in submission order
}

SpotlightIndexer::~SpotlightIndexer() { m_worker.waitForDone(); }

SpotlightIndexer &SpotlightIndexer::shared()
{
    static SpotlightIndexer *instance = new SpotlightIndexer(); // lives for the rest of the process
    return *instance;
}

QString SpotlightIndexer::defaultDatabasePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/search-index.sqlite");
}

SearchableItem SpotlightIndexer::searchableItem(const ArtworkItem &item)
{
    return {item.id,   QString::fromLatin1(domainIdentifier), QStringLiteral("image"), item.prompt,
            item.tags.join(QStringLiteral(", ")), item.model, {}};
}

void SpotlightIndexer::indexItems(const QList<ArtworkItem> &items)
{
    if (items.isEmpty())
        return;
    QList<std::pair<SearchableItem, QString>> pending;
    pending.reserve(items.size());
    for (const ArtworkItem &item : items)
        pending.append({searchableItem(item), item.imagePath});
    const int count = int(pending.size());
    m_worker.start([database = m_database, pending, self = QPointer(this), count]() mutable {
        QList<SearchableItem> searchable;
        searchable.reserve(pending.size());
        for (auto &[item, imagePath] : pending) {
            item.thumbnail = thumbnailPNG(imagePath); // left out when it cannot be made
            searchable.append(std::move(item));
        }
        try {
            database.upsert(searchable);
        } catch (const std::exception &error) {
            appLog(QStringLiteral("[SpotlightIndexer] Index error: ") + QString::fromUtf8(error.what()));
            return;
        }
        QMetaObject::invokeMethod(qApp, [self, count] {
            if (self)
                emit self->itemsIndexed(count);
        });
    });
}

QFuture<QStringList> SpotlightIndexer::search(const QStringList &terms, const std::optional<QStringList> &within)
{
    return QtConcurrent::run(&m_worker, [database = m_database, terms, within] {
        try {
            return database.search(terms, resultLimit, within);
        } catch (const std::exception &error) {
            appLog(QStringLiteral("[SpotlightIndexer] Search error: ") + QString::fromUtf8(error.what()));
            return QStringList();
        }
    });
}

QFuture<QList<SearchableItem>> SpotlightIndexer::items(const QStringList &ids)
{
    return QtConcurrent::run(&m_worker, [database = m_database, ids] {
        try {
            return database.items(ids);
        } catch (const std::exception &error) {
            appLog(QStringLiteral("[SpotlightIndexer] Search error: ") + QString::fromUtf8(error.what()));
            return QList<SearchableItem>();
        }
    });
}
