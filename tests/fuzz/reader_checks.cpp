#include "reader_checks.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "io/document_io.h"

namespace qm::fuzz {
namespace {

class Metrics : public TextMetrics {
public:
    TextExtent measure(std::string_view utf8, std::string_view, float pointSize, float wrapWidth) const override {
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

}  // namespace

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

const TextMetrics& metrics() {
    static const Metrics m;
    return m;
}

void refusedWithOffset(const IoError& e, std::size_t size) {
    check(!e.message.empty(), "an error says what is wrong");
    check(e.offset.has_value() && *e.offset <= size, "an error names a byte of the data");
}

std::optional<Document> openDocument(std::string_view in, Layout layout) {
    auto raw = parseRawDocument(in, layout);
    if (!raw) {
        refusedWithOffset(raw.error(), in.size());
        return std::nullopt;
    }
    auto same = encodeRawDocument(*raw);
    check(same.ok() && *same == in.substr(0, raw->end), "the raw view re-encodes to the bytes it was read from");

    auto doc = decodeDocumentFile(std::string(in), layout, metrics());  // as the editors' Open reads a file
    if (!doc) {
        refusedWithOffset(doc.error(), in.size());
        return std::nullopt;
    }
    const Document& d = *doc;
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
    auto first = encodeDocument(d, layout);
    if (first) {
        auto again = decodeDocument(*first, layout, metrics());
        check(again.ok(), "a saved document opens again");
        auto second = encodeDocument(*again, layout);
        check(second.ok() && *second == *first, "an opened document saves to the same bytes");
    }
    return std::move(doc).value();
}

}  // namespace qm::fuzz
