#include "interact/arrows.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/relayout.h"
#include "model/rounding.h"
#include "model/sel_kind.h"

namespace qm {
namespace {

constexpr float kRubberBandSlack = 150;

LineEl* lastSegment(Document& doc, const ArrowRecord& r) {
    const int n = r.segmentCount();
    return n > 0 ? doc.Line1.find(r.slot[n]) : nullptr;
}

bool bandIsLong(float dx, float dy) {
    return std::fabs(dx) > kRubberBandSlack || std::fabs(dy) > kRubberBandSlack;
}

}  // namespace

bool hitSegment(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t px, int16_t py, double reach) {
    // A hit lies within reach of a point of the segment: most segments of a large
    // drawing are rejected by their box before any arithmetic.
    if (px < std::min(x1, x2) - reach || px > std::max(x1, x2) + reach || py < std::min(y1, y2) - reach ||
        py > std::max(y1, y2) + reach)
        return false;
    const double len = std::hypot(double(x2) - x1, double(y2) - y1);
    if (len == 0) return px == x1 && py == y1;
    const double cross = double(y2 - y1) * px + double(x1 - x2) * py + double(x2 - x1) * y1 - double(x1) * (y2 - y1);
    if (std::fabs(cross) / len > reach) return false;
    const double dot = double(px - x1) * (x2 - px) + double(py - y1) * (y2 - py);
    return dot >= 0;
}

Dir directionOf(double fx, double fy, double tx, double ty) {
    const double dx = tx - fx, dy = ty - fy;
    if (std::fabs(dy) < std::fabs(dx)) return dx > 0 ? Dir::Right : Dir::Left;
    return dy > 0 ? Dir::Down : Dir::Up;
}

void placeHead(PictureEl& head, Dir dir, float tx, float ty) {
    switch (dir) {
        case Dir::Up: head.left = tx - head.width / 2; head.top = ty; break;
        case Dir::Down: head.left = tx - head.width / 2; head.top = ty - head.height; break;
        case Dir::Left: head.left = tx; head.top = ty - head.height / 2; break;
        case Dir::Right: head.left = tx - head.width; head.top = ty - head.height / 2; break;
    }
}

void showArrowHandles(Editor& ed, int n) {
    Document& doc = ed.doc;
    ArrowRecord* r = doc.arrowRecord(n);
    const LineEl* first = r ? doc.Line1.find(r->slot[1]) : nullptr;
    if (!first) {
        reportElementError(ed.host, 340, "箭头的线段不存在");
        return;
    }
    placeHandle(doc, 0, roundI16Sat(first->x1), roundI16Sat(first->y1));
    for (int k = 1; k <= r->segmentCount(); ++k) {
        doc.spHandle.create(k);  // an existing handle is fine
        const LineEl* seg = doc.Line1.find(r->slot[k]);
        if (!seg) {
            reportElementError(ed.host, 340, "箭头的线段不存在");
            return;
        }
        placeHandle(doc, k, roundI16Sat(seg->x2), roundI16Sat(seg->y2));
    }
}

void translateArrow(Document& doc, int n, float dx, float dy) {
    const ArrowRecord* r = doc.arrowRecord(n);
    if (!r) return;
    for (int k = 1; k <= r->segmentCount(); ++k) {
        if (LineEl* s = doc.Line1.find(r->slot[k])) {
            s->x1 += dx; s->x2 += dx; s->y1 += dy; s->y2 += dy;
        }
    }
    Collection<PictureEl>* heads = doc.heads(r->direction());
    if (PictureEl* head = heads ? heads->find(r->head()) : nullptr) {
        head->left += dx;
        head->top += dy;
    }
}

void orientArrowHead(Document& doc, int n) {
    ArrowRecord* r = doc.arrowRecord(n);
    if (!r) return;
    for (int d = 0; d < 4; ++d) doc.heads(d)->setVisible(n, false);
    const LineEl* last = lastSegment(doc, *r);
    if (!last) return;
    const Dir dir = directionOf(last->x1, last->y1, last->x2, last->y2);
    Collection<PictureEl>& heads = doc.heads(dir);
    heads.create(n);  // an existing picture is reused
    if (PictureEl* head = heads.find(n)) {
        placeHead(*head, dir, last->x2, last->y2);
        head->visible = true;
    }
    r->direction() = static_cast<int16_t>(dir);
}

bool roomForSegment(Editor& ed, int n) {
    const ArrowRecord* r = ed.doc.arrowRecord(n);
    if (!r) return false;
    if (r->count() >= ArrowRecord::kMaxSegments) {
        ed.host.message("提示", "一个箭头最多可以有" + std::to_string(ArrowRecord::kMaxSegments) + "段，不能再画下一段。",
                        Icon::Information);
        return false;
    }
    if (ed.doc.segCount >= kMaxIndex) {
        ed.host.message("提示", "线段数量已达上限（" + std::to_string(kMaxIndex) + "条），不能再画。", Icon::Information);
        return false;
    }
    return true;
}

void polylineStep(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    ArrowRecord* r = doc.arrowRecord(doc.selIndex);
    LineEl* s = r ? lastSegment(doc, *r) : nullptr;
    if (!s) return;  // before the first click there is nothing to draw
    if (std::fabs(y - s->y1) < std::fabs(x - s->x1)) {
        s->x2 = x;
        s->y2 = s->y1;
    } else {
        s->x2 = s->x1;
        s->y2 = y;
    }
    LineEl& band = doc.lneTemp;
    band.x1 = s->x2; band.y1 = s->y2; band.x2 = x; band.y2 = y;
    // The head follows the rubber band once it is long enough, else the segment.
    const bool alongBand = bandIsLong(s->x2 - x, s->y2 - y);
    const float fx = alongBand ? s->x2 : s->x1, fy = alongBand ? s->y2 : s->y1;
    const float tx = alongBand ? x : s->x2, ty = alongBand ? y : s->y2;
    r->direction() = static_cast<int16_t>(
        directionOf(roundI16Sat(fx), roundI16Sat(fy), roundI16Sat(tx), roundI16Sat(ty)));
}

namespace {

// Appends a segment from start to end to arrow n; false when there is no room.
bool appendSegment(Editor& ed, int n, PointF start, PointF end) {
    if (!roomForSegment(ed, n)) return false;
    Document& doc = ed.doc;
    ArrowRecord& r = doc.arrowRec[n];
    const int s = ++doc.segCount;
    doc.Line1.create(s);
    LineEl& seg = *doc.Line1.find(s);
    seg.x1 = start.x; seg.y1 = start.y; seg.x2 = end.x; seg.y2 = end.y;
    seg.visible = true;
    const int c = ++r.count();
    r.slot[c] = static_cast<int16_t>(s);
    r.drawCursor() = static_cast<int16_t>(c);
    return true;
}

// Removes the last segment of arrow n when it is also the last one created.
void dropLastSegment(Document& doc, ArrowRecord& r) {
    const int c = r.segmentCount();
    if (c == 0 || r.slot[c] != doc.segCount) return;
    doc.Line1.destroy(doc.segCount--);
    r.slot[c] = 0;
    r.count() = static_cast<int16_t>(c - 1);
    r.drawCursor() = r.count();
}

}  // namespace

void polylineLeftRelease(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    const int n = doc.selIndex;
    ArrowRecord* r = doc.arrowRecord(n);
    if (!r) return;
    PointF start{x, y};
    if (const LineEl* prev = lastSegment(doc, *r)) start = {prev->x2, prev->y2};
    // The new segment starts with its end on its start until the pointer moves.
    if (!appendSegment(ed, n, start, start)) return;
    doc.lneTemp.x1 = doc.lneTemp.x2 = start.x;
    doc.lneTemp.y1 = doc.lneTemp.y2 = start.y;
    doc.lneTemp.visible = true;
    ed.markModified();
}

void endPolyline(Editor& ed, std::optional<PointF> release) {
    Document& doc = ed.doc;
    const int n = doc.selIndex;
    doc.lneTemp.visible = false;
    doc.selKind = SelKind::None;
    ArrowRecord* r = doc.arrowRecord(n);
    if (!r) return;
    if (const LineEl* last = lastSegment(doc, *r)) {
        if (last->x1 == last->x2 && last->y1 == last->y2) dropLastSegment(doc, *r);
    }
    const LineEl& band = doc.lneTemp;
    if (release && r->count() > 0 && bandIsLong(band.x1 - band.x2, band.y1 - band.y2)) {
        const LineEl* last = lastSegment(doc, *r);
        if (last) appendSegment(ed, n, {last->x2, last->y2}, *release);
    }
    if (r->count() == 0) return;  // nothing was drawn: the arrow is abandoned
    orientArrowHead(doc, n);
    r->head() = static_cast<int16_t>(n);
    ed.markModified();
}

void polylineRightRelease(Editor& ed, float x, float y) { endPolyline(ed, PointF{x, y}); }

namespace {

void hideHeadPreviews(Document& doc) {
    for (int d = 0; d < 4; ++d) doc.heads(d)->templ().visible = false;
}

}  // namespace

void freePolylineStep(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    ArrowRecord* r = doc.arrowRecord(doc.selIndex);
    LineEl* s = r ? lastSegment(doc, *r) : nullptr;
    if (!s) return;
    s->x2 = x;
    s->y2 = y;
    const Dir dir = directionOf(s->x1, s->y1, s->x2, s->y2);
    hideHeadPreviews(doc);
    PictureEl& preview = doc.heads(dir).templ();
    placeHead(preview, dir, x, y);
    preview.visible = true;
    r->direction() = static_cast<int16_t>(dir);
}

void freePolylineLeftRelease(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    const int n = doc.selIndex;
    ArrowRecord* r = doc.arrowRecord(n);
    if (!r || !roomForSegment(ed, n)) return;
    if (LineEl* prev = lastSegment(doc, *r)) {
        prev->x2 = x;
        prev->y2 = y;
    }
    appendSegment(ed, n, {x, y}, {x, y});  // its end on its start until the pointer moves
    ed.markModified();
}

void freePolylineRightRelease(Editor& ed, float /*x*/, float /*y*/) {
    hideHeadPreviews(ed.doc);
    endPolyline(ed, std::nullopt);
}

}  // namespace qm
