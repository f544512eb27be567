// One pass of the gallery's filtering over 10,000 loaded items: a search text, two popover
// filters and the rating order, against a naive case-insensitive search for comparison.
//   build/bench/bench_gallery_filter

#include "gallery/GalleryFilter.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

QList<ArtworkItem> makeItems(int count)
{
    const QStringList words{"neon", "skyline", "desert", "ocean", "waves", "forest", "city", "night", "retro",
                            "vinyl", "album", "cover", "portrait", "golden", "hour", "Dusk", "Storm", "Velvet"};
    const QStringList models{"flux-schnell", "flux-dev", "sdxl-turbo", "procedural-painter", "neon-xl"};
    QRandomGenerator random(42);
    QList<ArtworkItem> items;
    const QDateTime base = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < count; ++i) {
        ArtworkItem item;
        item.id = QString::number(i);
        QStringList prompt;
        for (int w = 0; w < 12; ++w)
            prompt.append(words[random.bounded(int(words.size()))]);
        item.prompt = prompt.join(u' ') + QStringLiteral(", highly detailed, cinematic lighting");
        item.model = models[random.bounded(int(models.size()))];
        item.tags = {words[random.bounded(int(words.size()))], words[random.bounded(int(words.size()))]};
        item.width = 1024;
        item.height = random.bounded(2) ? 1024 : 1536;
        item.rating = random.bounded(6);
        item.favorite = random.bounded(4) == 0;
        item.createdAt = base.addSecs(-i * 60);
        item.imagePath = QStringLiteral("/images/%1.png").arg(i);
        items.append(item);
    }
    return items;
}

template<typename F> double medianMs(F f, int runs = 41)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QList<ArtworkItem> items = makeItems(10000);
    const auto foldStart = std::chrono::steady_clock::now();
    QList<FoldedItem> folded;
    for (const ArtworkItem &item : items)
        folded.append(foldItem(item));
    const double foldMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - foldStart).count();

    GalleryFilterState state;
    state.searchText = QStringLiteral("Neon");
    state.filterModel = QStringLiteral("FLUX");
    state.filterMinRating = 2;
    state.sortOrder = SortOrder::Rating;
    qsizetype shown = 0;
    const double passMs = medianMs([&] { shown = filteredRows(items, folded, state).size(); });

    // The naive search alone, for comparison.
    qsizetype naiveShown = 0;
    const double naiveMs = medianMs([&] {
        naiveShown = 0;
        for (const ArtworkItem &item : items) {
            bool hit = item.prompt.contains(state.searchText, Qt::CaseInsensitive)
                       || item.model.contains(state.searchText, Qt::CaseInsensitive);
            for (const QString &tag : item.tags)
                hit = hit || tag.contains(state.searchText, Qt::CaseInsensitive);
            naiveShown += hit;
        }
    });
    std::printf("items: 10000, folded once in %.2f ms\n", foldMs);
    std::printf("filteredItems (search + model + rating filters, rating order): %.3f ms median, %lld shown\n", passMs,
                (long long)shown);
    std::printf("naive case-insensitive search alone: %.3f ms median, %lld hits\n", naiveMs, (long long)naiveShown);
    return 0;
}
