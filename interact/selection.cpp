#include "interact/selection.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "interact/arrows.h"
#include "interact/handles.h"
#include "interact/resize.h"
#include "interact/rules.h"
#include "model/labels.h"
#include "model/rounding.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "model/title_block.h"

namespace qm {
namespace {

template <class Record>
void hideInnerLabels(Document& doc, const Record& rec) {
    for (int k = 1; k <= innerLabelCount(rec); ++k) doc.Label.setVisible(rec.innerLabel[k], false);
}

// The labels' top-left corners sorted into square cells, so that finding the labels
// inside one box looks at a few cells instead of every label of the drawing.
class LabelGrid {
public:
    explicit LabelGrid(const Document& doc) : at_(static_cast<size_t>(std::max<int16_t>(doc.labelCount, 0)) + 1) {
        // Counted into place: each cell lists its labels in ascending index order.
        std::array<uint32_t, kCells + 1> start{};
        for (int i = 1; i <= doc.labelCount; ++i) {
            if (const LabelEl* l = doc.Label.find(i)) {
                at_[static_cast<size_t>(i)] = {l->left, l->top, cellOf(l->left, l->top)};
                ++start[static_cast<size_t>(at_[static_cast<size_t>(i)].cell) + 1];
            }
        }
        for (size_t c = 0; c < kCells; ++c) start[c + 1] += start[c];
        cellStart_ = start;
        corners_.resize(start[kCells]);
        for (int i = 1; i <= doc.labelCount; ++i) {
            const Corner& c = at_[static_cast<size_t>(i)];
            if (c.cell >= 0) corners_[start[static_cast<size_t>(c.cell)]++] = {i, c.x, c.y};
        }
        inside_.resize(at_.size() / 64 + 1);
    }

    // Labels whose corner lies strictly inside the box, in ascending index order,
    // until fn returns false. The labels of the cells the box touches are marked
    // in a bit per label, which are then read in order: a box with 255 labels
    // costs about as many steps as its cells hold, with no sorting.
    template <class Fn>
    void forEachInside(double l, double t, double w, double h, Fn fn) const {
        if (!(w > 0 && h > 0)) return;
        const int cx0 = cellX(l), cx1 = cellX(l + w), cy0 = cellY(t), cy1 = cellY(t + h);
        size_t lo = inside_.size(), hi = 0;
        for (int cy = cy0; cy <= cy1; ++cy) {
            const auto first = static_cast<size_t>(cy * kCols + cx0), last = static_cast<size_t>(cy * kCols + cx1);
            // Without branches: about half the labels of a box's cells lie outside it.
            for (uint32_t k = cellStart_[first]; k < cellStart_[last + 1]; ++k) {
                const Listed& c = corners_[k];
                const double x = c.x, y = c.y;
                const uint64_t in = uint64_t{x > l} & uint64_t{l + w > x} & uint64_t{y > t} & uint64_t{t + h > y};
                const auto word = static_cast<size_t>(c.index) / 64;
                inside_[word] |= in << (c.index % 64);
                lo = std::min(lo, word);
                hi = std::max(hi, word);
            }
        }
        bool more = true;
        for (size_t word = lo; word <= hi && word < inside_.size(); ++word) {
            for (uint64_t bits = inside_[word]; more && bits; bits &= bits - 1) {
                const int i = static_cast<int>(word * 64) + std::countr_zero(bits);
                const Corner& c = at_[static_cast<size_t>(i)];
                more = fn(i, c.x, c.y);
            }
            inside_[word] = 0;
        }
    }

private:
    struct Corner {
        float x = 0, y = 0;
        int cell = -1;  // none: no such label
    };
    struct Listed {
        int index;
        float x, y;
    };
    static constexpr double kCell = 512;
    static constexpr int kCols = 34, kRows = 22;  // the canvas and a margin; the rest goes to the edges
    static constexpr size_t kCells = kCols * kRows;
    static int clampCell(double v, int n) { return std::clamp(static_cast<int>(std::floor(v / kCell)) + 1, 0, n - 1); }
    static int cellX(double x) { return clampCell(x, kCols); }
    static int cellY(double y) { return clampCell(y, kRows); }
    static int cellOf(double x, double y) { return cellY(y) * kCols + cellX(x); }

