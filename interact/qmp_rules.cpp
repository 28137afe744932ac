#include "interact/qmp_rules.h"

#include <algorithm>

#include "interact/arrows.h"
#include "interact/label_editing.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "interact/timers.h"
#include "io/raw_document.h"
#include "model/labels.h"
#include "model/relayout.h"
#include "model/rounding.h"
#include "model/sel_kind.h"

namespace qm::reduced {
namespace {

bool inRecords(int i) { return i >= 1 && i <= kMaxRecordIndex; }

int segmentCount(const ArrowRecord& r) { return std::clamp<int>(r.count(), 0, ArrowRecord::kMaxSegments); }

void pressScan(Editor& ed, int shift, float x, float y) {
    Document& doc = ed.doc;
    for (int i = 1; i <= std::min<int>(doc.shapeCount, kMaxRecordIndex); ++i) {
        const ShapeEl* s = doc.Shape1.find(i);
        if (!s || !s->visible || doc.selKind == SelKind::Shape) continue;
        if (!(s->left <= x && x <= s->left + s->width && s->top <= y && y <= s->top + s->height)) continue;
        colourShape(doc, i, kGreen);
        doc.selKind = SelKind::Shape;
        doc.selIndex = static_cast<int16_t>(i);
        if (shift == 1) {
            doc.Label.setVisible(doc.shapeRec[i].label2, true);
            doc.Label.setVisible(doc.shapeRec[i].label1, true);
        }
    }
    for (int i = 1; i <= std::min<int>(doc.diamondCount, kMaxRecordIndex); ++i) {
        const LineEl *l1 = doc.lx1.find(i), *l2 = doc.lx2.find(i), *l4 = doc.lx4.find(i);
        if (!l1 || !l2 || !l4 || !l1->visible) continue;
        if (!(l1->x1 <= x && x <= l2->x2 && l1->y2 <= y && y <= l4->y1)) continue;
        clearSelection(ed);
        colourDiamond(doc, i, kGreen);
        doc.selKind = SelKind::Diamond;
        doc.selIndex = static_cast<int16_t>(i);
        if (shift == 1) {
            doc.Label.setVisible(doc.diamondRec[i].label1, true);
            doc.Label.setVisible(doc.diamondRec[i].label2, true);
        }
    }
    const int16_t px = roundI16Sat(x), py = roundI16Sat(y);
    for (int a = 1; a <= std::min<int>(doc.arrowCount, kMaxRecordIndex); ++a) {
        ArrowRecord& r = doc.arrowRec[a];
        int s = 1;
        for (; s <= segmentCount(r); ++s) {
            const LineEl* seg = doc.Line1.find(r.slot[s]);
            if (!seg || !seg->visible) continue;
            if (!hitSegment(roundI16Sat(seg->x1), roundI16Sat(seg->y1), roundI16Sat(seg->x2), roundI16Sat(seg->y2), px,
                            py))
                continue;
            clearSelection(ed);
            colourArrow(doc, a, kGreen);
            doc.selKind = SelKind::Arrow;
            doc.selIndex = static_cast<int16_t>(a);
            showArrowHandles(ed, a);
        }
        r.drawCursor() = static_cast<int16_t>(s);  // the scan's loop position, as files have always held it
    }
}

// While drawing, the segment being drawn runs to the pointer at any angle and the
// head of its direction rides on the pointer.
void drawingStep(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    const int n = doc.selIndex;
    if (n < 1 || n > kMaxRecordIndex) return;
    ArrowRecord& r = doc.arrowRec[n];
    const int c = segmentCount(r);
    LineEl* s = c > 0 ? doc.Line1.find(r.slot[c]) : nullptr;
    if (!s) return;
    s->x2 = x;
    s->y2 = y;
    const Dir dir = directionOf(s->x1, s->y1, s->x2, s->y2);
    for (int d = 0; d < 4; ++d) doc.heads(d)->templ().visible = false;
    PictureEl& preview = doc.heads(static_cast<int>(dir))->templ();
    placeHead(preview, dir, x, y);
    preview.visible = true;
    r.direction() = static_cast<int16_t>(dir);
}

void leftRelease(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    const int n = doc.selIndex;
    if (n < 1 || n > kMaxRecordIndex || !roomForSegment(ed, n)) return;
    ArrowRecord& r = doc.arrowRec[n];
    if (const int c = segmentCount(r); c > 0) {
        if (LineEl* prev = doc.Line1.find(r.slot[c])) { prev->x2 = x; prev->y2 = y; }
    }
    const int s = ++doc.segCount;
    doc.Line1.create(s);
    LineEl& seg = *doc.Line1.find(s);
    seg.x1 = seg.x2 = x;  // its end on its start until the pointer moves
    seg.y1 = seg.y2 = y;
    seg.visible = true;
    const int c = ++r.count();
    r.slot[c] = static_cast<int16_t>(s);
    r.drawCursor() = static_cast<int16_t>(c);
    ed.markModified();
}

}  // namespace

CanvasGeometry canvasGeometry() { return CanvasGeometry{75, 525, 14415, 9015, 2 * kTwipsPerPixel}; }

const Rules kRules{
    reduced::canvasPress, reduced::canvasMove, reduced::canvasRelease, qm::canvasClick, reduced::deleteSelection,
    reduced::labelPress,  nullptr,             reduced::labelRelease,  reduced::labelClick,
    nullptr,  // presses on arrowheads have no effect
    qm::timer1Tick,       nullptr,
};

void placeDiamond(Document& doc, int i, int16_t x, int16_t y) {
    layoutDiamondLines(doc, x, y, kQmpDiamondWidth, kQmpDiamondHeight, i);
    if (i < 1 || i > kMaxRecordIndex) return;
    DiamondRecord& r = doc.diamondRec[i];
    r.x = x;
    r.y = y;
    layoutShapeTexts(doc, r.label1, r.label2, x, y, kQmpDiamondHeight, kQmpDiamondWidth);
}

void canvasPress(Editor& ed, int /*button*/, int shift, float x, float y) {
    Document& doc = ed.doc;
    clearSelection(ed);
    if (doc.selKind == SelKind::DrawingArrow) return;
    pressScan(ed, shift, x, y);
    if (doc.selKind == SelKind::Arrow) {
        const int n = std::clamp<int>(doc.arrowRec[doc.selIndex].count(), 0, ArrowRecord::kMaxSegments);
        for (int k = 0; k <= n; ++k) {
            const HandleEl* h = doc.handle(k);
            if (h && h->visible && h->left <= x && x <= h->left + h->width && h->top <= y && y <= h->top + h->height) {
                doc.selKind = SelKind::DraggingVertex;
                doc.hitIndex = static_cast<int16_t>(k);
            }
        }
    }
    doc.downX = roundI16Sat(x);
    doc.downY = roundI16Sat(y);
    if (doc.selKind == SelKind::Shape) {
        const ShapeEl& s = *doc.Shape1.find(doc.selIndex);
        doc.startLeft = roundI16Sat(s.left);
        doc.startTop = roundI16Sat(s.top);
    } else if (doc.selKind == SelKind::Diamond) {
        const LineEl& l1 = *doc.lx1.find(doc.selIndex);
        doc.startLeft = roundI16Sat(l1.x1);
        doc.startTop = roundI16Sat(l1.y2);
    }
}

void canvasMove(Editor& ed, int buttons, int /*shift*/, float rawX, float rawY) {
    Document& doc = ed.doc;
    const bool left = buttons == 1;
    const auto [x, y] = clampToCanvas(ed, rawX, rawY);
    const int i = doc.selIndex;
    switch (doc.selKind) {
        case SelKind::PlacingShape:
            ed.host.setCanvasCursor(CursorKind::Insert);
            moveShapeTo(doc, i, x, y);
            layoutOwnShapeTexts(doc, i);
            break;
        case SelKind::Shape:
            if (!left) return;
            moveShapeTo(doc, i, doc.startLeft + x - doc.downX, doc.startTop + y - doc.downY);
            layoutOwnShapeTexts(doc, i);
            break;
        case SelKind::DrawingArrow:
            ed.host.setCanvasCursor(CursorKind::Crosshair);
            drawingStep(ed, x, y);
            return;
        case SelKind::Arrow:
            if (!left) return;
            dragArrow(ed, x, y);
            doc.downX = roundI16Sat(x);
            doc.downY = roundI16Sat(y);
            break;
        case SelKind::PlacingDiamond:
            ed.host.setCanvasCursor(CursorKind::Insert);
            placeDiamond(doc, i, roundI16Sat(x), roundI16Sat(y));
            break;
        case SelKind::Diamond:
            if (!left) return;
            placeDiamond(doc, i, roundI16Sat(doc.startLeft + x - doc.downX), roundI16Sat(doc.startTop + y - doc.downY));
            break;
        case SelKind::DraggingVertex:
            if (!left) return;
            dragVertex(ed, x, y);
            break;
        default:
            return;
    }
    ed.markModified();
}

void canvasRelease(Editor& ed, int button, int /*shift*/, float rawX, float rawY) {
    Document& doc = ed.doc;
    const auto [x, y] = clampToCanvas(ed, rawX, rawY);
    if (doc.selKind == SelKind::DrawingArrow) {
        if (button == 1) {
            leftRelease(ed, x, y);
        } else if (button == 2) {
            for (int d = 0; d < 4; ++d) doc.heads(d)->templ().visible = false;
            endPolyline(ed, std::nullopt);  // ends with the segment that followed the pointer
            return;
        }
    } else if (doc.selKind == SelKind::DraggingVertex) {
        doc.selKind = SelKind::Arrow;
    }
    if (button == 2) ed.host.popupEditMenu();
}

void deleteSelection(Editor& ed) {
    Document& doc = ed.doc;
    const int i = doc.selIndex;
    switch (doc.selKind) {
        case SelKind::Shape:
            if (!inRecords(i)) return;
            doc.Shape1.setVisible(i, false);
            doc.LineRect.setVisible(i, false);
            doc.Label.setVisible(doc.shapeRec[i].label1, false);
            doc.Label.setVisible(doc.shapeRec[i].label2, false);
            break;
        case SelKind::Label:
            doc.Label.setVisible(i, false);
            break;
        case SelKind::Arrow:
            hideArrow(doc, i);
            clearSelection(ed);
            break;
        case SelKind::Diamond:
            if (!inRecords(i)) return;
            setDiamondVisible(doc, i, false);
            doc.Label.setVisible(doc.diamondRec[i].label1, false);
            doc.Label.setVisible(doc.diamondRec[i].label2, false);
            break;
        default:
            return;
    }
    ed.markModified();
}

void labelPress(Editor& ed, int i, int button) {
    // As in quillmap, but the pointer shape is left as it is.
    const CursorKind cursor = ed.host.canvasCursor();
    qm::labelPress(ed, i, button);
    if (button != 2) ed.host.setCanvasCursor(cursor);
}

void labelRelease(Editor& ed, int i, int /*button*/) { endLabelDrag(ed, i); }  // no inner lists to rebuild

void labelClick(Editor& ed, int i) {
    // qmp has only the one-line editor: a vertical label from a converted file is
    // edited there too.
    Document& doc = ed.doc;
    LabelEl* l = doc.Label.find(i);
    if (l && doc.selIndex == i && doc.selKind == SelKind::Label && doc.pressPt == doc.releasePt) {
        ed.text1.left = l->left;
        ed.text1.top = l->top;
        ed.text1.height = l->height;
        ed.text1.text = l->caption;
        ed.text1.visible = true;
        doc.editLabel = static_cast<int16_t>(i);
        ed.host.focusEditor(EditorBox::Text1);
    }
    clearSelection(ed);
    if (l) l->foreColor = kGreen;
    doc.selKind = SelKind::Label;
    doc.selIndex = static_cast<int16_t>(i);
}

}  // namespace qm::reduced
