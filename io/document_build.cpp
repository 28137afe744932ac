#include "io/document_build.h"

#include <cstdio>
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
    Builder(const RawDocument& raw, const TextMetrics& metrics)
        : raw_(raw), m_(metrics), full_(raw.layout == Layout::Quillmap) {}
    Builder(RawDocument& raw, const TextMetrics& metrics) : Builder(std::as_const(raw), metrics) { taken_ = &raw; }

    Result<Document> build() {
        Document doc;
        // A loaded drawing is shown by the same template as a new one.
        autosize(doc.Label.templ(), m_);
        if (!full_) {
            // The reduced editor has no title block.
            doc.Shape2.visible = doc.Line2.visible = doc.Line3.visible = doc.Line4.visible = false;
        }
        shapes(doc);
        if (auto s = labels(doc); !s) return s.error();
        segments(doc);
        arrows(doc);
        diamonds(doc);
        if (full_) {
            const auto x = roundI16(raw_.titleBlockLeft), y = roundI16(raw_.titleBlockTop);
            if (!x || !y) return IoError{"the title block position does not fit the canvas", raw_.end >= 8 ? raw_.end - 8 : 0};
            layoutTitleBlock(doc, *x, *y);
        }
        doc.setModified(false);
        return doc;
    }

private:
    static int16_t count(size_t n) { return static_cast<int16_t>(n); }

    void shapes(Document& doc) {
        for (size_t k = 0; k < raw_.shapes.size(); ++k) {
            const int i = static_cast<int>(k) + 1;
            const RawShape& s = raw_.shapes[k];
            doc.Shape1.create(i);
            ShapeEl& e = *doc.Shape1.find(i);
            e.visible = s.entry.visible != 0;
            e.style = s.entry.style;
            e.left = s.entry.left;
            e.top = s.entry.top;
            if (full_) {  // the reduced editor's shapes keep the template's size
                e.width = s.entry.width;
                e.height = s.entry.height;
            }
            doc.LineRect.create(i);
            LineEl& l = *doc.LineRect.find(i);
            l.visible = s.line.visible != 0;
            l.x1 = s.line.x1;
            l.x2 = s.line.x2;
            l.y1 = s.line.y1;
            l.y2 = s.line.y2;
            if (full_) doc.shapeRec[static_cast<size_t>(i)] = s.record;
            else copyFirstSeven(doc.shapeRec[static_cast<size_t>(i)], s.record);
        }
        doc.shapeCount = count(raw_.shapes.size());
    }

    Status labels(Document& doc) {
        for (size_t k = 0; k < raw_.labels.size(); ++k) {
            const int i = static_cast<int>(k) + 1;
            const RawLabel& s = raw_.labels[k];
            auto caption = decodeDocumentText(s.entry.caption);
            if (!caption) return textError(s, s.entry.caption, i, "caption", caption.error());
            doc.Label.create(i);
            LabelEl& l = *doc.Label.find(i);
            l.left = s.entry.left;
            l.top = s.entry.top;
            l.visible = s.entry.visible != 0;
            l.caption = std::move(caption.value());
            if (full_) {
                auto font = decodeDocumentText(s.entry.fontName);
                if (!font) return textError(s, s.entry.fontName, i, "fontName", font.error());
                l.height = s.entry.height;
                l.width = s.entry.width;  // kept by a word-wrapped label
                l.wordWrap = s.entry.wordWrap != 0;
                l.fontSize = s.entry.fontSize;
                l.fontName = std::move(font.value());
            }
            autosize(l, m_);
            if (taken_) {
                RawLabel& t = taken_->labels[k];
                release(t.entry.caption);
                release(t.entry.fontName);
                doc.labelReserve(i) = std::move(t.reserve);
            } else {
                doc.labelReserve(i) = s.reserve;
            }
        }
        doc.labelCount = count(raw_.labels.size());
        return {};
    }

    void segments(Document& doc) {
        for (size_t k = 0; k < raw_.segments.size(); ++k) {
            const int i = static_cast<int>(k) + 1;
            const SegmentEntry& s = raw_.segments[k].entry;
            doc.Line1.create(i);
            LineEl& l = *doc.Line1.find(i);
            l.x1 = s.x1;
            l.x2 = s.x2;
            l.y1 = s.y1;
            l.y2 = s.y2;
            l.visible = s.visible != 0;
        }
        doc.segCount = count(raw_.segments.size());
    }

    // Every arrow gets all four pictures, the three it does not point with hidden.
    void arrows(Document& doc) {
        for (size_t k = 0; k < raw_.arrows.size(); ++k) {
            const int i = static_cast<int>(k) + 1;
            const RawArrow& a = raw_.arrows[k];
            doc.arrowRec[static_cast<size_t>(i)] = a.record;
            for (int d = 0; d < 4; ++d) {
                Collection<PictureEl>& pics = *doc.heads(d);
                pics.create(i);
                PictureEl& p = *pics.find(i);
                const PictureEntry& e = a.heads.pictures[static_cast<size_t>(d)];
                p.left = e.left;
                p.top = e.top;
                p.visible = e.visible != 0;
            }
        }
        doc.arrowCount = count(raw_.arrows.size());
    }

    // The lines are laid out on the stored box; the texts, inner ones included, stay
    // where the file put them, since the stored offsets can be out of date.
    void diamonds(Document& doc) {
        for (size_t k = 0; k < raw_.diamonds.size(); ++k) {
            const int i = static_cast<int>(k) + 1;
            const RawDiamond& d = raw_.diamonds[k];
            DiamondRecord& rec = doc.diamondRec[static_cast<size_t>(i)];
            int16_t w = d.entry.width, h = d.entry.height;
            if (full_) {
                rec = d.record;
            } else {
                rec.label1 = d.record.label1;
                rec.label2 = d.record.label2;
                rec.width = w = kQmpDiamondWidth;
                rec.height = h = kQmpDiamondHeight;
            }
            for (Collection<LineEl>* lines : doc.diamondLines()) lines->create(i);
            layoutDiamondLines(doc, d.entry.left, d.entry.top, w, h, i);
            rec.x = d.entry.left;
            rec.y = d.entry.top;
            for (Collection<LineEl>* lines : doc.diamondLines()) lines->setVisible(i, d.entry.visible != 0);
        }
        doc.diamondCount = count(raw_.diamonds.size());
    }

    IoError textError(const RawLabel& item, const std::string& field, int i, const char* what, const IoError& e) const {
        return IoError{"label " + std::to_string(i) + ": " + what + ": " + e.message,
                       item.at + layout::offsetInItem(item, &field, raw_.layout) + 2 + e.offset.value_or(0)};
    }

    const RawDocument& raw_;
    RawDocument* taken_ = nullptr;  // the same raw view, when its texts may be taken
    const TextMetrics& m_;
    bool full_;
};

