#include "edit/splice.h"

#include <algorithm>
#include <cstdint>

#include "model/element_parts.h"
#include "model/vocabulary.h"

namespace qm {
namespace {

template <class Record>
void forgetInnerLabels(Record& rec) {
    rec.innerCount = 0;
    rec.innerLabel = {};
    rec.innerDX = {};
    rec.innerDY = {};
}

// Builds the document of copied elements, numbering each part on first sight.
class Copier {
public:
    explicit Copier(const Document& from) : from_(from), labels_(static_cast<size_t>(from.labelCount) + 1, 0) {
        Document& d = out;
        d.Shape2.visible = d.Line2.visible = d.Line3.visible = d.Line4.visible = false;
    }

    Document out;

    void shape(int i) {
        const ShapeEl* s = from_.Shape1.find(i);
        const ShapeRecord* src = from_.shapeRecord(i);
        if (!s || !src || !once(shapes_, i)) return;
        const int n = ++out.shapeCount;
        place(out.Shape1, n, *s);
        if (const LineEl* l = from_.LineRect.find(i)) place(out.LineRect, n, *l);
        ShapeRecord& rec = out.shapeRec[static_cast<size_t>(n)] = *src;
        rec.selfIndex = static_cast<int16_t>(src->selfIndex ? n : 0);
        texts(rec, *src);
    }

    void diamond(int i) {
        const DiamondRecord* src = from_.diamondRecord(i);
        if (!src || !from_.lx1.exists(i) || !once(diamonds_, i)) return;
        const int n = ++out.diamondCount;
        const auto to = out.diamondLines();
        const auto lines = from_.diamondLines();
        for (size_t k = 0; k < lines.size(); ++k)
            if (const LineEl* l = lines[k]->find(i)) place(*to[k], n, *l);
        texts(out.diamondRec[static_cast<size_t>(n)] = *src, *src);
    }

    void arrow(int a) {
        const ArrowRecord* src = from_.arrowRecord(a);
        if (!src || !once(arrows_, a)) return;
        const int n = ++out.arrowCount;
        ArrowRecord& rec = out.arrowRec[static_cast<size_t>(n)];
        for (int k = 1; k <= src->segmentCount(); ++k) {
            const LineEl* seg = from_.Line1.find(src->slot[static_cast<size_t>(k)]);
            if (!seg) continue;
            const int s = ++out.segCount;
            place(out.Line1, s, *seg);
            rec.slot[static_cast<size_t>(++rec.count())] = static_cast<int16_t>(s);
        }
        rec.drawCursor() = std::min(src->slot[ArrowRecord::kDrawCursor], rec.count());
        rec.direction() = src->direction();
        rec.head() = static_cast<int16_t>(src->head() ? n : 0);
        for (int d = 0; d < 4; ++d)
            if (const PictureEl* p = from_.heads(d)->find(a)) place(*out.heads(d), n, *p);
    }

    // The label's number among the copied ones; 0 for none.
    int16_t label(int i) {
        const LabelEl* l = i >= 1 && i <= from_.labelCount ? from_.Label.find(i) : nullptr;
        if (!l) return 0;
        int16_t& n = labels_[static_cast<size_t>(i)];
        if (n) return n;
        n = ++out.labelCount;
        place(out.Label, n, *l);
        if (static_cast<size_t>(i) < from_.labelRec.size()) out.labelReserve(n) = from_.labelRec[static_cast<size_t>(i)];
        return n;
    }

private:
    static bool once(std::vector<int>& seen, int i) {
        if (std::find(seen.begin(), seen.end(), i) != seen.end()) return false;
        seen.push_back(i);
        return true;
    }

    template <class T>
    static void place(Collection<T>& to, int n, const T& e) {
        to.create(n);
        *to.find(n) = e;
    }

    // Own texts always (they may be hidden, to be shown again); labels lying on the
    // element only while visible, since a hidden one was deleted.
    template <class Record>
    void texts(Record& rec, const Record& src) {
        rec.label1 = label(src.label1);
        rec.label2 = label(src.label2);
        forgetInnerLabels(rec);
        for (int k = 1; k <= innerLabelCount(src); ++k) {
            const int i = src.innerLabel[static_cast<size_t>(k)];
            if (!from_.Label.visible(i)) continue;
            const auto c = static_cast<size_t>(++rec.innerCount);
            rec.innerLabel[c] = label(i);
            rec.innerDX[c] = src.innerDX[static_cast<size_t>(k)];
            rec.innerDY[c] = src.innerDY[static_cast<size_t>(k)];
        }
    }

    const Document& from_;
    std::vector<int16_t> labels_;  // copied number of each label of `from_`
    std::vector<int> shapes_, diamonds_, arrows_;
};

// The new elements after every index in use, the records following them.
class Paster {
public:
    Paster(Document& doc, const Document& e)
        : doc_(doc), e_(e), labels_(doc.labelCount), shapes_(doc.shapeCount),
          segments_(doc.segCount), arrows_(doc.arrowCount), diamonds_(doc.diamondCount) {}

