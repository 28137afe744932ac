#include "interact/pointer.h"

#include <algorithm>

#include "interact/arrows.h"
#include "interact/handles.h"
#include "interact/resize.h"
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
    colourShape(doc, i, kGreen);
    doc.selKind = SelKind::Shape;
    doc.selIndex = static_cast<int16_t>(i);
    showShapeHandles(ed, i);
    if (shift == kShift) {
        doc.Label.setVisible(doc.shapeRec[i].label2, true);
        doc.Label.setVisible(doc.shapeRec[i].label1, true);
    }
}

void selectDiamond(Editor& ed, int i, int shift) {
    Document& doc = ed.doc;
    clearSelection(ed);
    colourDiamond(doc, i, kGreen);
    doc.selKind = SelKind::Diamond;
    doc.selIndex = static_cast<int16_t>(i);
    showDiamondHandles(ed, i);
    if (shift == kShift) {
        doc.Label.setVisible(doc.diamondRec[i].label1, true);
        doc.Label.setVisible(doc.diamondRec[i].label2, true);
    }
}

void selectArrow(Editor& ed, int a) {
    Document& doc = ed.doc;
    clearSelection(ed);
    colourArrow(doc, a, kGreen);
    doc.selKind = SelKind::Arrow;
    doc.selIndex = static_cast<int16_t>(a);
    showArrowHandles(ed, a);
}

// A cheap test that rules out most segments of a large drawing before the exact
// hit test on rounded values (which it never contradicts).
bool nearSegmentBox(const LineEl& s, float x, float y) {
    constexpr float m = 101;
    return x >= std::min(s.x1, s.x2) - m && x <= std::max(s.x1, s.x2) + m && y >= std::min(s.y1, s.y2) - m &&
           y <= std::max(s.y1, s.y2) + m;
}

void pressScan(Editor& ed, int shift, float x, float y) {
    Document& doc = ed.doc;
    const int shapes = std::min<int>(doc.shapeCount, kMaxRecordIndex);
    for (int i = 1; i <= shapes; ++i) {
        const ShapeEl* s = doc.Shape1.find(i);
        if (!s || !s->visible || doc.selKind == SelKind::ResizingShape || doc.selKind == SelKind::Shape) continue;
        if (s->left <= x && x <= s->left + s->width && s->top <= y && y <= s->top + s->height)
            selectShape(ed, i, shift);
    }
    const int diamonds = std::min<int>(doc.diamondCount, kMaxRecordIndex);
    for (int i = 1; i <= diamonds; ++i) {
        const LineEl *l1 = doc.lx1.find(i), *l2 = doc.lx2.find(i), *l4 = doc.lx4.find(i);
        if (!l1 || !l2 || !l4 || !l1->visible || doc.selKind == SelKind::ResizingDiamond) continue;
        if (l1->x1 <= x && x <= l2->x2 && l1->y2 <= y && y <= l4->y1) selectDiamond(ed, i, shift);
    }
    const ShapeEl& f = doc.Shape2;
    if (f.left < x && x < f.left + f.width && f.top < y && y < f.top + f.height) {
        clearSelection(ed);
        colourTitleBlock(doc, kGreen);
        doc.selKind = SelKind::TitleBlock;
        if (shift == kShift) doc.Label.setVisible(titleBlockCellLabel(doc, x, y), true);
    }
    const int16_t px = roundI16Sat(x), py = roundI16Sat(y);
    const int arrows = std::min<int>(doc.arrowCount, kMaxRecordIndex);
    for (int a = 1; a <= arrows; ++a) {
        ArrowRecord& r = doc.arrowRec[a];
        const int n = std::clamp<int>(r.count(), 0, ArrowRecord::kMaxSegments);
        int s = 1;
        for (; s <= n; ++s) {
            const LineEl* seg = doc.Line1.find(r.slot[s]);
            if (!seg || !seg->visible || doc.selKind == SelKind::DraggingVertex) continue;
            if (!nearSegmentBox(*seg, x, y)) continue;
            if (hitSegment(roundI16Sat(seg->x1), roundI16Sat(seg->y1), roundI16Sat(seg->x2), roundI16Sat(seg->y2),
                           px, py))
                selectArrow(ed, a);
        }
        r.drawCursor() = static_cast<int16_t>(s);  // the scan's loop position, as files have always held it
    }
}

}  // namespace

PointF clampToCanvas(const Editor& ed, float x, float y) {
    const CanvasGeometry& c = ed.canvas;
    return {std::clamp(x, 0.0f, c.width - 2 * c.frame), std::clamp(y, 0.0f, c.height - 2 * c.frame)};
}

