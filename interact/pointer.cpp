#include "interact/pointer.h"

#include <algorithm>

#include "interact/arrows.h"
#include "interact/relayout.h"
#include "interact/selection.h"
#include "model/labels.h"
#include "model/rounding.h"
#include "model/sel_kind.h"
#include "model/title_block.h"

namespace qm {
namespace {

constexpr float kMinShapeWidth = 1965, kMinShapeHeight = 1215;
constexpr int32_t kMinDiamondWidth = 2400, kMinDiamondHeight = 1200;

bool within(const HandleEl* h, float x, float y) {
    return h && h->visible && h->left <= x && x <= h->left + h->width && h->top <= y &&
           y <= h->top + h->height;
}

// The highest-numbered visible handle in first..last under the pointer, or -1.
int handleUnder(const Document& doc, int first, int last, float x, float y) {
    int hit = -1;
    for (int k = first; k <= last; ++k)
        if (within(doc.handle(k), x, y)) hit = k;
    return hit;
}

void layoutOwnShapeTexts(Document& doc, int i) {
    const ShapeEl* s = doc.Shape1.find(i);
    if (!s || i < 1 || i > kMaxRecordIndex) return;
    const ShapeRecord& r = doc.shapeRec[i];
    layoutShapeTexts(doc, r.label1, r.label2, roundI32Sat(s->left), roundI32Sat(s->top), roundI32Sat(s->height),
                     roundI32Sat(s->width));
}

void layoutOwnDiamondTexts(Document& doc, int i) {
    if (i < 1 || i > kMaxRecordIndex) return;
    const DiamondRecord& r = doc.diamondRec[i];
    const LineEl* lx1 = doc.lx1.find(i);
    const int32_t left = lx1 ? roundI32Sat(lx1->x1) : r.x, top = lx1 ? roundI32Sat(lx1->y2) : r.y;
    layoutShapeTexts(doc, r.label1, r.label2, left, top, r.height, r.width);
}

void layoutDiamondBox(Document& doc, int i, double x, double y) {
    if (i < 1 || i > kMaxRecordIndex) return;
    const DiamondRecord& r = doc.diamondRec[i];
    layoutDiamond(doc, roundI16Sat(x), roundI16Sat(y), roundI16Sat(r.width), roundI16Sat(r.height), i);
}

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

// Corner drag of a rectangle or ellipse: a negative size is refused by the outline
// and keeps its value for this move; the other assignments still happen.
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
    const int i = doc.selIndex;
    if (i < 1 || i > kMaxRecordIndex) return;
    DiamondRecord& r = doc.diamondRec[i];
    const double l = r.x, t = r.y, w = r.width, h = r.height;
    switch (doc.hitIndex) {
        case 1: r.width = roundI32Sat(l + w - x); r.height = roundI32Sat(t + h - y); r.x = roundI32Sat(x); r.y = roundI32Sat(y); break;
        case 2: r.width = roundI32Sat(x - l); r.height = roundI32Sat(t + h - y); r.y = roundI32Sat(y); break;
        case 3: r.width = roundI32Sat(x - l); r.height = roundI32Sat(y - t); break;
        case 4: r.width = roundI32Sat(l + w - x); r.height = roundI32Sat(y - t); r.x = roundI32Sat(x); break;
        default: break;
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
            layoutDiamondBox(doc, i, x, y);
            layoutOwnDiamondTexts(doc, i);
            break;
        case SelKind::Diamond:
            if (!left) return;
            layoutDiamondBox(doc, i, doc.startLeft + x - doc.downX, doc.startTop + y - doc.downY);
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
            resizeShape(doc, x, y);
            if (const ShapeEl* s = doc.Shape1.find(i)) moveShapeTo(doc, i, s->left, s->top);
            showShapeHandles(ed, i);
            layoutOwnShapeTexts(doc, i);
            break;
        case SelKind::ResizingDiamond: {
            resizeDiamond(doc, x, y);
            const DiamondRecord& r = doc.diamondRec[i];
            layoutDiamond(doc, roundI16Sat(r.x), roundI16Sat(r.y), roundI16Sat(r.width), roundI16Sat(r.height), i);
            showDiamondHandles(ed, i);
            layoutShapeTexts(doc, r.label1, r.label2, r.x, r.y, r.height, r.width);
            break;
        }
        default:
            return;
    }
    ed.markModified();
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
    }
    doc.selKind = SelKind::Shape;
}

void finishDiamondResize(Editor& ed) {
    Document& doc = ed.doc;
    const int i = doc.selIndex;
    if (i >= 1 && i <= kMaxRecordIndex) {
        DiamondRecord& r = doc.diamondRec[i];
        r.width = std::max(r.width, kMinDiamondWidth);
        r.height = std::max(r.height, kMinDiamondHeight);
        layoutDiamond(doc, roundI16Sat(r.x), roundI16Sat(r.y), roundI16Sat(r.width), roundI16Sat(r.height), i);
        layoutShapeTexts(doc, r.label1, r.label2, r.x, r.y, r.height, r.width);
        showDiamondHandles(ed, i);
    }
    doc.selKind = SelKind::Diamond;
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
