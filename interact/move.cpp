#include "interact/move.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "interact/arrows.h"
#include "interact/glue.h"
#include "interact/handles.h"
#include "interact/inner_labels.h"
#include "interact/rules.h"
#include "interact/snapping.h"
#include "model/relayout.h"
#include "model/rounding.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "model/title_block.h"

namespace qm {
namespace {

bool movesShapes(ElementRef e) { return e.kind == ElementKind::Shape || e.kind == ElementKind::Diamond; }

// The labels that the moving rectangles, ellipses and diamonds take along: moved
// with them, never on their own as well. A label that more than one of them
// takes along, all by the same step, goes that step from where it is: each of
// them would place it from an offset of its own, rounded to whole twips, and the
// last one's would win, a twip or so from where the others put it; several
// selected shapes that overlap, moved together, would shift their texts apart.
class CarriedLabels {
public:
    CarriedLabels(const Document& doc, std::span<const ElementMove> moves) {
        for (size_t m = 0; m < moves.size(); ++m) {
            if (!movesShapes(moves[m].element)) continue;
            for (int label : carriedLabels(doc, moves[m].element)) {
                const LabelEl* l = doc.Label.find(label);
                if (!l) continue;
                if (static_cast<size_t>(label) >= slot_.size()) slot_.resize(static_cast<size_t>(label) + 1, -1);
                int& slot = slot_[static_cast<size_t>(label)];
                const PointF by = moves[m].by;
                if (slot < 0) {
                    slot = static_cast<int>(carriers_.size());
                    carriers_.push_back({label, m, by, {l->left + by.x, l->top + by.y}});
                    continue;
                }
                Carrier& c = carriers_[static_cast<size_t>(slot)];
                if (c.move == m) continue;  // listed twice by one shape
                c.move = m;
                c.several = true;
                c.shared = c.shared && c.by == by;
            }
        }
    }

    bool has(int label) const {
        return label >= 0 && static_cast<size_t>(label) < slot_.size() && slot_[static_cast<size_t>(label)] >= 0;
    }

