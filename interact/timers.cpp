#include "interact/timers.h"

#include "interact/move.h"
#include "interact/pointer.h"
#include "model/element_parts.h"
#include "model/rounding.h"
#include "model/sel_kind.h"

namespace qm {
namespace {

std::optional<TwipPoint> point(double x, double y) { return TwipPoint{roundI32Sat(x), roundI32Sat(y)}; }

}  // namespace

void timer1Tick(Editor& ed) {
    Document& doc = ed.doc;
    if (doc.selKind != SelKind::PlacingLabel && doc.selKind != SelKind::Label) return;
    LabelEl* l = doc.Label.find(doc.selIndex);
    if (!l) return;
    const TwipPoint p = pointerInTwips(ed);
    if (doc.selKind == SelKind::PlacingLabel) {
        l->left = static_cast<float>(p.x);
        l->top = static_cast<float>(p.y);
        ed.host.setCanvasCursor(CursorKind::Insert);
    } else {
        // The label stops at the canvas's edge, as every dragged element does.
        const float left = doc.startLeft, top = doc.startTop;
        const PointF by = clampOffset({left, top, left + l->width, top + l->height}, canvasBox(ed),
                                      {static_cast<float>(p.x - doc.downX), static_cast<float>(p.y - doc.downY)});
        l->left = left + by.x;
        l->top = top + by.y;
    }
}

std::optional<TwipPoint> snapTarget(const Document& doc, int32_t px, int32_t py, double reach) {
    const auto near = [reach](double a, double v) { return v - reach < a && a < v + reach; };
    // Level with the side points the pointer is pulled sideways onto them, else
    // (near the middle line) up or down onto the top or the bottom.
    const auto pull = [px, py, near](const std::array<PointF, 4>& p) -> std::optional<TwipPoint> {
        if (near(py, p[0].y)) {
            if (near(px, p[0].x)) return point(p[0].x, p[0].y);
            if (near(px, p[1].x)) return point(p[1].x, p[1].y);
        } else if (near(px, p[2].x)) {
            if (near(py, p[2].y)) return point(p[2].x, p[2].y);
            if (near(py, p[3].y)) return point(p[3].x, p[3].y);
        }
        return std::nullopt;
    };
    for (ElementKind kind : {ElementKind::Shape, ElementKind::Diamond}) {
        const int count = kind == ElementKind::Shape ? doc.shapeCount : doc.diamondCount;
        for (int i = 1; i <= count; ++i)
            if (const auto points = connectionPoints(doc, {kind, i}))
                if (const auto target = pull(*points)) return target;
    }
    return std::nullopt;
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

void arrowheadPress(Editor& ed, Dir dir, int i, float x, float y) {
    const PictureEl* pic = ed.doc.heads(dir).find(i);
    if (!pic) return;
    canvasPress(ed, 0, 0, pic->left + x, pic->top + y);
    ed.host.focusCanvas();
}

}  // namespace qm
