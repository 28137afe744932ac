#include "model/selection_look.h"

#include <algorithm>

#include "model/title_block.h"

namespace qm {
namespace {

void addOutline(std::vector<PartRef>& out, const Document& doc, ElementRef e) {
    const int i = e.index;
    switch (e.kind) {
        case ElementKind::Shape:
            out.push_back({Part::Shape1, i});
            out.push_back({Part::LineRect, i});
            break;
        case ElementKind::Label:
            out.push_back({Part::Label, i});
            break;
        case ElementKind::Arrow:
            if (const ArrowRecord* r = doc.arrowRecord(i))
                for (int k = 1; k <= r->segmentCount(); ++k) out.push_back({Part::Line1, r->slot[static_cast<size_t>(k)]});
            break;
        case ElementKind::Diamond:
            for (Part p : {Part::lx1, Part::lx2, Part::lx3, Part::lx4, Part::lx5}) out.push_back({p, i});
            break;
        case ElementKind::TitleBlock:
            for (Part p : {Part::Shape2, Part::Line2, Part::Line3, Part::Line4}) out.push_back({p, 0});
            break;
    }
}

}  // namespace

std::vector<ElementRef> selectedElements(const Document& doc) {
    if (doc.selKind == SelKind::Several) return doc.group;
    if (!isSelection(doc.selKind)) return {};
    const ElementKind kind = *elementKindOf(doc.selKind);
    return {ElementRef{kind, kind == ElementKind::TitleBlock ? 0 : int{doc.selIndex}}};
}

std::vector<PartRef> selectionLook(const Document& doc, std::vector<PartRef> memory) {
    if (doc.selKind == SelKind::Several) return selectionLook(doc, doc.group, std::move(memory));
    return selectionLook(doc, selectedElements(doc), std::move(memory));
}

std::vector<PartRef> selectionLook(const Document& doc, std::span<const ElementRef> elements,
                                   std::vector<PartRef> memory) {
    std::vector<PartRef> out = std::move(memory);
    out.clear();
    for (const ElementRef& e : elements) addOutline(out, doc, e);
    sortUnique(out);
    return out;
}

void appendMovingParts(std::vector<PartRef>& out, const Document& doc, ElementRef e) {
    switch (e.kind) {
        case ElementKind::Shape:
        case ElementKind::Diamond:
        case ElementKind::Label:
            addOutline(out, doc, e);
            break;
        case ElementKind::Arrow:
            if (const ArrowRecord* r = doc.arrowRecord(e.index)) {
                addOutline(out, doc, e);
                for (Part p : {Part::picUp, Part::picDown, Part::picLeft, Part::picRight}) {
                    out.push_back({p, e.index});
                    if (r->head() != e.index) out.push_back({p, r->head()});
                }
            }
            break;
        case ElementKind::TitleBlock:
            addOutline(out, doc, e);
            for (int i = kFirstCellLabel; i <= kLastCellLabel; ++i) out.push_back({Part::Label, i});
            break;
    }
    for (int label : carriedLabels(doc, e)) out.push_back({Part::Label, label});
}

std::vector<PartRef> groupParts(const Document& doc, std::vector<PartRef> memory) {
    memory.clear();
    return doc.selKind == SelKind::Several ? groupParts(doc, doc.group, std::move(memory)) : memory;
}

std::vector<PartRef> groupParts(const Document& doc, std::span<const ElementRef> elements,
                                std::vector<PartRef> memory) {
    std::vector<PartRef> out = std::move(memory);
    out.clear();
    for (ElementRef e : elements) appendMovingParts(out, doc, e);
    sortUnique(out);
    return out;
}

std::optional<BoxF> rubberBand(const Document& doc) {
    if (doc.selKind != SelKind::SelectingArea) return std::nullopt;
    const auto [x1, x2] = std::minmax(doc.bandFromX, doc.bandX);
    const auto [y1, y2] = std::minmax(doc.bandFromY, doc.bandY);
    return BoxF{static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2), static_cast<float>(y2)};
}

}  // namespace qm