    std::vector<ElementRef> run() {
        for (int i = 1; i <= e_.labelCount; ++i) {
            copy(doc_.Label, labels_ + i, e_.Label.find(i));
            doc_.labelReserve(labels_ + i) =
                static_cast<size_t>(i) < e_.labelRec.size() ? e_.labelRec[static_cast<size_t>(i)] : LabelReserveRecord{};
        }
        for (int i = 1; i <= e_.shapeCount; ++i) shape(i);
        for (int i = 1; i <= e_.segCount; ++i) copy(doc_.Line1, segments_ + i, e_.Line1.find(i));
        for (int i = 1; i <= e_.arrowCount; ++i) arrow(i);
        for (int i = 1; i <= e_.diamondCount; ++i) diamond(i);
        doc_.labelCount = static_cast<int16_t>(labels_ + e_.labelCount);
        doc_.shapeCount = static_cast<int16_t>(shapes_ + e_.shapeCount);
        doc_.segCount = static_cast<int16_t>(segments_ + e_.segCount);
        doc_.arrowCount = static_cast<int16_t>(arrows_ + e_.arrowCount);
        doc_.diamondCount = static_cast<int16_t>(diamonds_ + e_.diamondCount);
        return pasted();
    }

private:
    // Element i of `to` made anew from the template, then given the pasted one's
    // properties where there is one.
    template <class T>
    static T* copy(Collection<T>& to, int i, const T* from) {
        to.destroy(i);
        to.create(i);
        T* e = to.find(i);
        if (from) *e = *from;
        return e;
    }

    int16_t label(int16_t i) const { return static_cast<int16_t>(i >= 1 ? labels_ + i : 0); }

    // Only the used entries come over: stale ones past the count would name labels
    // of the drawing pasted into.
    template <class Record>
    void texts(Record& rec, const Record& src) const {
        rec.label1 = label(src.label1);
        rec.label2 = label(src.label2);
        forgetInnerLabels(rec);
        rec.innerCount = static_cast<int16_t>(innerLabelCount(src));
        for (int k = 1; k <= rec.innerCount; ++k) {
            const auto c = static_cast<size_t>(k);
            rec.innerLabel[c] = label(src.innerLabel[c]);
            rec.innerDX[c] = src.innerDX[c];
            rec.innerDY[c] = src.innerDY[c];
        }
    }

    void shape(int i) {
        const int n = shapes_ + i;
        copy(doc_.Shape1, n, e_.Shape1.find(i));
        copy(doc_.LineRect, n, e_.LineRect.find(i));
        const ShapeRecord& src = e_.shapeRec[static_cast<size_t>(i)];
        ShapeRecord& rec = doc_.shapeRec[static_cast<size_t>(n)] = src;
        rec.selfIndex = static_cast<int16_t>(src.selfIndex ? n : 0);
        texts(rec, src);
    }

    void arrow(int i) {
        const int n = arrows_ + i;
        const ArrowRecord& src = e_.arrowRec[static_cast<size_t>(i)];
        ArrowRecord& rec = doc_.arrowRec[static_cast<size_t>(n)];
        rec = ArrowRecord{};
        rec.count() = static_cast<int16_t>(src.segmentCount());
        for (int k = 1; k <= rec.count(); ++k) {
            const int16_t s = src.slot[static_cast<size_t>(k)];
            rec.slot[static_cast<size_t>(k)] = static_cast<int16_t>(s >= 1 ? segments_ + s : 0);
        }
        rec.slot[ArrowRecord::kDrawCursor] = src.slot[ArrowRecord::kDrawCursor];
        rec.direction() = src.direction();
        rec.head() = static_cast<int16_t>(src.head() ? n : 0);
        for (int d = 0; d < 4; ++d) {
            Collection<PictureEl>& heads = *doc_.heads(d);
            if (const PictureEl* p = e_.heads(d)->find(i)) {
                copy(heads, n, p);
            } else {
                heads.destroy(n);  // an abandoned arrow's number may have kept one
            }
        }
    }

    void diamond(int i) {
        const int n = diamonds_ + i;
        const auto to = doc_.diamondLines();
        const auto from = e_.diamondLines();
        for (size_t k = 0; k < to.size(); ++k)
            copy(*to[k], n, from[k]->find(i));
        const DiamondRecord& src = e_.diamondRec[static_cast<size_t>(i)];
        texts(doc_.diamondRec[static_cast<size_t>(n)] = src, src);
    }