// Collects the fields of a document for the file, stopping at the first value the
// file cannot hold.
class Flattener {
public:
    Flattener(const Document& doc, Layout layout) : doc_(doc), full_(layout == Layout::Quillmap) {
        raw_.layout = layout;
    }

    Result<RawDocument> run() {
        if (full_) {
            raw_.tag = quillmapTag();
            raw_.version = doc_.fileVersion;
        }
        if (counts() && shapes() && labels() && segments() && arrows() && diamonds() && full_) {
            raw_.titleBlockLeft = doc_.Shape2.left;
            raw_.titleBlockTop = doc_.Shape2.top;
        }
        if (error_) return *error_;
        return std::move(raw_);
    }

private:
    bool fail(std::string message) {
        if (!error_) error_ = IoError{std::move(message), std::nullopt};
        return false;
    }

    bool counter(const char* name, int16_t value, int max) {
        if (value >= 0 && value <= max) return true;
        return fail(std::string(name) + " " + std::to_string(value) + " is outside 0 to " + std::to_string(max));
    }

    bool counts() {
        return counter("shapeCount", doc_.shapeCount, kMaxShapes) && counter("labelCount", doc_.labelCount, kMaxLabels) &&
               counter("segCount", doc_.segCount, kMaxSegments) && counter("arrowCount", doc_.arrowCount, kMaxArrows) &&
               counter("diamondCount", doc_.diamondCount, kMaxDiamonds);
    }

    // Geometry is stored rounded to the nearest integer, halves to even.
    bool put(int16_t& to, float v, const std::string& who, const char* field) {
        if (const auto r = roundI16(v)) {
            to = *r;
            return true;
        }
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
        return fail(who + ": " + field + " " + buf + " does not fit a 16-bit field of the file");
    }

    bool text(std::string& to, const std::string& utf8, const std::string& who, const char* field) {
        auto r = encodeDocumentText(utf8);
        if (!r) return fail(who + ": " + field + ": " + r.error().describe());
        if (r->size() > 0xFFFF)
            return fail(who + ": " + field + " takes " + std::to_string(r->size()) +
                        " bytes, more than the 65535 a document can store");
        to = std::move(r.value());
        return true;
    }

    bool shapes() {
        raw_.shapes.resize(static_cast<size_t>(doc_.shapeCount));
        for (int i = 1; i <= doc_.shapeCount; ++i) {
            RawShape& s = raw_.shapes[static_cast<size_t>(i - 1)];
            const std::string who = "shape " + std::to_string(i);
            // A missing element leaves its entry zero, as the file always had it.
            if (const ShapeEl* e = doc_.Shape1.find(i)) {
                if (!put(s.entry.left, e->left, who, "left") || !put(s.entry.top, e->top, who, "top")) return false;
                s.entry.visible = boolI16(e->visible);
                s.entry.style = e->style;
                if (full_ && (!put(s.entry.width, e->width, who, "width") || !put(s.entry.height, e->height, who, "height")))
                    return false;
            }
            if (const LineEl* l = doc_.LineRect.find(i)) {
                if (!line(s.line.x1, s.line.x2, s.line.y1, s.line.y2, *l, who)) return false;
                s.line.visible = boolI16(l->visible);
            }
            s.record = doc_.shapeRec[static_cast<size_t>(i)];
        }
        return true;
    }

