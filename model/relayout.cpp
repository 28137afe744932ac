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
    for (int k = 1; k <= innerLabelCount(rec); ++k) {
        if (LabelEl* l = doc.Label.find(rec.innerLabel[k])) {
            l->left = rec.innerDX[k] + left;
            l->top = rec.innerDY[k] + top;
        }
    }
}

}  // namespace

void moveShapeTo(Document& doc, int i, float left, float top) {
    ShapeEl* s = doc.Shape1.find(i);
    ShapeRecord* rec = doc.shapeRecord(i);
    if (!s || !rec) return;
    s->left = left;
    s->top = top;
    const float mid = s->top + s->height / 2;
    setLine(doc.LineRect.find(i), left, mid, left + s->width, mid);
    rec->selfIndex = static_cast<int16_t>(i);
    rec->lastLeft = roundI32Sat(s->left);
    rec->lastTop = roundI32Sat(s->top);
    rec->moved = boolI16(true);
    moveInnerLabels(doc, *rec, s->left, s->top);
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
    DiamondRecord* rec = doc.diamondRecord(i);
    if (!rec) return;
    rec->x = x;
    rec->y = y;
    moveInnerLabels(doc, *rec, x, y);
}

void layoutDiamondAt(Document& doc, int i, double x, double y) {
    if (const DiamondRecord* r = doc.diamondRecord(i))
        layoutDiamond(doc, roundI16Sat(x), roundI16Sat(y), roundI16Sat(r->width), roundI16Sat(r->height), i);
}

void layoutOwnShapeTexts(Document& doc, int i) {
    const ShapeEl* s = doc.Shape1.find(i);
    const ShapeRecord* r = doc.shapeRecord(i);
    if (!s || !r) return;
    layoutShapeTexts(doc, r->label1, r->label2, roundI32Sat(s->left), roundI32Sat(s->top), roundI32Sat(s->height),
                     roundI32Sat(s->width));
}

// The box's corner is where the first edge starts (left) and ends (top).
void layoutOwnDiamondTexts(Document& doc, int i) {
    const DiamondRecord* r = doc.diamondRecord(i);
    if (!r) return;
    const LineEl* lx1 = doc.lx1.find(i);
    const int32_t left = lx1 ? roundI32Sat(lx1->x1) : r->x, top = lx1 ? roundI32Sat(lx1->y2) : r->y;
    layoutShapeTexts(doc, r->label1, r->label2, left, top, r->height, r->width);
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
