#include "model/chart_elements.h"

#include <algorithm>

#include "model/title_block.h"

namespace qm {
namespace {

bool hasTitleBlock(const Document& doc) { return doc.Shape2.visible; }

// A label that is some element's text rather than an element of its own.
std::vector<bool> ownedLabels(const Document& doc) {
    std::vector<bool> owned(static_cast<size_t>(std::max<int>(doc.labelCount, 0)) + 1);
    const auto own = [&owned](int i) {
        if (i > 0 && i < static_cast<int>(owned.size())) owned[static_cast<size_t>(i)] = true;
    };
    for (int i = 1; i <= lastRecordIndex(doc.shapeCount); ++i)
        if (doc.Shape1.exists(i)) own(doc.shapeRec[static_cast<size_t>(i)].label1), own(doc.shapeRec[static_cast<size_t>(i)].label2);
    for (int i = 1; i <= lastRecordIndex(doc.diamondCount); ++i)
        if (doc.lx1.exists(i)) own(doc.diamondRec[static_cast<size_t>(i)].label1), own(doc.diamondRec[static_cast<size_t>(i)].label2);
    if (hasTitleBlock(doc))
        for (int i : elementLabels(doc, {ElementKind::TitleBlock, 0})) own(i);
    return owned;
}

bool arrowShown(const Document& doc, int a) {
    const ArrowRecord* r = doc.arrowRecord(a);
    const LineEl* first = r && r->segmentCount() > 0 ? doc.Line1.find(r->slot[1]) : nullptr;
    return first && first->visible;
}

}  // namespace

std::vector<ElementRef> chartElements(const Document& doc) {
    std::vector<ElementRef> out;
    for (int i = 1; i <= lastRecordIndex(doc.shapeCount); ++i)
        if (doc.Shape1.visible(i)) out.push_back({ElementKind::Shape, i});
    const std::vector<bool> owned = ownedLabels(doc);
    for (int i = 1; i <= doc.labelCount; ++i)
        if (!owned[static_cast<size_t>(i)] && doc.Label.visible(i)) out.push_back({ElementKind::Label, i});
    for (int a = 1; a <= lastRecordIndex(doc.arrowCount); ++a)
        if (arrowShown(doc, a)) out.push_back({ElementKind::Arrow, a});
    for (int i = 1; i <= lastRecordIndex(doc.diamondCount); ++i)
        if (doc.lx1.visible(i)) out.push_back({ElementKind::Diamond, i});
    if (hasTitleBlock(doc)) out.push_back({ElementKind::TitleBlock, 0});
    return out;
}

std::vector<int> elementLabels(const Document& doc, ElementRef e) {
    switch (e.kind) {
        case ElementKind::Shape:
            if (const ShapeRecord* r = doc.shapeRecord(e.index)) return {r->label1, r->label2};
            return {};
        case ElementKind::Diamond:
            if (const DiamondRecord* r = doc.diamondRecord(e.index)) return {r->label1, r->label2};
            return {};
        case ElementKind::Label: return {e.index};
        case ElementKind::Arrow: return {};
        case ElementKind::TitleBlock: {
            std::vector<int> out{kTitleLabel, kNumberLabel};
            for (int row = 0; row < 3; ++row) out.insert(out.end(), {cellLabel(row, 0), cellLabel(row, 1)});
            return out;
        }
    }
    return {};
}

ElementBox elementBox(const Document& doc, ElementRef e) {
    const auto box = [](float l, float t, float r, float b) { return ElementBox{l, t, r - l, b - t}; };
    switch (e.kind) {
        case ElementKind::Shape:
            if (const ShapeEl* s = doc.Shape1.find(e.index)) return {s->left, s->top, s->width, s->height};
            break;
        case ElementKind::Diamond: {
            // The box's edges are where the first edge starts and the others turn.
            const LineEl *l1 = doc.lx1.find(e.index), *l2 = doc.lx2.find(e.index), *l4 = doc.lx4.find(e.index);
            if (l1 && l2 && l4) return box(l1->x1, l1->y2, l2->x2, l4->y1);
            break;
        }
        case ElementKind::Label:
            if (const LabelEl* l = doc.Label.find(e.index)) return {l->left, l->top, l->width, l->height};
            break;
        case ElementKind::Arrow: {
            const ArrowRecord* r = doc.arrowRecord(e.index);
            if (!r) break;
            ElementBox out;
            bool any = false;
            for (int k = 1; k <= r->segmentCount(); ++k) {
                const LineEl* s = doc.Line1.find(r->slot[static_cast<size_t>(k)]);
                if (!s) continue;
                const ElementBox b = box(std::min(s->x1, s->x2), std::min(s->y1, s->y2), std::max(s->x1, s->x2),
                                      std::max(s->y1, s->y2));
                out = any ? box(std::min(out.left, b.left), std::min(out.top, b.top),
                                std::max(out.left + out.width, b.left + b.width),
                                std::max(out.top + out.height, b.top + b.height))
                          : b;
                any = true;
            }
            return out;
        }
        case ElementKind::TitleBlock: return {doc.Shape2.left, doc.Shape2.top, doc.Shape2.width, doc.Shape2.height};
    }
    return {};
}

}  // namespace qm