void canvasPress(Editor& ed, int /*button*/, int shift, float x, float y) {
    Document& doc = ed.doc;
    if (doc.selKind == SelKind::DrawingArrow) return;  // drawing happens on release
    if (doc.selKind == SelKind::Arrow) {
        const int n = doc.selIndex >= 1 && doc.selIndex <= kMaxRecordIndex ? doc.arrowRec[doc.selIndex].count() : -1;
        if (int k = handleUnder(doc, 0, std::min(n, 255), x, y); k >= 0) {
            doc.selKind = SelKind::DraggingVertex;
            doc.hitIndex = static_cast<int16_t>(k);
        }
    } else if (doc.selKind == SelKind::Shape || doc.selKind == SelKind::Diamond) {
        if (int k = handleUnder(doc, 1, 4, x, y); k >= 1) {
            doc.selKind = doc.selKind == SelKind::Shape ? SelKind::ResizingShape : SelKind::ResizingDiamond;
            doc.hitIndex = static_cast<int16_t>(k);
        }
    }
    if (doc.selKind != SelKind::DraggingVertex && doc.selKind != SelKind::ResizingShape &&
        doc.selKind != SelKind::ResizingDiamond)
        clearSelection(ed);
    pressScan(ed, shift, x, y);

    doc.downX = roundI16Sat(x);
    doc.downY = roundI16Sat(y);
    if (doc.selKind == SelKind::Shape) {
        const ShapeEl& s = *doc.Shape1.find(doc.selIndex);
        doc.startLeft = roundI16Sat(s.left);
        doc.startTop = roundI16Sat(s.top);
    } else if (doc.selKind == SelKind::Diamond) {
        const LineEl* l1 = doc.lx1.find(doc.selIndex);
        doc.startLeft = l1 ? roundI16Sat(l1->x1) : 0;
        doc.startTop = l1 ? roundI16Sat(l1->y2) : 0;
    } else if (doc.selKind == SelKind::TitleBlock) {
        doc.startLeft = roundI16Sat(doc.Shape2.left);
        doc.startTop = roundI16Sat(doc.Shape2.top);
    }
}

void canvasMove(Editor& ed, int button, int /*shift*/, float rawX, float rawY) {
    Document& doc = ed.doc;
    const bool left = button == kLeftButton;
    const auto [x, y] = clampToCanvas(ed, rawX, rawY);
    const int i = doc.selIndex;
    switch (doc.selKind) {
        case SelKind::PlacingShape:
            ed.host.setCanvasCursor(CursorKind::Insert);
            moveShapeTo(doc, i, x, y);
            showShapeHandles(ed, i);
            layoutOwnShapeTexts(doc, i);
            break;
        case SelKind::Shape:
            if (!left) return;
            moveShapeTo(doc, i, doc.startLeft + x - doc.downX, doc.startTop + y - doc.downY);
            showShapeHandles(ed, i);
            layoutOwnShapeTexts(doc, i);
            break;
        case SelKind::DrawingArrow:
            ed.host.setCanvasCursor(CursorKind::Crosshair);
            polylineStep(ed, x, y);
            return;  // the rubber band is no change to the drawing
        case SelKind::Arrow:
            if (!left) return;
            dragArrow(ed, x, y);
            doc.downX = roundI16Sat(x);
            doc.downY = roundI16Sat(y);
            break;
        case SelKind::PlacingDiamond:
            ed.host.setCanvasCursor(CursorKind::Insert);
            layoutDiamondAt(doc, i, x, y);
            layoutOwnDiamondTexts(doc, i);
            break;
        case SelKind::Diamond:
            if (!left) return;
            layoutDiamondAt(doc, i, doc.startLeft + x - doc.downX, doc.startTop + y - doc.downY);
            layoutOwnDiamondTexts(doc, i);
            showDiamondHandles(ed, i);
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
        default:
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
                polylineLeftRelease(ed, x, y);
            } else if (button == kRightButton) {
                endPolyline(ed, PointF{x, y});
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
        default:
            break;
    }
    if (button == kRightButton) ed.host.popupEditMenu();
}

void canvasClick(Editor& ed) {
    if (ed.doc.selKind != SelKind::DrawingArrow) ed.host.setCanvasCursor(CursorKind::Default);
    ed.markModified();
}

void canvasKeyDown(Editor& ed, int keyCode) {
    if (keyCode == kDeleteKey) deleteSelection(ed);
}

}  // namespace qm
