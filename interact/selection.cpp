#include "interact/selection.h"

#include <algorithm>

#include "interact/arrows.h"
#include "interact/pointer.h"
#include "interact/relayout.h"
#include "model/labels.h"
#include "model/rounding.h"
#include "model/sel_kind.h"

namespace qm {
namespace {

bool inRecords(int i) { return i >= 1 && i <= kMaxRecordIndex; }

void hideCornerHandles(Document& doc) {
    for (int k = 1; k <= 4; ++k) doc.spHandle.setVisible(k, false);
}

template <class Record>
void hideInnerLabels(Document& doc, const Record& rec) {
    const int n = std::clamp<int>(rec.innerCount, 0, kMaxInner);
    for (int k = 1; k <= n; ++k) doc.Label.setVisible(rec.innerLabel[k], false);
}

// Fills one inner list; a label counts when its top-left corner lies strictly
// inside the box and it is not one of the element's own two texts.
template <class Record>
void rebuildInnerList(Document& doc, Record& rec, double l, double t, double w, double h) {
    rec.innerCount = 0;
    for (int i = 1; i <= doc.labelCount; ++i) {
        const LabelEl* label = doc.Label.find(i);
        if (!label || i == rec.label1 || i == rec.label2) continue;
        const double lx = label->left, ly = label->top;
        if (!(lx > l && l + w > lx && ly > t && t + h > ly)) continue;
        if (rec.innerCount == kMaxInner) return;  // the lists hold no more
        const int c = ++rec.innerCount;
        rec.innerLabel[c] = static_cast<int16_t>(i);
        rec.innerDX[c] = roundI16Sat(lx - l);
        rec.innerDY[c] = roundI16Sat(ly - t);
    }
}

}  // namespace

void colourShape(Document& doc, int i, Color c) {
    if (ShapeEl* s = doc.Shape1.find(i)) s->borderColor = c;
    if (LineEl* l = doc.LineRect.find(i)) l->borderColor = c;
}

void colourDiamond(Document& doc, int i, Color c) {
    for (Collection<LineEl>* lines : doc.diamondLines())
        if (LineEl* l = lines->find(i)) l->borderColor = c;
}

void colourArrow(Document& doc, int a, Color c) {
    if (!inRecords(a)) return;
    const ArrowRecord& r = doc.arrowRec[a];
    const int n = std::clamp<int>(r.count(), 0, ArrowRecord::kMaxSegments);
    for (int k = 1; k <= n; ++k)
        if (LineEl* l = doc.Line1.find(r.slot[k])) l->borderColor = c;
}

void colourTitleBlock(Document& doc, Color c) {
    doc.Shape2.borderColor = c;
    doc.Line2.borderColor = doc.Line3.borderColor = doc.Line4.borderColor = c;
}

void clearSelection(Editor& ed) {
    Document& doc = ed.doc;
    const int i = doc.selIndex;
    switch (doc.selKind) {
        case SelKind::ResizingShape:
            finishShapeResize(ed);
            [[fallthrough]];
        case SelKind::Shape:
            colourShape(doc, i, kBlack);
            hideCornerHandles(doc);
            break;
        case SelKind::Label:
            if (LabelEl* l = doc.Label.find(i)) l->foreColor = kBlack;
            break;
        case SelKind::DraggingVertex:
        case SelKind::Arrow: {
            doc.spHandle.templ().visible = false;
            colourArrow(doc, i, kBlack);
            const int n = inRecords(i) ? std::clamp<int>(doc.arrowRec[i].count(), 0, 255) : 0;
            for (int k = 1; k <= n; ++k) doc.spHandle.setVisible(k, false);
            break;
        }
        case SelKind::ResizingDiamond:
            finishDiamondResize(ed);
            [[fallthrough]];
        case SelKind::Diamond:
            colourDiamond(doc, i, kBlack);
            hideCornerHandles(doc);
            break;
        case SelKind::TitleBlock:
            colourTitleBlock(doc, kBlack);
            break;
        default:
            break;
    }
    if (doc.selKind != SelKind::DrawingArrow) doc.selKind = SelKind::None;
}

void finishArrowDrawing(Editor& ed) {
    if (ed.doc.selKind != SelKind::DrawingArrow) return;
    endPolyline(ed, std::nullopt);
}

void deleteSelection(Editor& ed) {
    Document& doc = ed.doc;
    const int i = doc.selIndex;
    switch (doc.selKind) {
        case SelKind::Shape: {
            if (!inRecords(i)) return;
            const ShapeRecord& r = doc.shapeRec[i];
            doc.Shape1.setVisible(i, false);
            doc.LineRect.setVisible(i, false);
            doc.Label.setVisible(r.label1, false);
            doc.Label.setVisible(r.label2, false);
            hideCornerHandles(doc);
            hideInnerLabels(doc, r);
            break;
        }
        case SelKind::Label:
            // The number field and the title belong to the title block for good.
            if (i <= 2) return;
            doc.Label.setVisible(i, false);
            break;
        case SelKind::Arrow:
            hideArrow(doc, i);
            clearSelection(ed);
            break;
        case SelKind::Diamond: {
            if (!inRecords(i)) return;
            const DiamondRecord& r = doc.diamondRec[i];
            setDiamondVisible(doc, i, false);
            doc.Label.setVisible(r.label1, false);
            doc.Label.setVisible(r.label2, false);
            hideCornerHandles(doc);
            hideInnerLabels(doc, r);
            break;
        }
        default:
            return;
    }
    ed.markModified();
}

void hideArrow(Document& doc, int a) {
    if (!inRecords(a)) return;
    const ArrowRecord& r = doc.arrowRec[a];
    const int n = std::clamp<int>(r.count(), 0, ArrowRecord::kMaxSegments);
    for (int k = 1; k <= n; ++k) doc.Line1.setVisible(r.slot[k], false);
    if (Collection<PictureEl>* heads = doc.heads(r.direction())) heads->setVisible(r.head(), false);
}

void setDiamondVisible(Document& doc, int i, bool visible) {
    for (Collection<LineEl>* lines : doc.diamondLines()) lines->setVisible(i, visible);
}

void createDiamondLines(Document& doc, int i) {
    for (Collection<LineEl>* lines : doc.diamondLines()) lines->create(i);
}

void rebuildShapeInnerLists(Document& doc) {
    const int n = std::min<int>(doc.shapeCount, kMaxRecordIndex);
    for (int s = 1; s <= n; ++s) {
        ShapeRecord& rec = doc.shapeRec[s];
        const ShapeEl* shape = doc.Shape1.find(s);
        if (!shape) {
            rec.innerCount = 0;
            continue;
        }
        rebuildInnerList(doc, rec, shape->left, shape->top, shape->width, shape->height);
    }
}

void rebuildDiamondInnerLists(Document& doc) {
    const int n = std::min<int>(doc.diamondCount, kMaxRecordIndex);
    for (int d = 1; d <= n; ++d) {
        DiamondRecord& rec = doc.diamondRec[d];
        rebuildInnerList(doc, rec, rec.x, rec.y, rec.width, rec.height);
    }
}

}  // namespace qm
