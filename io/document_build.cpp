#include "io/document_build.h"

#include <cstdio>
#include <tuple>
#include <utility>

#include "io/codepage.h"
#include "io/raw_layout.h"
#include "model/labels.h"
#include "model/relayout.h"
#include "model/rounding.h"
#include "model/title_block.h"

namespace qm {
namespace {

void copyFirstSeven(ShapeRecord& to, const ShapeRecord& from) {
    to.selfIndex = from.selfIndex;
    to.moved = from.moved;
    to.lastLeft = from.lastLeft;
    to.lastTop = from.lastTop;
    to.label1 = from.label1;
    to.label2 = from.label2;
    to.shapeType = from.shapeType;
}

void release(std::string& s) { std::string().swap(s); }

class Builder {
public:
    Builder(const RawDocument& raw, const TextMetrics& metrics, Contents contents = Contents::Drawing)
        : raw_(raw), items_(raw.layout, metrics), m_(metrics),
          titleBlock_(raw.layout == Layout::Quillmap && contents == Contents::Drawing) {}
    Builder(RawDocument& raw, const TextMetrics& metrics) : Builder(std::as_const(raw), metrics) { taken_ = &raw; }

    Result<Document> build() {
        Document doc;
        // A loaded drawing is shown by the same template as a new one.
        autosize(doc.Label.templ(), m_);
        // The reduced editor has no title block, nor have elements on their own.
        if (!titleBlock_) removeTitleBlock(doc);
        for (size_t k = 0; k < raw_.shapes.size(); ++k) items_.shape(doc, index(k), raw_.shapes[k]);
        for (size_t k = 0; k < raw_.labels.size(); ++k) {
            Status s = taken_ ? items_.label(doc, index(k), std::move(taken_->labels[k]))
                              : items_.label(doc, index(k), raw_.labels[k]);
            if (!s) return s.error();
        }
        for (size_t k = 0; k < raw_.segments.size(); ++k) items_.segment(doc, index(k), raw_.segments[k]);
        for (size_t k = 0; k < raw_.arrows.size(); ++k) items_.arrow(doc, index(k), raw_.arrows[k]);
        for (size_t k = 0; k < raw_.diamonds.size(); ++k) items_.diamond(doc, index(k), raw_.diamonds[k]);
        doc.shapeCount = count(raw_.shapes.size());
        doc.labelCount = count(raw_.labels.size());
        doc.segCount = count(raw_.segments.size());
        doc.arrowCount = count(raw_.arrows.size());
        doc.diamondCount = count(raw_.diamonds.size());
        if (titleBlock_)
            if (auto s = items_.frame(doc, raw_); !s) return s.error();
        doc.setModified(false);
        return doc;
    }

private:
    static int16_t count(size_t n) { return static_cast<int16_t>(n); }
    static int index(size_t k) { return static_cast<int>(k) + 1; }

