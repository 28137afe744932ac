#include "interact/handles.h"

#include "model/relayout.h"
#include "model/rounding.h"

namespace qm {
namespace {

// Creates handles 1..4 if needed and puts them on the corners; reports failures.
void showCornerHandles(Editor& ed, double left, double top, double width, double height) {
    Document& doc = ed.doc;
    for (int k = 1; k <= 4; ++k) doc.spHandle.create(k);  // an existing handle is fine
    const double xs[4] = {left, left + width, left + width, left};
    const double ys[4] = {top, top, top + height, top + height};
    for (int k = 1; k <= 4; ++k) {
        if (placeHandle(doc, k, roundI16Sat(xs[k - 1]), roundI16Sat(ys[k - 1])) != ElemStatus::Ok) {
            reportElementError(ed.host, 340, "选择控制点不存在");
            return;
        }
    }
}

bool within(const HandleEl* h, float x, float y, float scale) {
    if (!h || !h->visible) return false;
    // Written as the growth on each side, which is exactly nothing at scale 1.
    const float growX = h->width * (scale - 1) / 2, growY = h->height * (scale - 1) / 2;
    return h->left - growX <= x && x <= h->left + h->width + growX && h->top - growY <= y &&
           y <= h->top + h->height + growY;
}

}  // namespace

void showShapeHandles(Editor& ed, int i) {
    const ShapeEl* s = ed.doc.Shape1.find(i);
    if (!s) {
        reportElementError(ed.host, 340, "图形不存在");
        return;
    }
    showCornerHandles(ed, s->left, s->top, s->width, s->height);
}

void showDiamondHandles(Editor& ed, int i) {
    const DiamondRecord* r = ed.doc.diamondRecord(i);
    if (!r) {
        reportElementError(ed.host, 9, "菱形的序号超出范围");
        return;
    }
    // Each corner is narrowed to 16 bits before it is placed, as the record holds 32.
    showCornerHandles(ed, r->x, r->y, static_cast<double>(r->width), static_cast<double>(r->height));
}

void hideCornerHandles(Document& doc) {
    for (int k = 1; k <= 4; ++k) doc.spHandle.setVisible(k, false);
}

int handleUnder(const Document& doc, int first, int last, float x, float y, float scale) {
    int hit = -1;
    for (int k = first; k <= last; ++k)
        if (within(doc.handle(k), x, y, scale)) hit = k;
    return hit;
}

}  // namespace qm
