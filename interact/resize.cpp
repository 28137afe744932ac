#include "interact/resize.h"

#include <algorithm>

#include "interact/glue.h"
#include "interact/handles.h"
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
void resizeShape(Document& doc, float x, float y) {
    ShapeEl* s = doc.Shape1.find(doc.selIndex);
    if (!s) return;
    const float l = s->left, t = s->top, w = s->width, h = s->height;
    auto setW = [&](float v) { if (v >= 0) s->width = v; };
    auto setH = [&](float v) { if (v >= 0) s->height = v; };
    switch (doc.hitIndex) {
        case 1: setW(l + w - x); setH(t + h - y); s->left = x; s->top = y; break;
        case 2: setW(x - l); setH(t + h - y); s->top = y; break;
        case 3: setW(x - l); setH(y - t); break;
        case 4: setW(l + w - x); setH(y - t); s->left = x; break;
        default: break;
    }
}

void resizeDiamond(Document& doc, float x, float y) {
    DiamondRecord* rec = doc.diamondRecord(doc.selIndex);
    if (!rec) return;
    DiamondRecord& r = *rec;
    const double l = r.x, t = r.y, w = r.width, h = r.height;
    switch (doc.hitIndex) {
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
    resizeShape(doc, x, y);
    if (const ShapeEl* s = doc.Shape1.find(i)) moveShapeTo(doc, i, s->left, s->top);
    showShapeHandles(ed, i);
    layoutOwnShapeTexts(doc, i);
    followGlue(doc, doc.glued);
}

void resizeDiamondStep(Editor& ed, float x, float y) {
    resizeDiamond(ed.doc, x, y);
    layoutDiamondFromRecord(ed, ed.doc.selIndex);
    followGlue(ed.doc, ed.doc.glued);
}

void finishShapeResize(Editor& ed) {
    Document& doc = ed.doc;
    const int i = doc.selIndex;
    if (ShapeEl* s = doc.Shape1.find(i)) {
        s->width = std::max(s->width, kMinShapeWidth);
        s->height = std::max(s->height, kMinShapeHeight);
        moveShapeTo(doc, i, s->left, s->top);
        layoutOwnShapeTexts(doc, i);
        showShapeHandles(ed, i);
        followGlue(doc, doc.glued);
    }
    doc.selKind = SelKind::Shape;
}

void finishDiamondResize(Editor& ed) {
    Document& doc = ed.doc;
    const int i = doc.selIndex;
    if (DiamondRecord* r = doc.diamondRecord(i)) {
        r->width = std::max(r->width, kMinDiamondWidth);
        r->height = std::max(r->height, kMinDiamondHeight);
        layoutDiamondFromRecord(ed, i);
        followGlue(doc, doc.glued);
    }
    doc.selKind = SelKind::Diamond;
}

}  // namespace qm