    // What the user sees as pasted: the labels that are part of a pasted shape or
    // diamond are taken along with it, not on their own; hidden elements and an
    // arrow without segments are not there to see.
    std::vector<ElementRef> pasted() const {
        std::vector<ElementRef> out;
        // What is copied never holds a title block: only shapes and diamonds own labels.
        std::vector<bool> owned(static_cast<size_t>(std::max<int>(e_.labelCount, 0)) + 1, false);
        const auto present = [&](ElementKind kind, int i) { return isPresent(e_, {kind, i}); };
        for (int i = 1; i <= e_.shapeCount; ++i) {
            for (int l : carriedLabels(e_, {ElementKind::Shape, i}))
                if (l <= e_.labelCount) owned[static_cast<size_t>(l)] = true;
            if (present(ElementKind::Shape, i)) out.push_back({ElementKind::Shape, shapes_ + i});
        }
        for (int i = 1; i <= e_.diamondCount; ++i) {
            for (int l : carriedLabels(e_, {ElementKind::Diamond, i}))
                if (l <= e_.labelCount) owned[static_cast<size_t>(l)] = true;
            if (present(ElementKind::Diamond, i)) out.push_back({ElementKind::Diamond, diamonds_ + i});
        }
        for (int i = 1; i <= e_.arrowCount; ++i)
            if (present(ElementKind::Arrow, i)) out.push_back({ElementKind::Arrow, arrows_ + i});
        for (int i = 1; i <= e_.labelCount; ++i)
            if (!owned[static_cast<size_t>(i)] && present(ElementKind::Label, i))
                out.push_back({ElementKind::Label, labels_ + i});
        return out;
    }

    Document& doc_;
    const Document& e_;
    int labels_, shapes_, segments_, arrows_, diamonds_;
};

}  // namespace

Document extractElements(const Document& doc, std::span<const ElementRef> elements) {
    Copier c(doc);
    for (const ElementRef& e : elements) {
        switch (e.kind) {
            case ElementKind::Shape: c.shape(e.index); break;
            case ElementKind::Diamond: c.diamond(e.index); break;
            case ElementKind::Arrow: c.arrow(e.index); break;
            case ElementKind::Label: c.label(e.index); break;
            case ElementKind::TitleBlock: break;  // the drawing's own, never copied
        }
    }
    return std::move(c.out);
}

std::vector<ElementRef> spliceElements(Document& doc, const Document& elements) { return Paster(doc, elements).run(); }

std::optional<BoxF> extent(const Document& elements) {
    std::optional<BoxF> box;
    const auto add = [&](ElementKind kind, int i) {
        if (const std::optional<BoxF> b = outlineOf(elements, {kind, i})) box = box ? unite(*box, *b) : *b;
    };
    // Every label, a shape's texts too: a long text reaches past its shape.
    for (int i = 1; i <= elements.shapeCount; ++i) add(ElementKind::Shape, i);
    for (int i = 1; i <= elements.diamondCount; ++i) add(ElementKind::Diamond, i);
    for (int i = 1; i <= elements.arrowCount; ++i) add(ElementKind::Arrow, i);
    for (int i = 1; i <= elements.labelCount; ++i) add(ElementKind::Label, i);
    return box;
}

// Every element and every position a record holds moved by (dx, dy) twips.
void shiftElements(Document& e, float dx, float dy) {
    const auto box = [dx, dy](auto& c, int count) {
        for (int i = 1; i <= count; ++i) {
            if (auto* el = c.find(i)) {
                el->left += dx;
                el->top += dy;
            }
        }
    };
    const auto lines = [dx, dy](Collection<LineEl>& c, int count) {
        for (int i = 1; i <= count; ++i) {
            if (LineEl* l = c.find(i)) {
                l->x1 += dx;
                l->x2 += dx;
                l->y1 += dy;
                l->y2 += dy;
            }
        }
    };
    box(e.Shape1, e.shapeCount);
    lines(e.LineRect, e.shapeCount);
    box(e.Label, e.labelCount);
    lines(e.Line1, e.segCount);
    for (int d = 0; d < 4; ++d) box(*e.heads(d), e.arrowCount);
    for (Collection<LineEl>* l : e.diamondLines()) lines(*l, e.diamondCount);
    // A record read from elsewhere may hold any position; one near the end of
    // the range stays at that end rather than wrapping round to the other.
    const auto shifted = [](int32_t& v, float by) {
        const double sum = static_cast<double>(v) + static_cast<double>(by);
        if (sum >= INT32_MAX) v = INT32_MAX;
        else if (sum <= INT32_MIN) v = INT32_MIN;
        else if (sum == sum) v = static_cast<int32_t>(sum);
    };
    for (int i = 1; i <= lastRecordIndex(e.shapeCount); ++i) {
        shifted(e.shapeRec[static_cast<size_t>(i)].lastLeft, dx);
        shifted(e.shapeRec[static_cast<size_t>(i)].lastTop, dy);
    }
    for (int i = 1; i <= lastRecordIndex(e.diamondCount); ++i) {
        shifted(e.diamondRec[static_cast<size_t>(i)].x, dx);
        shifted(e.diamondRec[static_cast<size_t>(i)].y, dy);
    }
}

}  // namespace qm
