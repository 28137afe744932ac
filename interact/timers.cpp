#include "interact/timers.h"

#include "interact/pointer.h"
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
        l->left = static_cast<float>(doc.startLeft + p.x - doc.downX);
        l->top = static_cast<float>(doc.startTop + p.y - doc.downY);
    }
}

std::optional<TwipPoint> snapTarget(const Document& doc, int32_t px, int32_t py, double reach) {
    const auto near = [reach](double a, double v) { return v - reach < a && a < v + reach; };
    for (int i = 1; i <= doc.shapeCount; ++i) {
        const ShapeEl* s = doc.Shape1.find(i);
        const LineEl* divider = doc.LineRect.find(i);
        if (!s || !s->visible || !divider) continue;
        const double l = s->left, t = s->top, w = s->width, h = s->height, yd = divider->y1;
        if (near(py, yd)) {
            if (near(px, l)) return point(l, yd);
            if (near(px, l + w)) return point(l + w, yd);
        } else if (near(px, l + w / 2)) {
            if (near(py, t)) return point(l + w / 2, t);
            if (near(py, t + h)) return point(l + w / 2, t + h);
        }
    }
    for (int i = 1; i <= doc.diamondCount; ++i) {
        const LineEl *l1 = doc.lx1.find(i), *l2 = doc.lx2.find(i), *l4 = doc.lx4.find(i);
        if (!l1 || !l1->visible || !l2 || !l4) continue;
        if (near(py, l1->y1)) {
            if (near(px, l1->x1)) return point(l1->x1, l1->y1);
            if (near(px, l2->x2)) return point(l2->x2, l1->y1);
        } else if (near(px, l1->x2)) {
            if (near(py, l1->y2)) return point(l1->x2, l1->y2);
            if (near(py, l4->y1)) return point(l1->x2, l4->y1);
        }
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