    std::vector<Corner> at_;                        // by label index
    std::array<uint32_t, kCells + 1> cellStart_{};  // where each cell's labels begin in corners_
    std::vector<Listed> corners_;                   // cell by cell
    mutable std::vector<uint64_t> inside_;          // a bit per label; all clear between calls
};

// Fills one inner list with the labels whose top-left corner lies strictly inside the
// box, other than the element's own two texts; at most 255 of them.
template <class Record>
void rebuildInnerList(const LabelGrid& grid, Record& rec, double l, double t, double w, double h) {
    rec.innerCount = 0;
    grid.forEachInside(l, t, w, h, [&](int i, double lx, double ly) {
        if (i == rec.label1 || i == rec.label2) return true;
        if (rec.innerCount == kMaxInner) return false;  // the lists hold no more
        const int c = ++rec.innerCount;
        rec.innerLabel[c] = static_cast<int16_t>(i);
        rec.innerDX[c] = roundI16Sat(lx - l);
        rec.innerDY[c] = roundI16Sat(ly - t);
        return true;
    });
}

// One element selected with its handles: a rectangle's, ellipse's or diamond's
// corners where the program has them, an arrow's vertices.
void selectWithHandles(Editor& ed, SelKind kind, int i) {
    Document& doc = ed.doc;
    clearSelection(ed);
    doc.selKind = kind;
    doc.selIndex = static_cast<int16_t>(i);
    if (kind == SelKind::Arrow)
        showArrowHandles(ed, i);
    else if (rulesOf(ed).cornerHandles)
        (kind == SelKind::Shape ? showShapeHandles : showDiamondHandles)(ed, i);
}

// The title block and its labels, which stay where the drawing's layout puts them.
bool ofTitleBlock(const Editor& ed, ElementRef e) {
    if (e.kind == ElementKind::TitleBlock) return true;
    return e.kind == ElementKind::Label && rulesOf(ed).titleBlock && e.index >= kNumberLabel &&
           e.index <= kLastCellLabel;
}

// Every element of the drawing, visible or not, until fn returns false.
template <class Fn>
void forEachElementRef(const Document& doc, Fn fn) {
    for (int i = 1; i <= lastRecordIndex(doc.shapeCount); ++i)
        if (!fn(ElementRef{ElementKind::Shape, i})) return;
    for (int i = 1; i <= lastRecordIndex(doc.diamondCount); ++i)
        if (!fn(ElementRef{ElementKind::Diamond, i})) return;
    for (int i = 1; i <= lastRecordIndex(doc.arrowCount); ++i)
        if (!fn(ElementRef{ElementKind::Arrow, i})) return;
    for (int i = 1; i <= doc.labelCount; ++i)
        if (!fn(ElementRef{ElementKind::Label, i})) return;
}

bool selectable(const Editor& ed, ElementRef e) { return !ofTitleBlock(ed, e) && outlineOf(ed.doc, e); }

}  // namespace

void selectElement(Editor& ed, ElementKind kind, int i) {
    Document& doc = ed.doc;
    switch (kind) {
        case ElementKind::Shape:
            if (i <= doc.shapeCount && doc.Shape1.exists(i)) selectWithHandles(ed, SelKind::Shape, i);
            break;
        case ElementKind::Diamond:
            if (i <= doc.diamondCount && doc.lx1.exists(i)) selectWithHandles(ed, SelKind::Diamond, i);
            break;
        case ElementKind::Arrow:
            if (i <= doc.arrowCount && doc.arrowRecord(i)) selectWithHandles(ed, SelKind::Arrow, i);
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

namespace {

// The elements, sorted, that selecting `elements` selects.
std::vector<ElementRef> selectionOf(const Editor& ed, std::vector<ElementRef> elements) {
    const Document& doc = ed.doc;
    std::erase_if(elements, [&](ElementRef e) { return !outlineOf(doc, e); });
    std::sort(elements.begin(), elements.end());
    elements.erase(std::unique(elements.begin(), elements.end()), elements.end());
    if (elements.size() > 1) std::erase_if(elements, [&](ElementRef e) { return ofTitleBlock(ed, e); });
    std::vector<ElementRef> texts;
    const auto addTexts = [&texts](const auto* r) {
        if (r) texts.insert(texts.end(), {{ElementKind::Label, r->label1}, {ElementKind::Label, r->label2}});
    };
    for (ElementRef e : elements) {
        if (e.kind == ElementKind::Shape) addTexts(doc.shapeRecord(e.index));
        if (e.kind == ElementKind::Diamond) addTexts(doc.diamondRecord(e.index));
    }
    // A shape's own texts go with it: selected beside it, they would move twice.
    std::sort(texts.begin(), texts.end());
    std::erase_if(elements, [&](ElementRef e) { return std::binary_search(texts.begin(), texts.end(), e); });
    return elements;
}

std::vector<ElementRef> everySelectable(const Editor& ed) {
    std::vector<ElementRef> all;
    forEachElementRef(ed.doc, [&](ElementRef e) {
        if (selectable(ed, e)) all.push_back(e);
        return true;
    });
    return all;
}

}  // namespace

void selectElements(Editor& ed, std::vector<ElementRef> elements) {
    elements = selectionOf(ed, std::move(elements));
    clearSelection(ed);
    if (elements.size() == 1) {
        selectElement(ed, elements.front().kind, elements.front().index);
    } else if (elements.size() > 1) {
        ed.doc.selKind = SelKind::Several;
        ed.doc.group = std::move(elements);
    }
}

void toggleSelected(Editor& ed, ElementRef e) {
    std::vector<ElementRef> now = selectedElements(ed.doc);
    if (const auto it = std::find(now.begin(), now.end(), e); it != now.end())
        now.erase(it);
    else
        now.push_back(e);
    selectElements(ed, std::move(now));
}

void selectAll(Editor& ed) { selectElements(ed, everySelectable(ed)); }

std::vector<ElementRef> selectedByAll(const Editor& ed) { return selectionOf(ed, everySelectable(ed)); }

bool canSelectAll(const Editor& ed) {
    bool found = false;
    forEachElementRef(ed.doc, [&](ElementRef e) { return !(found = selectable(ed, e)); });
    return found;
}

std::vector<ElementRef> elementsInside(const Editor& ed, const BoxF& box) {
    std::vector<ElementRef> inside;
    forEachElementRef(ed.doc, [&](ElementRef e) {
        const std::optional<BoxF> o = ofTitleBlock(ed, e) ? std::nullopt : outlineOf(ed.doc, e);
        if (o && o->left >= box.left && o->right <= box.right && o->top >= box.top && o->bottom <= box.bottom)
            inside.push_back(e);
        return true;
    });
    return inside;
}

bool carriedBySelection(const Document& doc, ElementRef e) {
    for (ElementRef s : selectedElements(doc)) {
        if (s == e) return true;
        if (e.kind != ElementKind::Label) continue;
        const std::vector<int> labels = carriedLabels(doc, s);
        if (std::find(labels.begin(), labels.end(), e.index) != labels.end()) return true;
    }
    return false;
}

void clearSelection(Editor& ed) {
    Document& doc = ed.doc;
    const int i = doc.selIndex;
    if (const std::optional<ElementKind> kind = isSelection(doc.selKind) ? elementKindOf(doc.selKind) : std::nullopt) {
        switch (*kind) {
            case ElementKind::Shape:
                if (doc.selKind == SelKind::ResizingShape) finishShapeResize(ed);
                hideCornerHandles(doc);
                break;
            case ElementKind::Arrow: {
                doc.spHandle.templ().visible = false;
                const ArrowRecord* r = doc.arrowRecord(i);
                const int n = r ? r->segmentCount() : 0;
                for (int k = 1; k <= n; ++k) doc.spHandle.setVisible(k, false);
                break;
            }
            case ElementKind::Diamond:
                if (doc.selKind == SelKind::ResizingDiamond) finishDiamondResize(ed);
                hideCornerHandles(doc);
                break;
            case ElementKind::Label:
            case ElementKind::TitleBlock:
                break;  // no handles
        }
    }
    doc.group.clear();  // several elements show no handles
    doc.glued.clear();
    if (doc.selKind != SelKind::DrawingArrow) doc.selKind = SelKind::None;
}

void endInteraction(Editor& ed) {
    Document& doc = ed.doc;
    doc.spHandle.templ().visible = false;
    for (int k = 1; k < doc.spHandle.end(); ++k) doc.spHandle.setVisible(k, false);
    doc.selKind = SelKind::None;
    doc.group.clear();
    doc.glued.clear();
    doc.lneTemp.visible = false;
    ed.host.setCanvasCursor(CursorKind::Default);
    ed.host.setTimerEnabled(TimerId::Timer1, false);
}

void finishArrowDrawing(Editor& ed) {
    if (ed.doc.selKind != SelKind::DrawingArrow) return;
    endPolyline(ed, std::nullopt);
}

namespace {

bool canDeleteElement(const Editor& ed, ElementRef e) {
    const Document& doc = ed.doc;
    const int i = e.index;
    switch (e.kind) {
        case ElementKind::Shape: return doc.Shape1.visible(i);
        case ElementKind::Diamond: return doc.lx1.visible(i);
        case ElementKind::Arrow: return true;
        // The number field and the title belong to the title block for good.
        case ElementKind::Label: return doc.Label.visible(i) && (!rulesOf(ed).titleBlock || i > kTitleLabel);
        case ElementKind::TitleBlock: return false;
    }
    return false;
}

// Hides element e with its parts; false when there was nothing to hide.
bool deleteElement(Editor& ed, ElementRef e) {
    if (!canDeleteElement(ed, e)) return false;
    Document& doc = ed.doc;
    const Rules& rules = rulesOf(ed);
    const int i = e.index;
    // A rectangle, ellipse or diamond goes with its texts, its handles and the
    // labels lying on it.
    auto hideParts = [&](const auto& r) {
        doc.Label.setVisible(r.label1, false);
        doc.Label.setVisible(r.label2, false);
        if (rules.cornerHandles) hideCornerHandles(doc);
        if (rules.innerLabels) hideInnerLabels(doc, r);
    };
    switch (e.kind) {
        case ElementKind::Shape: {
            const ShapeRecord* r = doc.shapeRecord(i);
            if (!r) return false;
            doc.Shape1.setVisible(i, false);
            doc.LineRect.setVisible(i, false);
            hideParts(*r);
            return true;
        }
        case ElementKind::Label:
            doc.Label.setVisible(i, false);
            return true;
        case ElementKind::Arrow:
            hideArrow(doc, i);
            return true;
        case ElementKind::Diamond: {
            const DiamondRecord* r = doc.diamondRecord(i);
            if (!r) return false;
            setDiamondVisible(doc, i, false);
            hideParts(*r);
            return true;
        }
        case ElementKind::TitleBlock:
            return false;  // the title block is never deleted
    }
    return false;
}

}  // namespace

bool canDeleteSelection(const Editor& ed) {
    const Document& doc = ed.doc;
    if (doc.selKind == SelKind::Several)
        return std::any_of(doc.group.begin(), doc.group.end(), [&ed](ElementRef e) { return canDeleteElement(ed, e); });
    // Only an element selected and at rest: not one being placed or drawn, nor one
    // whose handle is dragged. A deleted one stays selected, hidden.
    const std::optional<ElementKind> kind = restingSelection(doc.selKind);
    return kind && canDeleteElement(ed, {*kind, doc.selIndex});
}

void deleteSelection(Editor& ed) {
    Document& doc = ed.doc;
    if (doc.selKind == SelKind::Several) {
        bool any = false;
        for (ElementRef e : doc.group) any = deleteElement(ed, e) || any;
        clearSelection(ed);
        if (any) ed.markModified();
        return;
    }
    const std::optional<ElementKind> kind = restingSelection(doc.selKind);
    if (!kind || !deleteElement(ed, {*kind, doc.selIndex})) return;
    if (*kind == ElementKind::Arrow) clearSelection(ed);
    ed.markModified();
}

void hideArrow(Document& doc, int a) {
    const ArrowRecord* r = doc.arrowRecord(a);
    if (!r) return;
    for (int k = 1; k <= r->segmentCount(); ++k) doc.Line1.setVisible(r->slot[k], false);
    if (Collection<PictureEl>* heads = doc.heads(r->direction())) heads->setVisible(r->head(), false);
}

void setDiamondVisible(Document& doc, int i, bool visible) {
    for (Collection<LineEl>* lines : doc.diamondLines()) lines->setVisible(i, visible);
}

void createDiamondLines(Document& doc, int i) {
    for (Collection<LineEl>* lines : doc.diamondLines()) lines->create(i);
}

namespace {

void rebuildShapeLists(const LabelGrid& grid, Document& doc) {
    for (int s = 1; s <= lastRecordIndex(doc.shapeCount); ++s) {
        ShapeRecord& rec = doc.shapeRec[s];
        const ShapeEl* shape = doc.Shape1.find(s);
        if (!shape) {
            rec.innerCount = 0;
            continue;
        }
        rebuildInnerList(grid, rec, shape->left, shape->top, shape->width, shape->height);
    }
}

void rebuildDiamondLists(const LabelGrid& grid, Document& doc) {
    for (int d = 1; d <= lastRecordIndex(doc.diamondCount); ++d) {
        DiamondRecord& rec = doc.diamondRec[d];
        rebuildInnerList(grid, rec, rec.x, rec.y, rec.width, rec.height);
    }
}

}  // namespace

void rebuildShapeInnerLists(Document& doc) { rebuildShapeLists(LabelGrid(doc), doc); }

void rebuildDiamondInnerLists(Document& doc) { rebuildDiamondLists(LabelGrid(doc), doc); }

void rebuildInnerLists(Document& doc) {
    const LabelGrid grid(doc);
    rebuildShapeLists(grid, doc);
    rebuildDiamondLists(grid, doc);
}

}  // namespace qm
