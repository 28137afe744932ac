#include "interact/arrow_drags.h"

#include <cmath>

#include "interact/arrows.h"
#include "interact/canvas_edge.h"
#include "interact/glue.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "interact/snapping.h"
#include "model/relayout.h"
#include "model/rounding.h"

namespace qm {
namespace {

constexpr float kStraightArrowLength = 1200;
// A press and release closer than this draw nothing: the arrow keeps its length.
constexpr float kDragSlack = 150;

LineEl* lastSegment(Document& doc, const ArrowRecord& r) {
    const int n = r.segmentCount();
    return n > 0 ? doc.Line1.find(r.slot[n]) : nullptr;
}

}  // namespace

PointF snapEnd(const Editor& ed, float x, float y) {
    if (!rulesOf(ed).timer2Tick) return {x, y};  // a program without snapping
    const std::optional<PointF> p = connectionPointNear(ed.doc, x, y, ed.screenTolerance(kSnapReach));
    // On the point already (a point may lie between whole twips), it stays;
    // else it goes to the point in whole twips, as the file keeps it.
    if (!p) return snapPoint(ed, {x, y});  // the grid, when on
    if (std::fabs(x - p->x) <= 0.5f && std::fabs(y - p->y) <= 0.5f) return {x, y};
    return {static_cast<float>(roundI32Sat(p->x)), static_cast<float>(roundI32Sat(p->y))};
}

void placeStraightArrow(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    const int n = doc.selIndex;
    ArrowRecord* r = doc.arrowRecord(n);
    LineEl* s = r ? doc.Line1.find(r->slot[1]) : nullptr;
    if (!s) return;
    static constexpr float dx[] = {0, 0, -1, 1}, dy[] = {-1, 1, 0, 0};
    const int d = r->direction();
    if (d < 0 || d > 3) return;
    s->x1 = x; s->y1 = y;
    s->x2 = x + dx[d] * kStraightArrowLength;
    s->y2 = y + dy[d] * kStraightArrowLength;
    if (PictureEl* head = doc.heads(d)->find(n)) placeHead(*head, static_cast<Dir>(d), s->x2, s->y2);
    if (const std::optional<BoxF> box = outlineOf(doc, {ElementKind::Arrow, n})) {
        const PointF in = intoCanvas(ed, *box);
        if (!(in == PointF{})) translateArrow(doc, n, in.x, in.y);
    }
}

void drawStraightArrow(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    if (ed.drag.hitIndex == 0 && std::fabs(x - ed.drag.downX) <= kDragSlack &&
        std::fabs(y - ed.drag.downY) <= kDragSlack)
        return;
    const ArrowRecord* r = doc.arrowRecord(doc.selIndex);
    LineEl* s = r ? doc.Line1.find(r->slot[1]) : nullptr;
    if (!s) return;
    const PointF tail = snapEnd(ed, ed.drag.downX, ed.drag.downY);
    s->x1 = tail.x;
    s->y1 = tail.y;
    ed.drag.hitIndex = 1;
    dragVertex(ed, x, y);
}

void endStraightArrowDrag(Editor& ed) {
    const int n = ed.doc.selIndex;
    clearSelection(ed);  // the drag ends with it
    selectElement(ed, ElementKind::Arrow, n);
    ed.markModified();
}

namespace {

PointF onCanvas(const Editor& ed, float x, float y) {
    const PointF in = intoCanvas(ed, {x, y, x, y});
    return {x + in.x, y + in.y};
}

void putVertex(Editor& ed, int n, int h, PointF to) {
    Document& doc = ed.doc;
    ArrowRecord* r = doc.arrowRecord(n);
    if (!r || h < 0 || h > r->segmentCount()) return;
    const float x = to.x, y = to.y;
    if (h == 0) {
        if (LineEl* s = doc.Line1.find(r->slot[1])) { s->x1 = x; s->y1 = y; }
    } else {
        if (LineEl* s = doc.Line1.find(r->slot[h])) { s->x2 = x; s->y2 = y; }
        if (h < r->segmentCount())
            if (LineEl* next = doc.Line1.find(r->slot[h + 1])) { next->x1 = x; next->y1 = y; }
    }
    placeHandle(doc, h, roundI16Sat(x), roundI16Sat(y));
    orientArrowHead(doc, n);
}

}  // namespace

void dragVertex(Editor& ed, float x, float y) {
    const PointF on = onCanvas(ed, x, y);
    putVertex(ed, ed.doc.selIndex, ed.drag.hitIndex, snapEnd(ed, on.x, on.y));
}

void nudgeArrowHead(Editor& ed, float dx, float dy) {
    Document& doc = ed.doc;
    const int n = doc.selIndex;
    const ArrowRecord* r = doc.arrowRecord(n);
    const LineEl* last = r ? lastSegment(doc, *r) : nullptr;
    if (!last) return;
    const PointF from{last->x2, last->y2};
    const PointF on = onCanvas(ed, from.x + dx, from.y + dy);
    if (on == from) return;
    const PointF to = snapEnd(ed, on.x, on.y);
    putVertex(ed, n, r->segmentCount(), to == from ? on : to);
    ed.markModified();
}

}  // namespace qm