    bool line(int16_t& x1, int16_t& x2, int16_t& y1, int16_t& y2, const LineEl& l, const std::string& who) {
        return put(x1, l.x1, who, "x1") && put(x2, l.x2, who, "x2") && put(y1, l.y1, who, "y1") && put(y2, l.y2, who, "y2");
    }

    bool labels() {
        raw_.labels.resize(static_cast<size_t>(doc_.labelCount));
        for (int i = 1; i <= doc_.labelCount; ++i) {
            RawLabel& s = raw_.labels[static_cast<size_t>(i - 1)];
            const std::string who = "label " + std::to_string(i);
            if (const LabelEl* l = doc_.Label.find(i)) {
                if (!put(s.entry.left, l->left, who, "left") || !put(s.entry.top, l->top, who, "top") ||
                    !text(s.entry.caption, l->caption, who, "caption"))
                    return false;
                s.entry.visible = boolI16(l->visible);
                if (full_) {
                    if (!put(s.entry.height, l->height, who, "height") || !put(s.entry.width, l->width, who, "width") ||
                        !put(s.entry.fontSize, l->fontSize, who, "font size") ||
                        !text(s.entry.fontName, l->fontName, who, "font name"))
                        return false;
                    s.entry.wordWrap = boolI16(l->wordWrap);
                }
            }
            if (static_cast<size_t>(i) < doc_.labelRec.size()) s.reserve = doc_.labelRec[static_cast<size_t>(i)];
            if (s.reserve.text.size() > 0xFFFF)
                return fail(who + ": the reserved text is longer than the 65535 bytes a document can store");
        }
        return true;
    }

    bool segments() {
        raw_.segments.resize(static_cast<size_t>(doc_.segCount));
        for (int i = 1; i <= doc_.segCount; ++i) {
            SegmentEntry& s = raw_.segments[static_cast<size_t>(i - 1)].entry;
            if (const LineEl* l = doc_.Line1.find(i)) {
                if (!line(s.x1, s.x2, s.y1, s.y2, *l, "segment " + std::to_string(i))) return false;
                s.visible = boolI16(l->visible);
            }
        }
        return true;
    }

    // An arrow drawn in the editor has one picture; the other three are written as
    // (0, 0, 0).
    bool arrows() {
        raw_.arrows.resize(static_cast<size_t>(doc_.arrowCount));
        for (int i = 1; i <= doc_.arrowCount; ++i) {
            RawArrow& a = raw_.arrows[static_cast<size_t>(i - 1)];
            const std::string who = "arrow " + std::to_string(i);
            a.record = doc_.arrowRec[static_cast<size_t>(i)];
            for (int d = 0; d < 4; ++d) {
                PictureEntry& e = a.heads.pictures[static_cast<size_t>(d)];
                if (const PictureEl* p = doc_.heads(d)->find(i)) {
                    if (!put(e.left, p->left, who, "head left") || !put(e.top, p->top, who, "head top")) return false;
                    e.visible = boolI16(p->visible);
                }
            }
        }
        return true;
    }

    bool diamonds() {
        raw_.diamonds.resize(static_cast<size_t>(doc_.diamondCount));
        for (int i = 1; i <= doc_.diamondCount; ++i) {
            RawDiamond& d = raw_.diamonds[static_cast<size_t>(i - 1)];
            const std::string who = "diamond " + std::to_string(i);
            const DiamondRecord& rec = doc_.diamondRec[static_cast<size_t>(i)];
            // The box's corner is where the first edge starts (left) and ends (top).
            if (const LineEl* l = doc_.lx1.find(i)) {
                if (!put(d.entry.left, l->x1, who, "left") || !put(d.entry.top, l->y2, who, "top")) return false;
                d.entry.visible = boolI16(l->visible);
            }
            if (full_) {
                if (!narrow(d.entry.width, rec.width, who, "width") || !narrow(d.entry.height, rec.height, who, "height"))
                    return false;
            }
            d.record = rec;
        }
        return true;
    }

    bool narrow(int16_t& to, int32_t v, const std::string& who, const char* field) {
        if (v >= INT16_MIN && v <= INT16_MAX) {
            to = static_cast<int16_t>(v);
            return true;
        }
        return fail(who + ": " + field + " " + std::to_string(v) + " does not fit a 16-bit field of the file");
    }

    const Document& doc_;
    bool full_;
    RawDocument raw_;
    std::optional<IoError> error_;
};

}  // namespace

Result<Document> buildDocument(const RawDocument& raw, const TextMetrics& metrics) {
    return Builder(raw, metrics).build();
}

Result<Document> buildDocument(RawDocument&& raw, const TextMetrics& metrics) { return Builder(raw, metrics).build(); }

Result<RawDocument> rawFromDocument(const Document& doc, Layout layout) { return Flattener(doc, layout).run(); }

}  // namespace qm
