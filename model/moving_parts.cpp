#include "model/moving_parts.h"

#include <optional>

#include "model/records.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"

namespace qm {
namespace {

void add(std::vector<PartRef>& out, Part part, int index) { out.push_back(PartRef{part, index}); }

}  // namespace

std::vector<PartRef> movingParts(const Editor& ed, bool pointerHeld) {
    const Document& doc = ed.doc;
    std::vector<PartRef> out;
    // A new element follows the pointer by itself; a selected one moves, or has a
    // handle dragged, only while a press lasts.
    if (!(isNewElement(doc.selKind) || pointerHeld)) return out;
    if (const std::optional<ElementKind> kind = elementKindOf(doc.selKind)) {
        const int i = *kind == ElementKind::TitleBlock ? 0 : doc.selIndex;
        appendMovingParts(out, doc, {*kind, i});
        // Its handles, and an arrow's rubber band of drawing.
        switch (*kind) {
            case ElementKind::Shape:
            case ElementKind::Diamond:
                for (int k = 1; k <= 4; ++k) add(out, Part::spHandle, k);
                break;
            case ElementKind::Arrow:
                if (const ArrowRecord* r = doc.arrowRecord(i))
                    for (int k = 0; k <= r->segmentCount(); ++k) add(out, Part::spHandle, k);
                add(out, Part::lneTemp, 0);
                break;
            case ElementKind::Label:
            case ElementKind::TitleBlock:
                break;
        }
    }
    // The arrows glued to what moves bend or move with it; several selected
    // elements themselves move as their own layer (groupParts).
    for (const GluedEnd& g : ed.drag.glued) appendMovingParts(out, doc, {ElementKind::Arrow, g.arrow});
    sortUnique(out);
    return out;
}

}  // namespace qm