    const RawDocument& raw_;
    RawDocument* taken_ = nullptr;  // the same raw view, when its texts may be taken
    ItemBuilder items_;
    const TextMetrics& m_;
    bool titleBlock_;
};

template <class C>
void recreate(C& collection, int i) {
    collection.destroy(i);
    collection.create(i);
}

}  // namespace

ItemBuilder::ItemBuilder(Layout layout, const TextMetrics& metrics)
    : layout_(layout), m_(metrics), full_(layout == Layout::Quillmap) {}

void ItemBuilder::shape(Document& doc, int i, const RawShape& s) const {
    recreate(doc.Shape1, i);
    ShapeEl& e = *doc.Shape1.find(i);
    e.visible = s.entry.visible != 0;
    e.style = s.entry.style;
    e.left = s.entry.left;
    e.top = s.entry.top;
    if (full_) {  // the reduced editor's shapes keep the template's size
        e.width = s.entry.width;
        e.height = s.entry.height;
    }
    recreate(doc.LineRect, i);
    LineEl& l = *doc.LineRect.find(i);
    l.visible = s.line.visible != 0;
    l.x1 = s.line.x1;
    l.x2 = s.line.x2;
    l.y1 = s.line.y1;
    l.y2 = s.line.y2;
    ShapeRecord& rec = doc.shapeRec[static_cast<size_t>(i)];
    if (full_) {
        rec = s.record;
    } else {
        rec = ShapeRecord{};
        copyFirstSeven(rec, s.record);
    }
}

Status ItemBuilder::label(Document& doc, int i, const RawLabel& s) const { return label(doc, i, s, nullptr); }

Status ItemBuilder::label(Document& doc, int i, RawLabel&& s) const { return label(doc, i, s, &s); }

Status ItemBuilder::label(Document& doc, int i, const RawLabel& s, RawLabel* taken) const {
    auto caption = decodeDocumentText(s.entry.caption);
    if (!caption) return textError(s, s.entry.caption, i, "caption", caption.error());
    std::string font;
    if (full_) {
        auto name = decodeDocumentText(s.entry.fontName);
        if (!name) return textError(s, s.entry.fontName, i, "fontName", name.error());
        font = std::move(name.value());
    }
    recreate(doc.Label, i);
    LabelEl& l = *doc.Label.find(i);
    l.left = s.entry.left;
    l.top = s.entry.top;
    l.visible = s.entry.visible != 0;
    l.caption = std::move(caption.value());
    if (full_) {
        l.height = s.entry.height;
        l.width = s.entry.width;  // kept by a word-wrapped label
        l.wordWrap = s.entry.wordWrap != 0;
        l.fontSize = s.entry.fontSize;
        l.fontName = std::move(font);
    }
    autosize(l, m_);
    if (taken) {
        release(taken->entry.caption);
        release(taken->entry.fontName);
        doc.labelReserve(i) = std::move(taken->reserve);
    } else {
        doc.labelReserve(i) = s.reserve;
    }
    return {};
}

void ItemBuilder::segment(Document& doc, int i, const RawSegment& raw) const {
    const SegmentEntry& s = raw.entry;
    recreate(doc.Line1, i);
    LineEl& l = *doc.Line1.find(i);
    l.x1 = s.x1;
    l.x2 = s.x2;
    l.y1 = s.y1;
    l.y2 = s.y2;
    l.visible = s.visible != 0;
}

// Every arrow gets all four pictures, the three it does not point with hidden.
void ItemBuilder::arrow(Document& doc, int i, const RawArrow& a) const {
    doc.arrowRec[static_cast<size_t>(i)] = a.record;
    for (int d = 0; d < 4; ++d) {
        Collection<PictureEl>& pics = *doc.heads(d);
        recreate(pics, i);
        PictureEl& p = *pics.find(i);
        const PictureEntry& e = a.heads.pictures[static_cast<size_t>(d)];
        p.left = e.left;
        p.top = e.top;
        p.visible = e.visible != 0;
    }
}

// The lines are laid out on the stored box; the texts, inner ones included, stay
// where the file put them, since the stored offsets can be out of date.
void ItemBuilder::diamond(Document& doc, int i, const RawDiamond& d) const {
    DiamondRecord& rec = doc.diamondRec[static_cast<size_t>(i)];
    int16_t w = d.entry.width, h = d.entry.height;
    if (full_) {
        rec = d.record;
    } else {
        rec = DiamondRecord{};
        rec.label1 = d.record.label1;
        rec.label2 = d.record.label2;
        rec.width = w = kQmpDiamondWidth;
        rec.height = h = kQmpDiamondHeight;
    }
    for (Collection<LineEl>* lines : doc.diamondLines()) recreate(*lines, i);
    layoutDiamondLines(doc, d.entry.left, d.entry.top, w, h, i);
    rec.x = d.entry.left;
    rec.y = d.entry.top;
    for (Collection<LineEl>* lines : doc.diamondLines()) lines->setVisible(i, d.entry.visible != 0);
}

Status ItemBuilder::frame(Document& doc, const RawDocument& raw) const {
    if (!full_) return {};
    const auto x = roundI16(raw.titleBlockLeft), y = roundI16(raw.titleBlockTop);
    if (!x || !y) return IoError{"the title block position does not fit the canvas", raw.end >= 8 ? raw.end - 8 : 0};
    layoutTitleBlock(doc, *x, *y);
    return {};
}

IoError ItemBuilder::textError(const RawLabel& item, const std::string& field, int i, const char* what,
                               const IoError& e) const {
    return IoError{"label " + std::to_string(i) + ": " + what + ": " + e.message,
                   item.at + layout::offsetInItem(item, &field, layout_) + 2 + e.offset.value_or(0)};
}

namespace {

// Collects the fields of a document for the file, stopping at the first value the
// file cannot hold.
class Flattener {
public:
    Flattener(const Document& doc, Layout layout) : items_(doc, layout) { raw_.layout = layout; }

