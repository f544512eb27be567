#pragma once

// Small helpers shared by the backend-link benchmarks: a clock, medians, and the gallery reply
// they all decode.

#include <QByteArray>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace bench {

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template<typename F>
double timeSeconds(F &&work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return secondsSince(start);
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// One reply line (without its line feed) carrying a page of `items` gallery records, the way
// the backend writes them: about 500 bytes per item, so 10,000 items make about 5 MB.
inline QByteArray galleryReplyLine(int items, const QByteArray &requestId = "GALLERY")
{
    static const char *const models[] = {"sdxl-base-1.0", "flux-schnell", "sd-1.5-pruned"};
    static const char *const tagWords[] = {"album", "neon", "synthwave", "portrait", "grain",
                                           "vinyl", "dusk", "chrome", "forest", "minimal"};
    QByteArray line;
    line.reserve(items * 520 + 128);
    line += "{\"jsonrpc\":\"2.0\",\"id\":\"" + requestId + "\",\"result\":{\"items\":[";
    for (int i = 0; i < items; ++i) {
        if (i)
            line += ',';
        char item[1024];
        const int length = std::snprintf(
            item, sizeof item,
            "{\"id\":\"%08X-4B1D-4C2A-9E3F-%012X\","
            "\"image_path\":\"/home/user/.local/share/Pictavia/gallery/2024/06/img_%06d.png\","
            "\"prompt\":\"A moody album cover for track %d: a lone figure under a sodium street "
            "lamp, rain on chrome, cinematic lighting, 35mm film grain, teal and orange palette, "
            "highly detailed, shallow depth of field, \\\"retro\\\" typography space at the top\","
            "\"model\":\"%s\",\"width\":%d,\"height\":%d,\"seed\":%lld,"
            "\"created_at\":\"2024-06-%02dT%02d:%02d:%02d.%03dZ\",\"rating\":%d,"
            "\"tags\":[\"%s\",\"%s\",\"%s\"],\"favorite\":%s}",
            0x1000 + i, 0xABC000 + i, i, i, models[i % 3], 512 + 256 * (i % 3),
            768 - 256 * (i % 2), 1000003LL * i + 42, 1 + i % 28, i % 24, i % 60, (i * 7) % 60,
            i % 1000, i % 6, tagWords[i % 10], tagWords[(i + 3) % 10], tagWords[(i + 7) % 10],
            i % 5 == 0 ? "true" : "false");
        line.append(item, length);
    }
    line += "],\"total\":" + QByteArray::number(items) + ",\"offset\":0}}";
    return line;
}

} // namespace bench
