#include "interact/pointer.h"

#include <algorithm>

#include "interact/arrows.h"
#include "interact/handles.h"
#include "interact/resize.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "model/relayout.h"
#include "model/rounding.h"
#include "model/sel_kind.h"
#include "model/title_block.h"

namespace qm {
namespace {

void selectShape(Editor& ed, int i, int shift) {
    Document& doc = ed.doc;
    clearSelection(ed);
    doc.selKind = SelKind::Shape;
    doc.selIndex = static_cast<int16_t>(i);
    if (rulesOf(ed).cornerHandles) showShapeHandles(ed, i);
    if (shift == kShift) {
        doc.Label.setVisible(doc.shapeRec[i].label2, true);
        doc.Label.setVisible(doc.shapeRec[i].label1, true);
    }
}

void selectDiamond(Editor& ed, int i, int shift) {
    Document& doc = ed.doc;
    clearSelection(ed);
    doc.selKind = SelKind::Diamond;
    doc.selIndex = static_cast<int16_t>(i);
    if (rulesOf(ed).cornerHandles) showDiamondHandles(ed, i);
    if (shift == kShift) {
        doc.Label.setVisible(doc.diamondRec[i].label1, true);
        doc.Label.setVisible(doc.diamondRec[i].label2, true);
    }
}

void selectArrow(Editor& ed, int a) {
    Document& doc = ed.doc;
    clearSelection(ed);
    doc.selKind = SelKind::Arrow;
    doc.selIndex = static_cast<int16_t>(a);
    showArrowHandles(ed, a);
}

// A cheap test that rules out most segments of a large drawing before the exact
// hit test on rounded values (which it never contradicts).
bool nearSegmentBox(const LineEl& s, float x, float y, float reach) {
    const float m = reach + 1;
    return x >= std::min(s.x1, s.x2) - m && x <= std::max(s.x1, s.x2) + m && y >= std::min(s.y1, s.y2) - m &&
           y <= std::max(s.y1, s.y2) + m;
}

// A rectangle or ellipse carried with its divider, inner labels, texts and (where
// the program has them) corner handles.
void carryShape(Editor& ed, int i, float left, float top) {
    moveShapeTo(ed.doc, i, left, top);
    if (rulesOf(ed).cornerHandles) showShapeHandles(ed, i);
    layoutOwnShapeTexts(ed.doc, i);
}

void carryDiamond(Editor& ed, int i, double x, double y, bool handles) {
    layoutDiamondAt(ed.doc, i, x, y);
    layoutOwnDiamondTexts(ed.doc, i);
    if (handles) showDiamondHandles(ed, i);
}

}  // namespace

void selectElement(Editor& ed, ElementKind kind, int i) {
    Document& doc = ed.doc;
    switch (kind) {
        case ElementKind::Shape:
            if (i <= doc.shapeCount && doc.Shape1.exists(i)) selectShape(ed, i, 0);
            break;
        case ElementKind::Diamond:
            if (i <= doc.diamondCount && doc.lx1.exists(i)) selectDiamond(ed, i, 0);
            break;
        case ElementKind::Arrow:
            if (i <= doc.arrowCount && doc.arrowRecord(i)) selectArrow(ed, i);
            break;
        case ElementKind::TitleBlock:
            clearSelection(ed);
            doc.selKind = SelKind::TitleBlock;
            break;
        case ElementKind::Label:
            if (i <= doc.labelCount && doc.Label.exists(i)) {
                clearSelection(ed);
                doc.selKind = SelKind::Label;
                doc.selIndex = static_cast<int16_t>(i);
            }
            break;
    }
}

void selectUnder(Editor& ed, int shift, float x, float y) {
    Document& doc = ed.doc;
    for (int i = 1; i <= lastRecordIndex(doc.shapeCount); ++i) {
        const ShapeEl* s = doc.Shape1.find(i);
        if (!s || !s->visible || doc.selKind == SelKind::ResizingShape || doc.selKind == SelKind::Shape) continue;
        if (s->left <= x && x <= s->left + s->width && s->top <= y && y <= s->top + s->height)
            selectShape(ed, i, shift);
    }
    for (int i = 1; i <= lastRecordIndex(doc.diamondCount); ++i) {
        const LineEl *l1 = doc.lx1.find(i), *l2 = doc.lx2.find(i), *l4 = doc.lx4.find(i);
        if (!l1 || !l2 || !l4 || !l1->visible || doc.selKind == SelKind::ResizingDiamond) continue;
        if (l1->x1 <= x && x <= l2->x2 && l1->y2 <= y && y <= l4->y1) selectDiamond(ed, i, shift);
    }
    const ShapeEl& f = doc.Shape2;
    if (rulesOf(ed).titleBlock && f.left < x && x < f.left + f.width && f.top < y && y < f.top + f.height) {
        selectElement(ed, ElementKind::TitleBlock, 0);
        if (shift == kShift) doc.Label.setVisible(titleBlockCellLabel(doc, x, y), true);
    }
    const int16_t px = roundI16Sat(x), py = roundI16Sat(y);
    const float reach = ed.screenTolerance(kSegmentReach);
    for (int a = 1; a <= lastRecordIndex(doc.arrowCount); ++a) {
        // The record is only read: a press that merely selects leaves the file as it was.
        const ArrowRecord& r = doc.arrowRec[a];
        const int n = r.segmentCount();
        for (int s = 1; s <= n; ++s) {
            const LineEl* seg = doc.Line1.find(r.slot[s]);
            if (!seg || !seg->visible || doc.selKind == SelKind::DraggingVertex) continue;
            if (!nearSegmentBox(*seg, x, y, reach)) continue;
            if (hitSegment(roundI16Sat(seg->x1), roundI16Sat(seg->y1), roundI16Sat(seg->x2), roundI16Sat(seg->y2),
                           px, py, reach))
                selectArrow(ed, a);
        }
    }
}

void grabHandle(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    const float scale = ed.screenTolerance(1);
    if (doc.selKind == SelKind::Arrow) {
        const ArrowRecord* r = doc.arrowRecord(doc.selIndex);
        const int n = r ? std::min<int>(r->count(), ArrowRecord::kMaxSegments) : -1;
        if (int k = handleUnder(doc, 0, n, x, y, scale); k >= 0) {
            doc.selKind = SelKind::DraggingVertex;
            doc.hitIndex = static_cast<int16_t>(k);
        }
    } else if (doc.selKind == SelKind::Shape || doc.selKind == SelKind::Diamond) {
        if (int k = handleUnder(doc, 1, 4, x, y, scale); k >= 1) {
            doc.selKind = doc.selKind == SelKind::Shape ? SelKind::ResizingShape : SelKind::ResizingDiamond;
            doc.hitIndex = static_cast<int16_t>(k);
        }
    }
}

std::optional<PointF> selectionCorner(const Document& doc) {
    const std::optional<ElementKind> kind = restingSelection(doc.selKind);
    if (!kind) return std::nullopt;
    switch (*kind) {
        case ElementKind::Shape: {
            const ShapeEl* s = doc.Shape1.find(doc.selIndex);
            return s ? PointF{s->left, s->top} : PointF{};
        }
        case ElementKind::Diamond: {
            // The box's corner is where the first edge starts (left) and ends (top).
            const LineEl* l1 = doc.lx1.find(doc.selIndex);
            return l1 ? PointF{l1->x1, l1->y2} : PointF{};
        }
        case ElementKind::TitleBlock:
            return PointF{doc.Shape2.left, doc.Shape2.top};
        case ElementKind::Label:  // a label's drag is the label events'
        case ElementKind::Arrow:  // an arrow is dragged by its offset from the press alone
            return std::nullopt;
    }
    return std::nullopt;
}

void noteDragStart(Document& doc, float x, float y, std::optional<PointF> corner) {
    doc.downX = roundI16Sat(x);
    doc.downY = roundI16Sat(y);
    if (!corner) return;
    doc.startLeft = roundI16Sat(corner->x);
    doc.startTop = roundI16Sat(corner->y);
}

PointF clampToCanvas(const Editor& ed, float x, float y) {
    const CanvasGeometry& c = ed.canvas;
    return {std::clamp(x, 0.0f, c.width - 2 * c.frame), std::clamp(y, 0.0f, c.height - 2 * c.frame)};
}

void canvasPress(Editor& ed, int /*button*/, int shift, float x, float y) {
    Document& doc = ed.doc;
    if (doc.selKind == SelKind::DrawingArrow) return;  // drawing happens on release
    grabHandle(ed, x, y);
    if (!dragsHandle(doc.selKind)) clearSelection(ed);
    selectUnder(ed, shift, x, y);
    noteDragStart(doc, x, y, selectionCorner(doc));
}

void canvasMove(Editor& ed, int button, int /*shift*/, float rawX, float rawY) {
    Document& doc = ed.doc;
    const bool left = button == kLeftButton;
    const auto [x, y] = clampToCanvas(ed, rawX, rawY);
    const int i = doc.selIndex;
    switch (doc.selKind) {
        case SelKind::PlacingShape:
            ed.host.setCanvasCursor(CursorKind::Insert);
            carryShape(ed, i, x, y);
            break;
        case SelKind::Shape:
            if (!left) return;
            carryShape(ed, i, doc.startLeft + x - doc.downX, doc.startTop + y - doc.downY);
            break;
        case SelKind::DrawingArrow:
            ed.host.setCanvasCursor(CursorKind::Crosshair);
            rulesOf(ed).drawArrowMove(ed, x, y);
            return;  // the segment follows the pointer until a release; no change yet
        case SelKind::Arrow:
            if (!left) return;
            dragArrow(ed, x, y);
            doc.downX = roundI16Sat(x);
            doc.downY = roundI16Sat(y);
            break;
        case SelKind::PlacingDiamond:
            ed.host.setCanvasCursor(CursorKind::Insert);
            carryDiamond(ed, i, x, y, false);
            break;
        case SelKind::Diamond:
            if (!left) return;
            carryDiamond(ed, i, doc.startLeft + x - doc.downX, doc.startTop + y - doc.downY, rulesOf(ed).cornerHandles);
            break;
        case SelKind::DraggingVertex:
            if (!left) return;
            dragVertex(ed, x, y);
            break;
        case SelKind::TitleBlock:
            if (!left) return;
            layoutTitleBlock(doc, roundI16Sat(doc.startLeft + x - doc.downX), roundI16Sat(doc.startTop + y - doc.downY));
            break;
        case SelKind::PlacingLeftArrow:
        case SelKind::PlacingRightArrow:
        case SelKind::PlacingUpArrow:
        case SelKind::PlacingDownArrow:
            placeStraightArrow(ed, x, y);
            break;
        case SelKind::ResizingShape:
            resizeShapeStep(ed, x, y);
            break;
        case SelKind::ResizingDiamond:
            resizeDiamondStep(ed, x, y);
            break;
        case SelKind::None:
        case SelKind::PlacingLabel:  // labels are carried by Timer1
        case SelKind::Label:
            return;
    }
    ed.markModified();
}

void canvasRelease(Editor& ed, int button, int /*shift*/, float rawX, float rawY) {
    Document& doc = ed.doc;
    const auto [x, y] = clampToCanvas(ed, rawX, rawY);
    switch (doc.selKind) {
        case SelKind::DrawingArrow:
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
            break;
        case SelKind::ResizingDiamond:
            finishDiamondResize(ed);
            break;
        case SelKind::None:
        case SelKind::PlacingShape:
        case SelKind::Shape:
        case SelKind::PlacingLabel:
        case SelKind::Label:
        case SelKind::Arrow:
        case SelKind::PlacingDiamond:
        case SelKind::Diamond:
        case SelKind::TitleBlock:
        case SelKind::PlacingLeftArrow:
        case SelKind::PlacingRightArrow:
        case SelKind::PlacingUpArrow:
        case SelKind::PlacingDownArrow:
            break;  // a move put everything in place already
    }
    if (button == kRightButton) ed.host.popupEditMenu();
}

// A click changes nothing by itself: whatever its press and release changed marks
// the drawing.
void canvasClick(Editor& ed) {
    if (ed.doc.selKind != SelKind::DrawingArrow) ed.host.setCanvasCursor(CursorKind::Default);
}

void canvasKeyDown(Editor& ed, int keyCode) {
    if (keyCode == kDeleteKey) deleteSelection(ed);
}

}  // namespace qm
