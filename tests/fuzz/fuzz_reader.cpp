// libFuzzer target for both document readers. Beyond "no crash, no undefined
// behaviour", it checks what a reader must keep: the raw view re-encodes to exactly
// the bytes it came from, and a document it accepts, once saved, opens again and
// saves to the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "io/document_io.h"

namespace {

// Sizes that follow the text and the font size, as a real face's would.
class Metrics : public qm::TextMetrics {
public:
    qm::TextExtent measure(std::string_view utf8, std::string_view, float pointSize, float wrapWidth) const override {
        float lines = 1, width = 0, widest = 0;
        for (unsigned char c : utf8) {
            if ((c & 0xC0) == 0x80) continue;
            if (c == '\n') {
                ++lines;
                width = 0;
                continue;
            }
            width += pointSize * (c < 0x80 ? 8 : 16);
            if (wrapWidth > 0 && width > wrapWidth) {
                ++lines;
                width = 0;
            }
            if (width > widest) widest = width;
        }
        return {wrapWidth > 0 ? wrapWidth : widest, lines * pointSize * 20};
    }
};

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

void refusedWithOffset(const qm::IoError& e, size_t size) {
    check(!e.message.empty(), "an error says what is wrong");
    check(e.offset.has_value() && *e.offset <= size, "an error names a byte of the data");
}

void exercise(std::string_view in, qm::Layout layout) {
    static const Metrics metrics;
    auto raw = qm::parseRawDocument(in, layout);
    if (!raw) return refusedWithOffset(raw.error(), in.size());
    auto same = qm::encodeRawDocument(*raw);
    check(same.ok() && *same == in.substr(0, raw->end), "the raw view re-encodes to the bytes it was read from");

    auto doc = qm::decodeDocument(in, layout, metrics);
    if (!doc) return refusedWithOffset(doc.error(), in.size());
    const qm::Document& d = *doc;
    check(d.modified == 0, "an opened document is unchanged");
    for (int i = 1; i <= d.shapeCount; ++i) check(d.Shape1.exists(i) && d.LineRect.exists(i), "every shape exists");
    for (int i = 1; i <= d.labelCount; ++i) check(d.Label.exists(i), "every label exists");
    for (int i = 1; i <= d.segCount; ++i) check(d.Line1.exists(i), "every segment exists");
    for (int i = 1; i <= d.arrowCount; ++i)
        for (int h = 0; h < 4; ++h) check(d.heads(h)->exists(i), "every arrow has four heads");
    for (int i = 1; i <= d.diamondCount; ++i)
        for (const auto* lines : d.diamondLines()) check(lines->exists(i), "every diamond has five lines");

    // A label the metrics make wider than a 16-bit field cannot be saved; that is
    // an error the user sees, not a fault.
    auto first = qm::encodeDocument(d, layout);
    if (!first) return;
    auto again = qm::decodeDocument(*first, layout, metrics);
    check(again.ok(), "a saved document opens again");
    auto second = qm::encodeDocument(*again, layout);
    check(second.ok() && *second == *first, "an opened document saves to the same bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    exercise(in, qm::Layout::Quillmap);
    exercise(in, qm::Layout::Qmp);
    return 0;
}