    Result<RawDocument> run() {
        const Document& doc = items_.document();
        items_.frame(raw_);
        // Every count is checked before any item is looked at.
        for (auto [count, name, max] : {std::tuple{doc.shapeCount, "shapeCount", kMaxShapes},
                                        {doc.labelCount, "labelCount", kMaxLabels},
                                        {doc.segCount, "segCount", kMaxSegments},
                                        {doc.arrowCount, "arrowCount", kMaxArrows},
                                        {doc.diamondCount, "diamondCount", kMaxDiamonds}})
            if (count < 0 || count > max)
                return IoError{std::string(name) + " " + std::to_string(count) + " is outside 0 to " + std::to_string(max),
                               std::nullopt};
        if (Status s = fill(raw_.shapes, doc.shapeCount); !s) return s.error();
        if (Status s = fill(raw_.labels, doc.labelCount); !s) return s.error();
        if (Status s = fill(raw_.segments, doc.segCount); !s) return s.error();
        if (Status s = fill(raw_.arrows, doc.arrowCount); !s) return s.error();
        if (Status s = fill(raw_.diamonds, doc.diamondCount); !s) return s.error();
        return std::move(raw_);
    }

private:
    template <class Item>
    Status fill(std::vector<Item>& items, int16_t count) {
        items.resize(static_cast<size_t>(count));
        for (int i = 1; i <= count; ++i)
            if (Status s = items_.item(i, items[static_cast<size_t>(i - 1)]); !s) return s;
        return {};
    }

    ItemFlattener items_;
    RawDocument raw_;
};

}  // namespace

Status TextBytesCache::encode(std::string& to, const std::string& utf8) {
    for (const Recent& e : recent_) {
        if (e.known && e.utf8 == utf8) {
            to = e.bytes;
            return {};
        }
    }
    if (auto hit = bytes_.find(utf8); hit != bytes_.end()) {
        to = hit->second;
        newest_ = 1 - newest_;
        Recent& kept = recent_[newest_];
        kept.utf8 = hit->first;
        kept.bytes = hit->second;
        kept.known = true;
        return {};
    }
    auto r = encodeDocumentText(utf8);
    if (!r) return r.error();
    if (bytes_.size() >= 4096) bytes_.clear();
    to = *r;
    bytes_.emplace(utf8, std::move(r.value()));
    return {};
}

ItemFlattener::ItemFlattener(const Document& doc, Layout layout, TextBytesCache* texts)
    : doc_(doc), full_(layout == Layout::Quillmap), texts_(texts) {}

void ItemFlattener::frame(RawDocument& raw) const {
    raw.layout = full_ ? Layout::Quillmap : Layout::Qmp;
    if (!full_) return;
    raw.tag = quillmapTag();
    raw.version = doc_.fileVersion;
    raw.titleBlockLeft = doc_.Shape2.left;
    raw.titleBlockTop = doc_.Shape2.top;
}

Status ItemFlattener::fail(std::string message) { return IoError{std::move(message), std::nullopt}; }

void ItemFlattener::unfit(Status& st, float v, int i, const char* kind, const char* field) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
    st = fail(std::string(kind) + " " + std::to_string(i) + ": " + field + " " + buf +
              " does not fit a 16-bit field of the file");
}

void ItemFlattener::text(Status& st, std::string& to, const std::string& utf8, int i, const char* field) {
    if (!st) return;
    Status converted;
    if (texts_) {
        converted = texts_->encode(to, utf8);
    } else if (auto r = encodeDocumentText(utf8)) {
        to = std::move(r.value());
    } else {
        converted = r.error();
    }
    const auto who = [i] { return "label " + std::to_string(i); };
    if (!converted)
        st = fail(who() + ": " + field + ": " + converted.error().describe());
    else if (to.size() > 0xFFFF)
        st = fail(who() + ": " + field + " takes " + std::to_string(to.size()) +
                  " bytes, more than the 65535 a document can store");
}

void ItemFlattener::line(Status& st, int16_t& x1, int16_t& x2, int16_t& y1, int16_t& y2, const LineEl& l, int i,
                         const char* kind) {
    put(st, x1, l.x1, i, kind, "x1");
    put(st, x2, l.x2, i, kind, "x2");
    put(st, y1, l.y1, i, kind, "y1");
    put(st, y2, l.y2, i, kind, "y2");
}