    // After the moves: the labels that several took along by one step.
    void placeShared(Document& doc) const {
        for (const Carrier& c : carriers_)
            if (c.several && c.shared)
                if (LabelEl* l = doc.Label.find(c.label)) {
                    l->left = c.to.x;
                    l->top = c.to.y;
                }
    }

private:
    struct Carrier {
        int label;
        size_t move;    // the last move that takes it along
        PointF by, to;  // the first one's step, and where that takes it
        bool several = false, shared = true;
    };
    std::vector<int> slot_;  // by label index: where in carriers_, or -1
    std::vector<Carrier> carriers_;
};

void moveElement(Document& doc, ElementRef e, PointF by) {
    const int i = e.index;
    switch (e.kind) {
        case ElementKind::Shape:
            if (const ShapeEl* s = doc.Shape1.find(i)) {
                moveShapeTo(doc, i, s->left + by.x, s->top + by.y);
                layoutOwnShapeTexts(doc, i);
            }
            break;
        case ElementKind::Diamond:
            if (const DiamondRecord* r = doc.diamondRecord(i)) {
                layoutDiamondAt(doc, i, r->x + by.x, r->y + by.y);
                layoutOwnDiamondTexts(doc, i);
            }
            break;
        case ElementKind::Arrow:
            translateArrow(doc, i, by.x, by.y);
            break;
        case ElementKind::Label:
            if (LabelEl* l = doc.Label.find(i)) {
                l->left += by.x;
                l->top += by.y;
            }
            break;
        case ElementKind::TitleBlock:
            layoutTitleBlock(doc, roundI16Sat(doc.Shape2.left + by.x), roundI16Sat(doc.Shape2.top + by.y));
            break;
    }
}

void showSelectionHandles(Editor& ed) {
    const Document& doc = ed.doc;
    const std::optional<ElementKind> kind = restingSelection(doc.selKind);
    if (!kind) return;
    switch (*kind) {
        case ElementKind::Shape:
            if (rulesOf(ed).cornerHandles) showShapeHandles(ed, doc.selIndex);
            break;
        case ElementKind::Diamond:
            if (rulesOf(ed).cornerHandles) showDiamondHandles(ed, doc.selIndex);
            break;
        case ElementKind::Arrow:
            showArrowHandles(ed, doc.selIndex);
            break;
        case ElementKind::Label:
        case ElementKind::TitleBlock:
            break;
    }
}

// The moves, then the glued ends after their points and the handles after their
// element.
void carry(Editor& ed, std::span<const ElementMove> moves, std::vector<GluedEnd>& glued) {
    Document& doc = ed.doc;
    const CarriedLabels carried(doc, moves);
    for (const ElementMove& m : moves) {
        if (m.by == PointF{}) continue;
        if (m.element.kind != ElementKind::Label || !carried.has(m.element.index)) moveElement(doc, m.element, m.by);
    }
    carried.placeShared(doc);
    followGlue(doc, glued);
    showSelectionHandles(ed);
    ed.markModified();
}

// Labels that moved on their own may now lie on a shape, or no longer: found again
// as a label's own drag finds them.
void relist(Editor& ed, std::span<const ElementMove> moves) {
    const bool labels = std::any_of(moves.begin(), moves.end(), [](const ElementMove& m) {
        return m.element.kind == ElementKind::Label && !(m.by == PointF{});
    });
    if (!labels || !rulesOf(ed).innerLabels) return;
    rebuildInnerLists(ed.doc);
}

std::vector<ElementMove> allBy(const std::vector<ElementRef>& elements, PointF by) {
    std::vector<ElementMove> moves;
    moves.reserve(elements.size());
    for (ElementRef e : elements) moves.push_back({e, by});
    return moves;
}

BoxF shifted(const BoxF& b, PointF by) { return {b.left + by.x, b.top + by.y, b.right + by.x, b.bottom + by.y}; }

// Where a drag that began with `start` under the pointer takes it, the pointer
// `want` away from the press: lined up or on the grid, then kept on the canvas.
// The guide lines are those of where it goes.
PointF dragOffset(Editor& ed, const BoxF& start, PointF want) {
    const PointF snap = snapBoxBy(ed, shifted(start, want));
    want = {want.x + snap.x, want.y + snap.y};
    const PointF to = clampOffset(start, canvasBox(ed), want);
    showGuidesFor(ed, shifted(start, to));
    return to;
}

std::vector<GluedEnd> glueFor(const Document& doc, std::span<const ElementMove> moves) {
    std::vector<ElementRef> shapes, arrows;
    for (const ElementMove& m : moves) {
        if (movesShapes(m.element)) shapes.push_back(m.element);
        if (m.element.kind == ElementKind::Arrow) arrows.push_back(m.element);
    }
    return findGlue(doc, shapes, arrows);
}

bool movable(const Editor& ed) {
    const SelKind k = ed.doc.selKind;
    return ed.capture.kind == PointerTarget::None && (k == SelKind::Several || restingSelection(k));
}

}  // namespace

std::optional<BoxF> selectionBox(const Document& doc) {
    std::optional<BoxF> box;
    for (ElementRef e : selectedElements(doc))
        if (const std::optional<BoxF> o = outlineOf(doc, e)) box = box ? unite(*box, *o) : *o;
    return box;
}

void beginMove(Editor& ed, float x, float y) {
    beginDrag(ed, x, y);
    ed.drag.glued = glueFor(ed.doc, allBy(selectedElements(ed.doc), {}));
    gatherGuides(ed);
}

void beginLabelDrag(Editor& ed, int i, float x, float y) {
    const LabelEl* l = ed.doc.Label.find(i);
    beginDrag(ed, x, y, l ? std::optional<PointF>({l->left, l->top}) : std::nullopt);
    if (l && ed.doc.selKind == SelKind::Label && ed.doc.selIndex == i) gatherGuides(ed);
}

void beginResize(Editor& ed, ElementRef e, float x, float y) {
    beginDrag(ed, x, y);
    glueTo(ed, e);
    gatherGuides(ed);
}

void dragSelection(Editor& ed, float x, float y) {
    MoveSession& drag = ed.drag;
    const std::optional<BoxF> box = selectionBox(ed.doc);
    if (!box) return;
    const PointF moved = drag.moved;
    const BoxF start = shifted(*box, {-moved.x, -moved.y});
    const PointF to = dragOffset(ed, start, {std::nearbyint(x - drag.downX), std::nearbyint(y - drag.downY)});
    const PointF step{to.x - moved.x, to.y - moved.y};
    if (step == PointF{}) return;
    drag.moved = to;
    carry(ed, allBy(selectedElements(ed.doc), step), drag.glued);
}

void dragLabel(Editor& ed, float x, float y) {
    Document& doc = ed.doc;
    LabelEl* l = doc.selKind == SelKind::Label ? doc.Label.find(doc.selIndex) : nullptr;
    if (!l) return;
    const MoveSession& drag = ed.drag;
    const float left = drag.startLeft, top = drag.startTop;
    const PointF by = dragOffset(ed, {left, top, left + l->width, top + l->height}, {x - drag.downX, y - drag.downY});
    l->left = left + by.x;
    l->top = top + by.y;
}

void nudgeSelection(Editor& ed, float dx, float dy) {
    Document& doc = ed.doc;
    const std::optional<BoxF> box = movable(ed) ? selectionBox(doc) : std::nullopt;
    if (!box) return;
    const PointF by = clampOffset(*box, canvasBox(ed), {dx, dy});
    if (by == PointF{}) return;
    moveElements(ed, allBy(selectedElements(doc), by));
}

void endMove(Editor& ed) {
    relist(ed, allBy(selectedElements(ed.doc), ed.drag.moved));
    endDrag(ed);
}

// Not a drag: the glue lasts for this one step.
void moveElements(Editor& ed, std::span<const ElementMove> moves) {
    std::vector<GluedEnd> glued = glueFor(ed.doc, moves);
    carry(ed, moves, glued);
    relist(ed, moves);
}

}  // namespace qm
