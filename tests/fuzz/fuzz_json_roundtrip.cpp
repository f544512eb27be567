// Any text that JSONValue::decode accepts must survive our own writer: decoding what encode()
// wrote gives an equal value, and writing that again gives the same text.

#include "backend/JSONValue.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const QByteArray &text)
{
    std::fprintf(stderr, "fuzz_json_roundtrip: %s\n  text: %s\n", what, text.constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    JSONValue value;
    try {
        value = JSONValue::decode(input);
    } catch (const JSONError &error) {
        if (error.description().isEmpty())
            fail("a decoding error without a description", input);
        return 0;
    }
    QByteArray encoded;
    try {
        encoded = value.encode();
    } catch (const JSONError &) {
        fail("a decoded value that cannot be encoded", input);
    }
    if (encoded.contains('\n'))
        fail("encoded text holds a raw line feed", encoded);
    JSONValue again;
    try {
        again = JSONValue::decode(encoded);
    } catch (const JSONError &error) {
        fail(qPrintable(QStringLiteral("encoded text does not decode: ") + error.description()), encoded);
    }
    if (again != value)
        fail("the value changed on a round trip", encoded);
    if (again.encode() != encoded)
        fail("writing the value again changed its text", encoded);
    return 0;
}
