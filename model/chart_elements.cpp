#include "model/chart_elements.h"

namespace qm {

std::vector<ElementRef> chartElements(const Document& doc) {
    std::vector<ElementRef> out;
    const auto add = [&](ElementKind kind, int i) {
        if (isPresent(doc, {kind, i})) out.push_back({kind, i});
    };
    for (int i = 1; i <= lastRecordIndex(doc.shapeCount); ++i) add(ElementKind::Shape, i);
    const std::vector<bool> owned = ownedLabels(doc);
    for (int i = 1; i <= doc.labelCount; ++i)
        if (!owned[static_cast<size_t>(i)]) add(ElementKind::Label, i);
    for (int a = 1; a <= lastRecordIndex(doc.arrowCount); ++a) add(ElementKind::Arrow, a);
    for (int i = 1; i <= lastRecordIndex(doc.diamondCount); ++i) add(ElementKind::Diamond, i);
    add(ElementKind::TitleBlock, 0);
    return out;
}

}  // namespace qm
