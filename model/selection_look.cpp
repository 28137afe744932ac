#include "model/selection_look.h"

#include <algorithm>

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

std::vector<PartRef> selectionLook(const Document& doc) {
    std::vector<PartRef> out;
    for (const ElementRef& e : selectedElements(doc)) addOutline(out, doc, e);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

}  // namespace qm
