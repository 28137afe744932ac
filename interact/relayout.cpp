#include "interact/relayout.h"

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

// Creates handles 1..4 if needed and puts them on the corners; reports failures.
void showCornerHandles(Editor& ed, double left, double top, double width, double height) {
    Document& doc = ed.doc;
    for (int k = 1; k <= 4; ++k) doc.spHandle.create(k);  // an existing handle is fine
    const double xs[4] = {left, left + width, left + width, left};
    const double ys[4] = {top, top, top + height, top + height};
    for (int k = 1; k <= 4; ++k) {
        if (placeHandle(doc, k, roundI16Sat(xs[k - 1]), roundI16Sat(ys[k - 1])) != ElemStatus::Ok) {
            reportElementError(ed.host, 340, "Selection handle does not exist");
            return;
        }
    }
}

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

ElemStatus placeHandle(Document& doc, int k, int16_t x, int16_t y) {
    HandleEl* h = doc.handle(k);
    if (!h) return ElemStatus::NoSuchElement;
    h->left = x - h->width / 2;
    h->top = y - h->height / 2;
    h->visible = true;
    return ElemStatus::Ok;
}

void showShapeHandles(Editor& ed, int i) {
    const ShapeEl* s = ed.doc.Shape1.find(i);
    if (!s) {
        reportElementError(ed.host, 340, "Shape does not exist");
        return;
    }
    showCornerHandles(ed, s->left, s->top, s->width, s->height);
}

void showDiamondHandles(Editor& ed, int i) {
    if (!inRecordRange(i)) {
        reportElementError(ed.host, 9, "Diamond index out of range");
        return;
    }
    const DiamondRecord& r = ed.doc.diamondRec[i];
    // Each corner is narrowed to 16 bits before it is placed, as the record holds 32.
    showCornerHandles(ed, r.x, r.y, static_cast<double>(r.width), static_cast<double>(r.height));
}

}  // namespace qm
