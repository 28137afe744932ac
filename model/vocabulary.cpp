#include "model/vocabulary.h"

#include <algorithm>

#include "model/title_block.h"

namespace qm {

UserKind userKind(const Document& doc, ElementRef e) {
    switch (e.kind) {
        case ElementKind::Shape: {
            const ShapeEl* s = doc.Shape1.find(e.index);
            return s && isEllipseStyle(s->style) ? UserKind::Ellipse : UserKind::Rectangle;
        }
        case ElementKind::Diamond: return UserKind::Diamond;
        case ElementKind::Label: {
            const LabelEl* l = doc.Label.find(e.index);
            return l && isVerticalLabel(*l) ? UserKind::VerticalLabel : UserKind::Label;
        }
        case ElementKind::Arrow: return UserKind::Arrow;
        case ElementKind::TitleBlock: return UserKind::TitleBlock;
    }
    return UserKind::Rectangle;
}

bool isPresent(const Document& doc, ElementRef e) {
    switch (e.kind) {
        case ElementKind::Shape: return doc.Shape1.visible(e.index);
        case ElementKind::Diamond: {
            const auto lines = doc.diamondLines();
            return std::any_of(lines.begin(), lines.end(), [&](const Collection<LineEl>* l) { return l->visible(e.index); });
        }
        case ElementKind::Label: return doc.Label.visible(e.index);
        case ElementKind::Arrow: {
            // Painted segment by segment and head by head: one of them is enough.
            const ArrowRecord* r = doc.arrowRecord(e.index);
            if (!r) return false;
            for (int k = 1; k <= r->segmentCount(); ++k)
                if (doc.Line1.visible(r->slot[static_cast<size_t>(k)])) return true;
            const Collection<PictureEl>* heads = doc.heads(r->direction());
            return heads && heads->visible(r->head());
        }
        case ElementKind::TitleBlock: return doc.Shape2.visible;
    }
    return false;
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

std::vector<bool> ownedLabels(const Document& doc) {
    std::vector<bool> owned(static_cast<size_t>(std::max<int>(doc.labelCount, 0)) + 1);
    const auto own = [&owned](int i) {
        if (i > 0 && i < static_cast<int>(owned.size())) owned[static_cast<size_t>(i)] = true;
    };
    // A deleted shape keeps its texts, hidden with it: they are still not free labels.
    for (int i = 1; i <= lastRecordIndex(doc.shapeCount); ++i)
        if (doc.Shape1.exists(i)) own(doc.shapeRec[static_cast<size_t>(i)].label1), own(doc.shapeRec[static_cast<size_t>(i)].label2);
    for (int i = 1; i <= lastRecordIndex(doc.diamondCount); ++i)
        if (doc.lx1.exists(i)) own(doc.diamondRec[static_cast<size_t>(i)].label1), own(doc.diamondRec[static_cast<size_t>(i)].label2);
    if (doc.Shape2.visible)
        for (int i : elementLabels(doc, {ElementKind::TitleBlock, 0})) own(i);
    return owned;
}

}  // namespace qm
