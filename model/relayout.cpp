#include "model/relayout.h"

#include "model/labels.h"
#include "model/rounding.h"

namespace qm {
namespace {

void setLine(LineEl* l, float x1, float y1, float x2, float y2) {
    if (!l) return;
    l->x1 = x1; l->y1 = y1; l->x2 = x2; l->y2 = y2;
}

template <class Record>
void moveInnerLabels(Document& doc, const Record& rec, float left, float top) {
    const int n = rec.innerCount < 0 ? 0 : (rec.innerCount > kMaxInner ? kMaxInner : rec.innerCount);
    for (int k = 1; k <= n; ++k) {
        if (LabelEl* l = doc.Label.find(rec.innerLabel[k])) {
            l->left = rec.innerDX[k] + left;
            l->top = rec.innerDY[k] + top;
        }
    }
}

bool inRecordRange(int i) { return i >= 1 && i <= kMaxRecordIndex; }

}  // namespace

void moveShapeTo(Document& doc, int i, float left, float top) {
    ShapeEl* s = doc.Shape1.find(i);
    if (!s || !inRecordRange(i)) return;
    s->left = left;
    s->top = top;
    const float mid = s->top + s->height / 2;
    setLine(doc.LineRect.find(i), left, mid, left + s->width, mid);
    ShapeRecord& rec = doc.shapeRec[i];
    rec.selfIndex = static_cast<int16_t>(i);
    rec.lastLeft = roundI32Sat(s->left);
    rec.lastTop = roundI32Sat(s->top);
    rec.moved = -1;
    moveInnerLabels(doc, rec, s->left, s->top);
}

void layoutDiamondLines(Document& doc, int16_t x, int16_t y, int16_t w, int16_t h, int i) {
    const float left = x, top = y;
    const float right = static_cast<float>(x + w), bottom = static_cast<float>(y + h);
    const float midX = x + w / 2.0f, midY = y + h / 2.0f;
    setLine(doc.lx1.find(i), left, midY, midX, top);       // left corner to top corner
    setLine(doc.lx2.find(i), midX, top, right, midY);      // top to right
    setLine(doc.lx3.find(i), right, midY, midX, bottom);   // right to bottom
    setLine(doc.lx4.find(i), midX, bottom, left, midY);    // bottom to left
    setLine(doc.lx5.find(i), left, midY, right, midY);     // the divider
}

void layoutDiamond(Document& doc, int16_t x, int16_t y, int16_t w, int16_t h, int i) {
    layoutDiamondLines(doc, x, y, w, h, i);
    if (!inRecordRange(i)) return;
    DiamondRecord& rec = doc.diamondRec[i];
    rec.x = x;
    rec.y = y;
    moveInnerLabels(doc, rec, x, y);
}

void layoutDiamondAt(Document& doc, int i, double x, double y) {
    if (!inRecordRange(i)) return;
    const DiamondRecord& r = doc.diamondRec[i];
    layoutDiamond(doc, roundI16Sat(x), roundI16Sat(y), roundI16Sat(r.width), roundI16Sat(r.height), i);
}

void layoutOwnShapeTexts(Document& doc, int i) {
    const ShapeEl* s = doc.Shape1.find(i);
    if (!s || !inRecordRange(i)) return;
    const ShapeRecord& r = doc.shapeRec[i];
    layoutShapeTexts(doc, r.label1, r.label2, roundI32Sat(s->left), roundI32Sat(s->top), roundI32Sat(s->height),
                     roundI32Sat(s->width));
}

// The box's corner is where the first edge starts (left) and ends (top).
void layoutOwnDiamondTexts(Document& doc, int i) {
    if (!inRecordRange(i)) return;
    const DiamondRecord& r = doc.diamondRec[i];
    const LineEl* lx1 = doc.lx1.find(i);
    const int32_t left = lx1 ? roundI32Sat(lx1->x1) : r.x, top = lx1 ? roundI32Sat(lx1->y2) : r.y;
    layoutShapeTexts(doc, r.label1, r.label2, left, top, r.height, r.width);
}

ElemStatus placeHandle(Document& doc, int k, int16_t x, int16_t y) {
    HandleEl* h = doc.handle(k);
    if (!h) return ElemStatus::NoSuchElement;
    h->left = x - h->width / 2;
    h->top = y - h->height / 2;
    h->visible = true;
    return ElemStatus::Ok;
}

}  // namespace qm
