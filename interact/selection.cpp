#include "interact/selection.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "interact/arrows.h"
#include "interact/handles.h"
#include "interact/move_session.h"
#include "interact/resize.h"
#include "interact/rules.h"
#include "model/labels.h"
#include "model/rounding.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "model/title_block.h"
#include "model/vocabulary.h"

namespace qm {
namespace {

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
    for (ElementRef e : elements)
        if (e.kind == ElementKind::Shape || e.kind == ElementKind::Diamond)
            for (int label : elementLabels(doc, e)) texts.push_back({ElementKind::Label, label});
    // A shape's own texts go with it: selected beside it, they would move twice.
    std::sort(texts.begin(), texts.end());
    std::erase_if(elements, [&](ElementRef e) { return std::binary_search(texts.begin(), texts.end(), e); });
    return elements;
}

}  // namespace

std::vector<ElementRef> everySelectable(const Editor& ed) {
    std::vector<ElementRef> all;
    forEachElementRef(ed.doc, [&](ElementRef e) {
        if (selectable(ed, e)) all.push_back(e);
        return true;
    });
    return all;
}

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
    endDrag(ed);        // a drag cut short lines nothing up
    if (doc.selKind != SelKind::DrawingArrow) doc.selKind = SelKind::None;
}

void endInteraction(Editor& ed) {
    Document& doc = ed.doc;
    doc.spHandle.templ().visible = false;
    for (int k = 1; k < doc.spHandle.end(); ++k) doc.spHandle.setVisible(k, false);
    doc.selKind = SelKind::None;
    doc.group.clear();
    endDrag(ed);
    doc.lneTemp.visible = false;
    ed.host.setCanvasCursor(CursorKind::Default);
    ed.host.setTimerEnabled(TimerId::Timer1, false);
}

void finishArrowDrawing(Editor& ed) {
    if (ed.doc.selKind != SelKind::DrawingArrow) return;
    endPolyline(ed, std::nullopt);
}

}  // namespace qm
