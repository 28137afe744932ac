#include "interact/pointer.h"

#include <algorithm>
#include <vector>

#include "interact/arrow_drags.h"
#include "interact/arrows.h"
#include "interact/deleting.h"
#include "interact/glue.h"
#include "interact/handles.h"
#include "interact/move.h"
#include "interact/resize.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "interact/snapping.h"
#include "model/element_parts.h"
#include "model/relayout.h"
#include "model/rounding.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "model/title_block.h"

namespace qm {
namespace {

// A cheap test that rules out most segments of a large drawing before the exact
// hit test on rounded values (which it never contradicts).
bool nearSegmentBox(const LineEl& s, float x, float y, float reach) {
    const float m = reach + 1;
    return x >= std::min(s.x1, s.x2) - m && x <= std::max(s.x1, s.x2) + m && y >= std::min(s.y1, s.y2) - m &&
           y <= std::max(s.y1, s.y2) + m;
}

// A new rectangle or ellipse carried with its divider, inner labels, texts and
// (where the program has them) corner handles.
void carryShape(Editor& ed, int i, float left, float top) {
    if (const ShapeEl* s = ed.doc.Shape1.find(i)) {
        const PointF in = intoCanvas(ed, {left, top, left + s->width, top + s->height});
        left += in.x;
        top += in.y;
    }
    moveShapeTo(ed.doc, i, left, top);
    if (rulesOf(ed).cornerHandles) showShapeHandles(ed, i);
    layoutOwnShapeTexts(ed.doc, i);
}

void carryDiamond(Editor& ed, int i, double x, double y) {
    if (const DiamondRecord* r = ed.doc.diamondRecord(i)) {
        const auto l = static_cast<float>(x), t = static_cast<float>(y);
        const PointF in = intoCanvas(ed, {l, t, l + static_cast<float>(r->width), t + static_cast<float>(r->height)});
        x += in.x;
        y += in.y;
    }
    layoutDiamondAt(ed.doc, i, x, y);
    layoutOwnDiamondTexts(ed.doc, i);
}

// The elements a press at (x, y) lands on, in the order the press takes them, each
// later one taking the selection from those before: the first rectangle or
// ellipse, each diamond, the title block, each arrow.
std::vector<ElementRef> hitsAt(const Editor& ed, float x, float y) {
    const Document& doc = ed.doc;
    std::vector<ElementRef> hits;
    for (int i = 1; i <= lastRecordIndex(doc.shapeCount); ++i) {
        const ShapeEl* s = doc.Shape1.find(i);
        if (!s || !s->visible) continue;
        if (s->left <= x && x <= s->left + s->width && s->top <= y && y <= s->top + s->height) {
            hits.push_back({ElementKind::Shape, i});
            break;
        }
    }
    for (int i = 1; i <= lastRecordIndex(doc.diamondCount); ++i) {
        const LineEl *l1 = doc.lx1.find(i), *l2 = doc.lx2.find(i), *l4 = doc.lx4.find(i);
        if (!l1 || !l2 || !l4 || !l1->visible) continue;
        if (l1->x1 <= x && x <= l2->x2 && l1->y2 <= y && y <= l4->y1) hits.push_back({ElementKind::Diamond, i});
    }
    const ShapeEl& f = doc.Shape2;
    if (rulesOf(ed).titleBlock && f.left < x && x < f.left + f.width && f.top < y && y < f.top + f.height)
        hits.push_back({ElementKind::TitleBlock, 0});
    const int16_t px = roundI16Sat(x), py = roundI16Sat(y);
    const float reach = ed.screenTolerance(kSegmentReach);
    for (int a = 1; a <= lastRecordIndex(doc.arrowCount); ++a) {
        const ArrowRecord& r = doc.arrowRec[a];
        const int n = r.segmentCount();
        for (int s = 1; s <= n; ++s) {
            const LineEl* seg = doc.Line1.find(r.slot[s]);
            if (!seg || !seg->visible || !nearSegmentBox(*seg, x, y, reach)) continue;
            if (hitSegment(roundI16Sat(seg->x1), roundI16Sat(seg->y1), roundI16Sat(seg->x2), roundI16Sat(seg->y2),
                           px, py, reach)) {
                hits.push_back({ElementKind::Arrow, a});
                break;
            }
        }
    }
    return hits;
}

// Shift shows the hidden texts of what a press selects: a rectangle's, ellipse's
// or diamond's two, the title block's cell under the pointer.
void revealTexts(Document& doc, ElementRef e, float x, float y) {
    if (const ShapeRecord* r = e.kind == ElementKind::Shape ? doc.shapeRecord(e.index) : nullptr) {
        doc.Label.setVisible(r->label2, true);
        doc.Label.setVisible(r->label1, true);
    } else if (const DiamondRecord* d = e.kind == ElementKind::Diamond ? doc.diamondRecord(e.index) : nullptr) {
        doc.Label.setVisible(d->label1, true);
        doc.Label.setVisible(d->label2, true);
    } else if (e.kind == ElementKind::TitleBlock) {
        doc.Label.setVisible(titleBlockCellLabel(doc, x, y), true);
    }
}

// Where a press lands for what it selects. A rectangle, ellipse or diamond being
// placed has its corner where the pointer carried it, so that the press dropping
// it lands on it; on the grid that corner may lie a few pixels beside the
// pointer, and the press is taken on the element's nearest edge instead.
PointF dropPoint(const Editor& ed, float x, float y) {
    const SelKind k = ed.doc.selKind;
    if (k != SelKind::PlacingShape && k != SelKind::PlacingDiamond) return {x, y};
    const std::optional<BoxF> b = outlineOf(ed.doc, {*elementKindOf(k), ed.doc.selIndex});
    if (!b) return {x, y};
    return {std::clamp(x, b->left, b->right), std::clamp(y, b->top, b->bottom)};
}

// The rubber band let go: what it took in is selected.
void finishBand(Editor& ed) {
    const std::optional<BoxF> band = rubberBand(ed.doc);
    ed.doc.selKind = SelKind::None;
    if (band) selectElements(ed, elementsInside(ed, *band));
}

}  // namespace

std::optional<ElementRef> elementUnder(const Editor& ed, float x, float y) {
    const std::vector<ElementRef> hits = hitsAt(ed, x, y);
    if (hits.empty()) return std::nullopt;
    return hits.back();
}

void selectUnder(Editor& ed, int shift, float x, float y) {
    for (ElementRef e : hitsAt(ed, x, y)) {
        selectElement(ed, e.kind, e.index);
        if (shift == kShift) revealTexts(ed.doc, e, x, y);
    }
}

std::optional<int> handleAt(const Editor& ed, float x, float y) {
    const Document& doc = ed.doc;
    const float scale = ed.screenTolerance(1);
    int k = -1;
    if (doc.selKind == SelKind::Arrow) {
        const ArrowRecord* r = doc.arrowRecord(doc.selIndex);
        k = handleUnder(doc, 0, r ? std::min<int>(r->count(), ArrowRecord::kMaxSegments) : -1, x, y, scale);
    } else if (doc.selKind == SelKind::Shape || doc.selKind == SelKind::Diamond) {
        k = handleUnder(doc, 1, 4, x, y, scale);
    }
    if (k < 0) return std::nullopt;
    return k;
}

bool grabHandle(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    const std::optional<int> k = handleAt(ed, x, y);
    if (!k) return false;
    if (doc.selKind == SelKind::Arrow) {
        beginDrag(ed, x, y);
        doc.selKind = SelKind::DraggingVertex;
    } else {
        beginResize(ed, {*elementKindOf(doc.selKind), doc.selIndex}, x, y);
        doc.selKind = doc.selKind == SelKind::Shape ? SelKind::ResizingShape : SelKind::ResizingDiamond;
    }
    ed.drag.hitIndex = static_cast<int16_t>(*k);
    return true;
}

bool pressOnGroup(Editor& ed, float x, float y) {
    const Document& doc = ed.doc;
    if (doc.selKind != SelKind::Several) return false;
    const std::vector<ElementRef> hits = hitsAt(ed, x, y);
    if (std::none_of(hits.begin(), hits.end(), [&](ElementRef e) { return carriedBySelection(doc, e); })) return false;
    beginMove(ed, x, y);
    return true;
}

void startDragOrBand(Editor& ed, float x, float y) {
    if (ed.doc.selKind != SelKind::None)
        beginMove(ed, x, y);
    else
        beginDrag(ed, x, y);  // where a band would start
}

void toggleUnder(Editor& ed, float x, float y) {
    if (const std::optional<ElementRef> e = elementUnder(ed, x, y)) toggleSelected(ed, *e);
}

PointF clampToCanvas(const Editor& ed, float x, float y) {
    const CanvasGeometry& c = ed.canvas;
    return {std::clamp(x, 0.0f, c.width - 2 * c.frame), std::clamp(y, 0.0f, c.height - 2 * c.frame)};
}

void placeNewElement(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    if (canvasCarries(doc.selKind)) {
        canvasMove(ed, 0, 0, x, y);
    } else if (LabelEl* l = doc.selKind == SelKind::PlacingLabel ? doc.Label.find(doc.selIndex) : nullptr) {
        const PointF at = snapPoint(ed, {x, y});  // its corner on the grid, as a new shape's
        const PointF in = intoCanvas(ed, {at.x, at.y, at.x + l->width, at.y + l->height});
        l->left = at.x + in.x;
        l->top = at.y + in.y;
    }
}

void canvasPress(Editor& ed, int /*button*/, int shift, float x, float y) {
    if (ed.doc.selKind == SelKind::DrawingArrow) return;  // drawing happens on release
    if (placesStraightArrow(ed.doc.selKind)) {
        // Its tail stays here: a drag draws the arrow to where it is let go, a
        // click drops it at its own length (canvasRelease).
        beginDrag(ed, x, y);
        return;
    }
    if (grabHandle(ed, x, y) || pressOnGroup(ed, x, y)) return;
    const PointF at = dropPoint(ed, x, y);
    clearSelection(ed);
    selectUnder(ed, shift, at.x, at.y);
    startDragOrBand(ed, x, y);
}

void canvasMove(Editor& ed, int button, int shift, float rawX, float rawY) {
    Document& doc = ed.doc;
    const bool left = button == kLeftButton;
    ed.snapHeldOff = (shift & kAlt) != 0;
    auto [x, y] = clampToCanvas(ed, rawX, rawY);
    const PointF snapped = snapPoint(ed, {x, y});
    const int i = doc.selIndex;
    switch (doc.selKind) {
        case SelKind::PlacingShape:
            ed.host.setCanvasCursor(CursorKind::Insert);
            carryShape(ed, i, snapped.x, snapped.y);
            break;
        case SelKind::Shape:
        case SelKind::Arrow:
        case SelKind::Diamond:
        case SelKind::TitleBlock:
        case SelKind::Several:
            if (left) dragSelection(ed, x, y);
            return;  // what moved marked the drawing
        case SelKind::DrawingArrow:
            ed.host.setCanvasCursor(CursorKind::Crosshair);
            if (snapsToGrid(ed)) {
                const PointF v = snapEnd(ed, x, y);
                x = v.x;
                y = v.y;
            }
            rulesOf(ed).drawArrowMove(ed, x, y);
            return;  // the segment follows the pointer until a release; no change yet
        case SelKind::PlacingDiamond:
            ed.host.setCanvasCursor(CursorKind::Insert);
            carryDiamond(ed, i, snapped.x, snapped.y);
            break;
        case SelKind::DraggingVertex:
            if (!left) return;
            dragVertex(ed, x, y);
            break;
        case SelKind::PlacingLeftArrow:
        case SelKind::PlacingRightArrow:
        case SelKind::PlacingUpArrow:
        case SelKind::PlacingDownArrow:
            if (left && ed.capture.kind != PointerTarget::None)
                drawStraightArrow(ed, x, y);
            else
                placeStraightArrow(ed, x, y);
            break;
        case SelKind::ResizingShape:
            resizeShapeStep(ed, snapped.x, snapped.y);
            showGuidesForPoint(ed, snapped);
            break;
        case SelKind::ResizingDiamond:
            resizeDiamondStep(ed, snapped.x, snapped.y);
            showGuidesForPoint(ed, snapped);
            break;
        case SelKind::None:  // a drag from empty canvas draws a rubber band
        case SelKind::SelectingArea:
            if (left) {
                doc.selKind = SelKind::SelectingArea;
                doc.bandFromX = ed.drag.downX;
                doc.bandFromY = ed.drag.downY;
                doc.bandX = roundI16Sat(x);
                doc.bandY = roundI16Sat(y);
            }
            return;  // the band is no part of the drawing
        case SelKind::PlacingLabel:  // labels are carried by Timer1
        case SelKind::Label:
            return;
    }
    ed.markModified();
}

void canvasRelease(Editor& ed, int button, int shift, float rawX, float rawY) {
    Document& doc = ed.doc;
    ed.snapHeldOff = (shift & kAlt) != 0;
    auto [x, y] = clampToCanvas(ed, rawX, rawY);
    switch (doc.selKind) {
        case SelKind::DrawingArrow:
            if (snapsToGrid(ed)) {
                const PointF v = snapEnd(ed, x, y);
                x = v.x;
                y = v.y;
            }
            if (button == kLeftButton) {
                rulesOf(ed).drawArrowClick(ed, x, y);
            } else if (button == kRightButton) {
                rulesOf(ed).drawArrowEnd(ed, x, y);
                return;  // the right button ends the arrow and opens no menu
            }
            break;
        case SelKind::DraggingVertex:
            doc.selKind = SelKind::Arrow;
            break;
        case SelKind::ResizingShape:
            finishShapeResize(ed);
            endDrag(ed);
            break;
        case SelKind::ResizingDiamond:
            finishDiamondResize(ed);
            endDrag(ed);
            break;
        case SelKind::Shape:
        case SelKind::Arrow:
        case SelKind::Diamond:
        case SelKind::TitleBlock:
        case SelKind::Several:
            endMove(ed);
            break;
        case SelKind::SelectingArea:
            finishBand(ed);
            break;
        case SelKind::PlacingLeftArrow:
        case SelKind::PlacingRightArrow:
        case SelKind::PlacingUpArrow:
        case SelKind::PlacingDownArrow:
            if (ed.drag.hitIndex == 0) {
                // A click: the arrow keeps its length, its tail on the connection
                // point the pointer was pulled to (the pointer only comes within a
                // pixel of it).
                const PointF tail = snapEnd(ed, x, y);
                placeStraightArrow(ed, tail.x, tail.y);
            }
            endStraightArrowDrag(ed);
            break;
        case SelKind::None:
        case SelKind::PlacingShape:
        case SelKind::PlacingLabel:
        case SelKind::Label:
        case SelKind::PlacingDiamond:
            break;  // a move put everything in place already
    }
    if (button == kRightButton) ed.host.popupEditMenu();
}

// A click changes nothing by itself: whatever its press and release changed marks
// the drawing.
void canvasClick(Editor& ed) {
    if (ed.doc.selKind != SelKind::DrawingArrow) ed.host.setCanvasCursor(CursorKind::Default);
}

void nudgeHandle(Editor& ed, float dx, float dy) {
    // The reduced editor, without resizing or snapping, has no keys for handles.
    if (ed.capture.kind != PointerTarget::None || !rulesOf(ed).cornerHandles) return;
    if (ed.doc.selKind == SelKind::Arrow) nudgeArrowHead(ed, dx, dy);
    resizeCornerBy(ed, dx, dy);
}

void canvasKeyDown(Editor& ed, int keyCode, int shift) {
    const float step = shift & kShift ? 10 * kTwipsPerPixel : kTwipsPerPixel;
    if (shift & kAlt) {
        switch (keyCode) {
            case kLeftKey: nudgeHandle(ed, -step, 0); break;
            case kRightKey: nudgeHandle(ed, step, 0); break;
            case kUpKey: nudgeHandle(ed, 0, -step); break;
            case kDownKey: nudgeHandle(ed, 0, step); break;
            default: break;
        }
        return;
    }
    switch (keyCode) {
        case kDeleteKey: rulesOf(ed).deleteSelection(ed); break;
        case kLeftKey: nudgeSelection(ed, -step, 0); break;
        case kRightKey: nudgeSelection(ed, step, 0); break;
        case kUpKey: nudgeSelection(ed, 0, -step); break;
        case kDownKey: nudgeSelection(ed, 0, step); break;
        default: break;
    }
}

void arrowheadPress(Editor& ed, Dir dir, int i, float x, float y) {
    const PictureEl* pic = ed.doc.heads(dir).find(i);
    if (!pic) return;
    canvasPress(ed, 0, 0, pic->left + x, pic->top + y);
    ed.host.focusCanvas();
}

}  // namespace qm
