#include "model/element_parts.h"

#include <algorithm>

namespace qm {
namespace {

BoxF boxOf(float l, float t, float w, float h) { return {l, t, l + w, t + h}; }

BoxF boxOf(const LineEl& l) {
    return {std::min(l.x1, l.x2), std::min(l.y1, l.y2), std::max(l.x1, l.x2), std::max(l.y1, l.y2)};
}

template <class Record>
void addInner(std::vector<int>& out, const Record& r) {
    for (int i : {int{r.label1}, int{r.label2}})
        if (i > 0) out.push_back(i);
    for (int k = 1; k <= innerLabelCount(r); ++k)
        if (r.innerLabel[static_cast<size_t>(k)] > 0) out.push_back(r.innerLabel[static_cast<size_t>(k)]);
}

}  // namespace

BoxF unite(const BoxF& a, const BoxF& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

std::optional<BoxF> outlineOf(const Document& doc, ElementRef e) {
    switch (e.kind) {
        case ElementKind::Shape: {
            const ShapeEl* s = doc.Shape1.find(e.index);
            if (!s || !s->visible) return std::nullopt;
            return boxOf(s->left, s->top, s->width, s->height);
        }
        case ElementKind::Diamond: {
            std::optional<BoxF> box;
            for (const Collection<LineEl>* lines : doc.diamondLines())
                if (const LineEl* l = lines->find(e.index); l && l->visible)
                    box = box ? unite(*box, boxOf(*l)) : boxOf(*l);
            return box;
        }
        case ElementKind::Arrow: {
            const ArrowRecord* r = doc.arrowRecord(e.index);
            if (!r) return std::nullopt;
            std::optional<BoxF> box;
            for (int k = 1; k <= r->segmentCount(); ++k)
                if (const LineEl* s = doc.Line1.find(r->slot[static_cast<size_t>(k)]); s && s->visible)
                    box = box ? unite(*box, boxOf(*s)) : boxOf(*s);
            const Collection<PictureEl>* heads = doc.heads(r->direction());
            if (const PictureEl* h = heads ? heads->find(r->head()) : nullptr; h && h->visible) {
                const BoxF head = boxOf(h->left, h->top, h->width, h->height);
                box = box ? unite(*box, head) : head;
            }
            return box;
        }
        case ElementKind::Label: {
            const LabelEl* l = doc.Label.find(e.index);
            if (!l || !l->visible) return std::nullopt;
            return boxOf(l->left, l->top, l->width, l->height);
        }
        case ElementKind::TitleBlock: {
            const ShapeEl& f = doc.Shape2;
            if (!f.visible) return std::nullopt;
            return boxOf(f.left, f.top, f.width, f.height);
        }
    }
    return std::nullopt;
}

std::optional<std::array<PointF, 4>> connectionPoints(const Document& doc, ElementRef e) {
    if (e.kind == ElementKind::Shape) {
        const ShapeEl* s = doc.Shape1.find(e.index);
        const LineEl* divider = doc.LineRect.find(e.index);
        if (!s || !s->visible || !divider) return std::nullopt;
        const float l = s->left, t = s->top, w = s->width, h = s->height, yd = divider->y1;
        return std::array<PointF, 4>{{{l, yd}, {l + w, yd}, {l + w / 2, t}, {l + w / 2, t + h}}};
    }
    if (e.kind == ElementKind::Diamond) {
        const LineEl *l1 = doc.lx1.find(e.index), *l2 = doc.lx2.find(e.index), *l4 = doc.lx4.find(e.index);
        if (!l1 || !l1->visible || !l2 || !l4) return std::nullopt;
        return std::array<PointF, 4>{{{l1->x1, l1->y1}, {l2->x2, l1->y1}, {l1->x2, l1->y2}, {l1->x2, l4->y1}}};
    }
    return std::nullopt;
}

std::vector<int> carriedLabels(const Document& doc, ElementRef e) {
    std::vector<int> out;
    if (e.kind == ElementKind::Shape) {
        if (const ShapeRecord* r = doc.shapeRecord(e.index)) addInner(out, *r);
    } else if (e.kind == ElementKind::Diamond) {
        if (const DiamondRecord* r = doc.diamondRecord(e.index)) addInner(out, *r);
    }
    return out;
}

}  // namespace qm
