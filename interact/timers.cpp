#include "interact/timers.h"

#include "interact/canvas_edge.h"
#include "model/element_parts.h"
#include "model/rounding.h"
#include "model/sel_kind.h"

namespace qm {
void timer1Tick(Editor& ed) {
    Document& doc = ed.doc;
    if (doc.selKind != SelKind::PlacingLabel && doc.selKind != SelKind::Label) return;
    LabelEl* l = doc.Label.find(doc.selIndex);
    if (!l) return;
    const TwipPoint p = pointerInTwips(ed);
    if (doc.selKind == SelKind::PlacingLabel) {
        const auto x = static_cast<float>(p.x), y = static_cast<float>(p.y);
        const PointF in = intoCanvas(ed, {x, y, x + l->width, y + l->height});
        l->left = x + in.x;
        l->top = y + in.y;
        ed.host.setCanvasCursor(CursorKind::Insert);
    } else {
        // The label stops at the canvas's edge, as every dragged element does.
        const MoveSession& drag = ed.drag;
        const float left = drag.startLeft, top = drag.startTop;
        const PointF by = clampOffset({left, top, left + l->width, top + l->height}, canvasBox(ed),
                                      {static_cast<float>(p.x - drag.downX), static_cast<float>(p.y - drag.downY)});
        l->left = left + by.x;
        l->top = top + by.y;
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
