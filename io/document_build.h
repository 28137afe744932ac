// Between the raw view of a file and a Document: a checked raw view becomes a new
// drawing with every element at its stored place, and a drawing becomes the raw
// view of either layout, refusing values the file cannot hold.
#pragma once
#include <array>
#include <string>
#include <unordered_map>

#include "io/raw_document.h"
#include "model/document.h"
#include "model/rounding.h"
#include "model/text_metrics.h"

namespace qm {

// What a raw view holds: a whole drawing, or elements taken out of one (the
// clipboard's), whose labels 3 to 8 are no title block cells and which show no
// title block.
enum class Contents { Drawing, Elements };

// A new Document holding the drawing of `raw`, which validateRawDocument accepted.
// Labels size themselves through `metrics`; `modified` is 0.
Result<Document> buildDocument(const RawDocument& raw, const TextMetrics& metrics,
                               Contents contents = Contents::Drawing);
// The same, taking each text out of `raw` once it is in the drawing, so that the
// texts of a large file are never held twice.
Result<Document> buildDocument(RawDocument&& raw, const TextMetrics& metrics);

// The raw view `doc` is written as. Fails on a position or size that does not fit a
// 16-bit field, a text that cannot be stored, or a count out of its range.
Result<RawDocument> rawFromDocument(const Document& doc, Layout layout);

// Document bytes of texts already converted, for a writer that flattens the same
// drawing again and again: a drawing repeats a few captions and font names many
// times. Past a few thousand texts it starts afresh.
class TextBytesCache {
public:
    Status encode(std::string& to, const std::string& utf8);

private:
    std::unordered_map<std::string, std::string> bytes_;
    // Copies of the last two texts found, looked at before the map: the labels of
    // a drawing mostly take turns between one caption and one font name.
    struct Recent {
        std::string utf8, bytes;
        bool known = false;
    };
    std::array<Recent, 2> recent_;
    size_t newest_ = 0;
};

// The same one item at a time, for an editing history that keeps a drawing in
// parts and reads back only the items that changed. Item i counts from 1, as the
// collections and records do; the caller keeps i within the section's count.
class ItemFlattener {
public:
    ItemFlattener(const Document& doc, Layout layout, TextBytesCache* texts = nullptr);
    const Document& document() const { return doc_; }

    Status item(int i, RawShape& out);
    Status item(int i, RawLabel& out);
    Status item(int i, RawSegment& out);
    Status item(int i, RawArrow& out);
    Status item(int i, RawDiamond& out);
    // The fields outside the sections: tag, version and title block position.
    void frame(RawDocument& out) const;

private:
    static Status fail(std::string message);
    // Geometry is stored rounded to the nearest integer, halves to even. Like every
    // step below, it does nothing once `st` holds a failure, so that an item's
    // steps run one after another and the first failure is the one reported.
    // Inline, as it runs for every coordinate of a drawing.
    static void put(Status& st, int16_t& to, float v, int i, const char* kind, const char* field) {
        if (!st) return;
        if (const auto r = roundI16(v))
            to = *r;
        else
            unfit(st, v, i, kind, field);
    }
    static void unfit(Status& st, float v, int i, const char* kind, const char* field);
    void text(Status& st, std::string& to, const std::string& utf8, int i, const char* field);
    static void line(Status& st, int16_t& x1, int16_t& x2, int16_t& y1, int16_t& y2, const LineEl& l, int i,
                     const char* kind);
    static void narrow(Status& st, int16_t& to, int32_t v, int i, const char* field);

    const Document& doc_;
    bool full_;
    TextBytesCache* texts_;
};

// Puts item i of a file into `doc`, replacing the elements and the record it had.
class ItemBuilder {
public:
    ItemBuilder(Layout layout, const TextMetrics& metrics);

    void shape(Document& doc, int i, const RawShape& item) const;
    Status label(Document& doc, int i, const RawLabel& item) const;
    // The same, taking the item's texts once they are in the drawing.
    Status label(Document& doc, int i, RawLabel&& item) const;
    void segment(Document& doc, int i, const RawSegment& item) const;
    void arrow(Document& doc, int i, const RawArrow& item) const;
    void diamond(Document& doc, int i, const RawDiamond& item) const;
    // The title block laid out where the file puts it (quillmap only).
    Status frame(Document& doc, const RawDocument& raw) const;

private:
    Status label(Document& doc, int i, const RawLabel& item, RawLabel* taken) const;
    IoError textError(const RawLabel& item, const std::string& field, int i, const char* what, const IoError& e) const;

    Layout layout_;
    const TextMetrics& m_;
    bool full_;
};

}  // namespace qm