Status ItemFlattener::item(int i, RawShape& s) {
    s = RawShape{};
    Status st;
    // A missing element leaves its entry zero, as the file always had it.
    if (const ShapeEl* e = doc_.Shape1.find(i)) {
        put(st, s.entry.left, e->left, i, "shape", "left");
        put(st, s.entry.top, e->top, i, "shape", "top");
        s.entry.visible = boolI16(e->visible);
        s.entry.style = e->style;
        if (full_) {
            put(st, s.entry.width, e->width, i, "shape", "width");
            put(st, s.entry.height, e->height, i, "shape", "height");
        }
    }
    if (const LineEl* l = doc_.LineRect.find(i)) {
        line(st, s.line.x1, s.line.x2, s.line.y1, s.line.y2, *l, i, "shape");
        s.line.visible = boolI16(l->visible);
    }
    s.record = doc_.shapeRec[static_cast<size_t>(i)];
    return st;
}

Status ItemFlattener::item(int i, RawLabel& s) {
    Status st;
    const LabelEl* l = doc_.Label.find(i);
    // A label of the quillmap layout sets every field below; only what it leaves
    // is cleared, so that `s` keeps its texts' buffers for the next label.
    if (!l || !full_) s.entry = LabelEntry{};
    if (l) {
        put(st, s.entry.left, l->left, i, "label", "left");
        put(st, s.entry.top, l->top, i, "label", "top");
        text(st, s.entry.caption, l->caption, i, "caption");
        s.entry.visible = boolI16(l->visible);
        if (full_) {
            put(st, s.entry.height, l->height, i, "label", "height");
            put(st, s.entry.width, l->width, i, "label", "width");
            put(st, s.entry.fontSize, l->fontSize, i, "label", "font size");
            text(st, s.entry.fontName, l->fontName, i, "font name");
            s.entry.wordWrap = boolI16(l->wordWrap);
        }
    }
    if (!st) return st;
    if (static_cast<size_t>(i) < doc_.labelRec.size())
        s.reserve = doc_.labelRec[static_cast<size_t>(i)];
    else
        s.reserve = LabelReserveRecord{};
    if (s.reserve.text.size() > 0xFFFF)
        return fail("label " + std::to_string(i) + ": the reserved text is longer than the 65535 bytes a document can store");
    return {};
}

Status ItemFlattener::item(int i, RawSegment& raw) {
    SegmentEntry& s = raw.entry;
    s = SegmentEntry{};
    Status st;
    if (const LineEl* l = doc_.Line1.find(i)) {
        line(st, s.x1, s.x2, s.y1, s.y2, *l, i, "segment");
        s.visible = boolI16(l->visible);
    }
    return st;
}

// An arrow drawn in the editor has one picture; the other three are written as
// (0, 0, 0).
Status ItemFlattener::item(int i, RawArrow& a) {
    a.record = doc_.arrowRec[static_cast<size_t>(i)];
    Status st;
    for (int d = 0; d < 4; ++d) {
        PictureEntry& e = a.heads.pictures[static_cast<size_t>(d)];
        e = PictureEntry{};
        if (const PictureEl* p = doc_.heads(d)->find(i)) {
            put(st, e.left, p->left, i, "arrow", "head left");
            put(st, e.top, p->top, i, "arrow", "head top");
            e.visible = boolI16(p->visible);
        }
    }
    return st;
}

Status ItemFlattener::item(int i, RawDiamond& d) {
    d.entry = DiamondEntry{};
    const DiamondRecord& rec = doc_.diamondRec[static_cast<size_t>(i)];
    Status st;
    // The box's corner is where the first edge starts (left) and ends (top).
    if (const LineEl* l = doc_.lx1.find(i)) {
        put(st, d.entry.left, l->x1, i, "diamond", "left");
        put(st, d.entry.top, l->y2, i, "diamond", "top");
        d.entry.visible = boolI16(l->visible);
    }
    if (full_) {
        narrow(st, d.entry.width, rec.width, i, "width");
        narrow(st, d.entry.height, rec.height, i, "height");
    }
    d.record = rec;
    return st;
}

void ItemFlattener::narrow(Status& st, int16_t& to, int32_t v, int i, const char* field) {
    if (!st) return;
    if (v >= INT16_MIN && v <= INT16_MAX)
        to = static_cast<int16_t>(v);
    else
        st = fail("diamond " + std::to_string(i) + ": " + field + " " + std::to_string(v) +
                  " does not fit a 16-bit field of the file");
}

Result<Document> buildDocument(const RawDocument& raw, const TextMetrics& metrics, Contents contents) {
    return Builder(raw, metrics, contents).build();
}

Result<Document> buildDocument(RawDocument&& raw, const TextMetrics& metrics) { return Builder(raw, metrics).build(); }

Result<RawDocument> rawFromDocument(const Document& doc, Layout layout) { return Flattener(doc, layout).run(); }

}  // namespace qm
