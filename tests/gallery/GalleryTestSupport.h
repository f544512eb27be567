#pragma once

// Fixtures shared by the gallery tests: backend items as JSON and a backend view model running
// the scripted fake backend.

#include "backend/BackendViewModel.h"
#include "support/FakeBackend.h"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <chrono>

namespace GalleryTest {

// One gallery item as the backend sends it; createdAt is an internet date-time text.
inline JSONObject itemJSON(const QString &id, const QString &createdAt, JSONObject extra = {})
{
    JSONObject item{{"id", id},
                    {"image_path", QStringLiteral("/images/") + id + QStringLiteral(".png")},
                    {"prompt", QStringLiteral("Prompt ") + id},
                    {"model", QStringLiteral("flux-schnell")},
                    {"width", 1024},
                    {"height", 1024},
                    {"created_at", createdAt}};
    for (const auto &[key, value] : extra)
        item.insert(key, value);
    return item;
}

// Items "i{first}"… created one minute apart, newest first.
inline JSONArray itemRange(int first, int count)
{
    const QDateTime base = QDateTime::fromString(QStringLiteral("2025-01-01T00:00:00Z"), Qt::ISODate);
    JSONArray items;
    for (int i = first; i < first + count; ++i)
        items.push_back(itemJSON(QStringLiteral("i%1").arg(i),
                                 base.addSecs(-60LL * i).toUTC().toString(Qt::ISODate)));
    return items;
}

inline JSONObject pageJSON(const JSONArray &items, qint64 total, qint64 offset)
{
    return JSONObject{{"items", items}, {"total_count", double(total)}, {"offset", double(offset)},
                      {"limit", 50}};
}

// A BackendViewModel talking to the scripted fake. Add rules to `fake` before start().
struct ScriptedBackend
{
    FakeBackend fake;
    BackendViewModel backend;

    void start()
    {
        const auto environment = fake.environment();
        for (auto it = environment.begin(); it != environment.end(); ++it)
            qputenv(it.key().toUtf8().constData(), it.value().toUtf8());
        backend.setSearchPaths({QString(), QString(), fake.projectRoot()});
        // The connection check would add ping and list_models to the recorded requests.
        backend.setLaunchCheckDelay(std::chrono::hours(1));
        backend.start();
    }

    // The recorded requests of one method, as objects.
    QList<JSONObject> requests(const QString &method) const
    {
        QList<JSONObject> found;
        for (const JSONValue &request : fake.receivedRequests()) {
            const JSONObject *object = request.object();
            if (object && object->find("method") && *object->find("method")->string() == method)
                found.append(*object);
        }
        return found;
    }
};

inline QString writeImage(const QString &path, int width, int height, const char *format = "PNG")
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    image.save(path, format);
    return path;
}

} // namespace GalleryTest
