#include "interact/timers.h"

#include "interact/move.h"
#include "interact/pointer.h"
#include "model/rounding.h"
#include "model/sel_kind.h"

namespace qm {
void timer1Tick(Editor& ed) {
    Document& doc = ed.doc;
    if (doc.selKind != SelKind::PlacingLabel && doc.selKind != SelKind::Label) return;
    if (!doc.Label.find(doc.selIndex)) return;
    const TwipPoint p = pointerInTwips(ed);
    const auto x = static_cast<float>(p.x), y = static_cast<float>(p.y);
    if (doc.selKind == SelKind::PlacingLabel) {
        placeNewElement(ed, x, y);
        ed.host.setCanvasCursor(CursorKind::Insert);
    } else {
        dragLabel(ed, x, y);
    }
}

void timer2Tick(Editor& ed) {
    const SelKind k = ed.doc.selKind;
    const bool drawing = isNewElement(k) && elementKindOf(k) == ElementKind::Arrow;
    if (!drawing || !ed.host.pointerSnapAllowed()) return;
    const TwipPoint p = pointerInTwips(ed);
    const auto target = snapTarget(ed.doc, p.x, p.y, ed.screenTolerance(kSnapReach));
    if (!target) return;
    const float perPixel = ed.twipsPerScreenPixel;
    const ScreenPoint canvasPx{roundI32Sat(target->x / perPixel), roundI32Sat(target->y / perPixel)};
    ed.host.setCursorPos(ed.host.canvasToScreen(canvasPx));
}

}  // namespace qm
