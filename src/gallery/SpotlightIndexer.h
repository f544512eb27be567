#pragma once

#include "gallery/GalleryModels.h"
#include "gallery/SearchIndexDatabase.h"

#include <QFuture>
#include <QObject>
#include <QThreadPool>

// Feeds the gallery's items to the desktop search index. Writes and queries run in order on
// one worker thread, so the main thread never waits on the database or on thumbnail decoding;
// a failed write is logged and otherwise ignored.
class SpotlightIndexer : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *domainIdentifier = "com.zorbel.pictavia.gallery";
    static constexpr double thumbnailSize = 128;

    explicit SpotlightIndexer(QString databasePath = defaultDatabasePath(), QObject *parent = nullptr);
    ~SpotlightIndexer() override;
    static SpotlightIndexer &shared();
    // index.sqlite in the application's data location.
    static QString defaultDatabasePath();

    // Adds or updates one searchable item per artwork; an empty list submits nothing.
    void indexItems(const QList<ArtworkItem> &items);

    // Queries for the desktop search, answered after every earlier write.
    QFuture<QStringList> search(const QStringList &terms, const std::optional<QStringList> &within = std::nullopt);
    QFuture<QList<SearchableItem>> items(const QStringList &ids);

    // Blocks until queued work is done (tests and shutdown).
    void waitForIdle() { m_worker.waitForDone(); }

    // Without the thumbnail: made on the worker from the image file.
    static SearchableItem searchableItem(const ArtworkItem &item);

signals:
    // Emitted on the main thread once a submission is stored.
    void itemsIndexed(int count);

private:
    SearchIndexDatabase m_database;
    QThreadPool m_worker;
};
