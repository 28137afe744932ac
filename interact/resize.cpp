#include "interact/resize.h"

#include <algorithm>

#include "interact/canvas_edge.h"
#include "interact/handles.h"
#include "interact/move_session.h"
#include "model/labels.h"
#include "model/relayout.h"
#include "model/rounding.h"
#include "model/sel_kind.h"

namespace qm {
namespace {

constexpr float kMinShapeWidth = 1965, kMinShapeHeight = 1215;
constexpr int32_t kMinDiamondWidth = 2400, kMinDiamondHeight = 1200;

// A negative size is refused by the outline and keeps its value for this move; the
// other assignments still happen.
void resizeShape(Document& doc, int corner, float x, float y) {
    ShapeEl* s = doc.Shape1.find(doc.selIndex);
    if (!s) return;
    const float l = s->left, t = s->top, w = s->width, h = s->height;
    auto setW = [&](float v) { if (v >= 0) s->width = v; };
    auto setH = [&](float v) { if (v >= 0) s->height = v; };
    switch (corner) {
        case 1: setW(l + w - x); setH(t + h - y); s->left = x; s->top = y; break;
        case 2: setW(x - l); setH(t + h - y); s->top = y; break;
        case 3: setW(x - l); setH(y - t); break;
        case 4: setW(l + w - x); setH(y - t); s->left = x; break;
        default: break;
    }
}

void resizeDiamond(Document& doc, int corner, float x, float y) {
    DiamondRecord* rec = doc.diamondRecord(doc.selIndex);
    if (!rec) return;
    DiamondRecord& r = *rec;
    const double l = r.x, t = r.y, w = r.width, h = r.height;
    switch (corner) {
        case 1: r.width = roundI32Sat(l + w - x); r.height = roundI32Sat(t + h - y); r.x = roundI32Sat(x); r.y = roundI32Sat(y); break;
        case 2: r.width = roundI32Sat(x - l); r.height = roundI32Sat(t + h - y); r.y = roundI32Sat(y); break;
        case 3: r.width = roundI32Sat(x - l); r.height = roundI32Sat(y - t); break;
        case 4: r.width = roundI32Sat(l + w - x); r.height = roundI32Sat(y - t); r.x = roundI32Sat(x); break;
        default: break;
    }
}

// The diamond's parts on its record's box, texts included.
void layoutDiamondFromRecord(Editor& ed, int i) {
    Document& doc = ed.doc;
    const DiamondRecord* r = doc.diamondRecord(i);
    if (!r) return;
    layoutDiamondAt(doc, i, r->x, r->y);
    layoutShapeTexts(doc, r->label1, r->label2, r->x, r->y, r->height, r->width);
    showDiamondHandles(ed, i);
}

}  // namespace

void resizeShapeStep(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    const int i = doc.selIndex;
    resizeShape(doc, ed.drag.hitIndex, x, y);
    if (const ShapeEl* s = doc.Shape1.find(i)) moveShapeTo(doc, i, s->left, s->top);
    showShapeHandles(ed, i);
    layoutOwnShapeTexts(doc, i);
    followGluedEnds(ed);
}

void resizeDiamondStep(Editor& ed, float x, float y) {
    resizeDiamond(ed.doc, ed.drag.hitIndex, x, y);
    layoutDiamondFromRecord(ed, ed.doc.selIndex);
    followGluedEnds(ed);
}

void finishShapeResize(Editor& ed) {
    Document& doc = ed.doc;
    const int i = doc.selIndex;
    if (ShapeEl* s = doc.Shape1.find(i)) {
        s->width = std::max(s->width, kMinShapeWidth);
        s->height = std::max(s->height, kMinShapeHeight);
        // Grown to its minimum size it may reach past the edge.
        const PointF in = intoCanvas(ed, {s->left, s->top, s->left + s->width, s->top + s->height});
        moveShapeTo(doc, i, s->left + in.x, s->top + in.y);
        layoutOwnShapeTexts(doc, i);
        showShapeHandles(ed, i);
        followGluedEnds(ed);
    }
    doc.selKind = SelKind::Shape;
}

void finishDiamondResize(Editor& ed) {
    Document& doc = ed.doc;
    const int i = doc.selIndex;
    if (DiamondRecord* r = doc.diamondRecord(i)) {
        r->width = std::max(r->width, kMinDiamondWidth);
        r->height = std::max(r->height, kMinDiamondHeight);
        const auto l = static_cast<float>(r->x), t = static_cast<float>(r->y);
        const PointF in = intoCanvas(ed, {l, t, l + static_cast<float>(r->width), t + static_cast<float>(r->height)});
        r->x = roundI32Sat(l + in.x);
        r->y = roundI32Sat(t + in.y);
        layoutDiamondFromRecord(ed, i);
        followGluedEnds(ed);
    }
    doc.selKind = SelKind::Diamond;
}

void resizeCornerBy(Editor& ed, float dx, float dy) {
    Document& doc = ed.doc;
    const bool shape = doc.selKind == SelKind::Shape;
    if (!shape && doc.selKind != SelKind::Diamond) return;
    const int i = doc.selIndex;
    BoxF box;
    float minW = kMinShapeWidth, minH = kMinShapeHeight;
    if (const ShapeEl* s = shape ? doc.Shape1.find(i) : nullptr) {
        box = {s->left, s->top, s->left + s->width, s->top + s->height};
    } else if (const DiamondRecord* r = shape ? nullptr : doc.diamondRecord(i)) {
        const auto l = static_cast<float>(r->x), t = static_cast<float>(r->y);
        box = {l, t, l + static_cast<float>(r->width), t + static_cast<float>(r->height)};
        minW = kMinDiamondWidth;
        minH = kMinDiamondHeight;
    } else {
        return;
    }
    // Never below the minimum, never past the edge (nor further past it).
    const BoxF c = canvasBox(ed);
    const auto corner = [](float v, float low, float edge, float now) {
        return std::clamp(v, low, std::max({edge, now, low}));
    };
    const float right = corner(box.right + dx, box.left + minW, c.right, box.right);
    const float bottom = corner(box.bottom + dy, box.top + minH, c.bottom, box.bottom);
    if (right == box.right && bottom == box.bottom) return;
    const ElementRef e{shape ? ElementKind::Shape : ElementKind::Diamond, i};
    glueTo(ed, e);
    ed.drag.hitIndex = 3;
    if (shape) {
        resizeShapeStep(ed, right, bottom);
        finishShapeResize(ed);
    } else {
        resizeDiamondStep(ed, right, bottom);
        finishDiamondResize(ed);
    }
    endDrag(ed);
    ed.markModified();
}

}  // namespace qm
