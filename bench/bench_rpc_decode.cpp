// A 5 MB reply line (a 10,000-item gallery page) through the client's reading path:
//  - split and decoded when it arrives in 64 KiB chunks, against the same line in one chunk
//    (linear time: at most 1.2 x);
//  - decoded into JSONValue, against QJsonDocument::fromJson plus a walk of every value
//    (target: at least 2.5 x its throughput), with simdjson's own parse as the ceiling.
//
//   build/bench/bench_rpc_decode [items=10000] [runs=15]

#include "bench_rpc_common.h"

#include "backend/IncomingMessage.h"
#include "backend/LineSplitter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <simdjson.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

// Splits the stream into lines as the client does and decodes each; returns the items read.
qsizetype splitAndDecode(const QByteArray &stream, qsizetype chunkSize)
{
    LineSplitter splitter;
    qsizetype items = 0;
    for (qsizetype offset = 0; offset < stream.size(); offset += chunkSize) {
        splitter.append(stream.constData() + offset, std::min(chunkSize, stream.size() - offset),
                        [&items](QByteArray line) {
                            const IncomingMessage message = IncomingMessage::decode(line);
                            const JSONObject *result = message.response.result->object();
                            items += qsizetype(result->find(QStringLiteral("items"))->array()->size());
                        });
    }
    return items;
}

// What a reader of QJsonDocument does to get at every value.
double walk(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Object: {
        double sum = 0;
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            sum += double(it.key().size()) + walk(it.value());
        return sum;
    }
    case QJsonValue::Array: {
        double sum = 0;
        for (const QJsonValue &element : value.toArray())
            sum += walk(element);
        return sum;
    }
    case QJsonValue::String: return double(value.toString().size());
    case QJsonValue::Double: return value.toDouble();
    case QJsonValue::Bool: return value.toBool() ? 1 : 0;
    default: return 0;
    }
}

// The same walk over our value, so that both sides are seen to hold everything.
double walk(const JSONValue &value)
{
    switch (value.kind()) {
    case JSONValue::Kind::Object: {
        double sum = 0;
        for (const auto &[key, member] : *value.object())
            sum += double(key.size()) + walk(member);
        return sum;
    }
    case JSONValue::Kind::Array: {
        double sum = 0;
        for (const JSONValue &element : *value.array())
            sum += walk(element);
        return sum;
    }
    case JSONValue::Kind::String: return double(value.string()->size());
    case JSONValue::Kind::Number: return *value.number();
    case JSONValue::Kind::Bool: return *value.boolean() ? 1 : 0;
    case JSONValue::Kind::Null: return 0;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const int items = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    const QByteArray line = bench::galleryReplyLine(items);
    const QByteArray stream = line + '\n';
    const double megabytes = double(line.size()) / 1e6;

    // The two readers must agree before their times mean anything.
    const double ours = walk(JSONValue::decode(line));
    const double theirs = walk(QJsonDocument::fromJson(line).object());
    if (ours != theirs || splitAndDecode(stream, 64 * 1024) != items)
        throw std::runtime_error("the readers disagree about the line");

    simdjson::dom::parser parser;
    std::vector<double> oneChunk, chunked, jsonValue, qjson, simd;
    double sink = 0;
    for (int run = 0; run < runs; ++run) {
        oneChunk.push_back(bench::timeSeconds([&] { sink += double(splitAndDecode(stream, stream.size())); }));
        chunked.push_back(bench::timeSeconds([&] { sink += double(splitAndDecode(stream, 64 * 1024)); }));
        jsonValue.push_back(bench::timeSeconds([&] { sink += double(JSONValue::decode(line).kind() == JSONValue::Kind::Object); }));
        qjson.push_back(bench::timeSeconds([&] { sink += walk(QJsonDocument::fromJson(line).object()); }));
        simd.push_back(bench::timeSeconds([&] {
            simdjson::dom::element root;
            if (parser.parse(line.constData(), size_t(line.size())).get(root))
                throw std::runtime_error("simdjson refused the line");
            sink += double(root.type() == simdjson::dom::element_type::OBJECT);
        }));
    }
    const auto mbps = [megabytes](const std::vector<double> &seconds) { return megabytes / bench::median(seconds); };
    std::printf("reply line of %d gallery items, %.2f MB, median of %d runs (sink %g)\n", items,
                megabytes, runs, sink);
    std::printf("  split + decode, one chunk:       %8.2f ms\n", bench::median(oneChunk) * 1e3);
    std::printf("  split + decode, 64 KiB chunks:   %8.2f ms   ratio %.2f (target <= 1.20)\n",
                bench::median(chunked) * 1e3, bench::median(chunked) / bench::median(oneChunk));
    std::printf("  JSONValue::decode:               %8.2f ms   %7.0f MB/s\n", bench::median(jsonValue) * 1e3, mbps(jsonValue));
    std::printf("  QJsonDocument::fromJson + walk:  %8.2f ms   %7.0f MB/s\n", bench::median(qjson) * 1e3, mbps(qjson));
    std::printf("  simdjson DOM parse (ceiling):    %8.2f ms   %7.0f MB/s\n", bench::median(simd) * 1e3, mbps(simd));
    std::printf("  JSONValue / QJsonDocument:       %8.2f x   (target >= 2.50)\n", mbps(jsonValue) / mbps(qjson));
    return 0;
}
