// The states of selKind: what is selected, or which placing, drawing or dragging is
// under way. The pointer code, the insert commands and the label events agree
// through these values, which documents never store but every rule reads. The
// groupings the rules ask about are the predicates below, each written once: a
// switch over the state or the element kind, so that a new state or kind is
// named by the compiler (-Wswitch) wherever it must be placed.
#pragma once
#include <cstdint>
#include <optional>

namespace qm {

enum class SelKind : int16_t {
    None = 0,
    PlacingShape = 1,      // new rectangle or ellipse follows the pointer
    Shape = 2,             // rectangle or ellipse selected
    PlacingLabel = 3,      // new label follows the pointer
    Label = 4,             // label selected
    DrawingArrow = 5,      // polyline arrow being drawn
    Arrow = 6,             // arrow selected
    PlacingDiamond = 7,    // new diamond follows the pointer
    Diamond = 8,           // diamond selected
    DraggingVertex = 9,    // a vertex of the selected arrow is dragged
    TitleBlock = 10,       // title block selected
    PlacingLeftArrow = 11,
    PlacingRightArrow = 12,
    PlacingUpArrow = 13,
    PlacingDownArrow = 14,
    ResizingShape = 15,    // a corner of the selected rectangle or ellipse is dragged
    ResizingDiamond = 16,  // a corner of the selected diamond is dragged
    Several = 17,          // two or more elements selected together: Document::group
    SelectingArea = 18,    // a rubber band dragged from empty canvas selects what it takes in
};

// What the user sees as one element. Shape: a rectangle or an ellipse.
enum class ElementKind : uint8_t { Shape, Label, Arrow, Diamond, TitleBlock };

// The kind of element a state is about: the one being placed or drawn, the one
// selected, or the one whose handle is dragged. None when nothing or several
// elements are selected.
constexpr std::optional<ElementKind> elementKindOf(SelKind k) {
    switch (k) {
        case SelKind::None:
        case SelKind::Several:
        case SelKind::SelectingArea: return std::nullopt;
        case SelKind::PlacingShape:
        case SelKind::Shape:
        case SelKind::ResizingShape: return ElementKind::Shape;
        case SelKind::PlacingLabel:
        case SelKind::Label: return ElementKind::Label;
        case SelKind::DrawingArrow:
        case SelKind::Arrow:
        case SelKind::DraggingVertex:
        case SelKind::PlacingLeftArrow:
        case SelKind::PlacingRightArrow:
        case SelKind::PlacingUpArrow:
        case SelKind::PlacingDownArrow: return ElementKind::Arrow;
        case SelKind::PlacingDiamond:
        case SelKind::Diamond:
        case SelKind::ResizingDiamond: return ElementKind::Diamond;
        case SelKind::TitleBlock: return ElementKind::TitleBlock;
    }
    return std::nullopt;
}

// A newly inserted element that follows the pointer until a press drops it, or a
// polyline arrow drawn click by click: the states the insert commands set.
constexpr bool isNewElement(SelKind k) {
    switch (k) {
        case SelKind::PlacingShape:
        case SelKind::PlacingLabel:
        case SelKind::DrawingArrow:
        case SelKind::PlacingDiamond:
        case SelKind::PlacingLeftArrow:
        case SelKind::PlacingRightArrow:
        case SelKind::PlacingUpArrow:
        case SelKind::PlacingDownArrow: return true;
        case SelKind::None:
        case SelKind::Shape:
        case SelKind::Label:
        case SelKind::Arrow:
        case SelKind::Diamond:
        case SelKind::DraggingVertex:
        case SelKind::TitleBlock:
        case SelKind::ResizingShape:
        case SelKind::ResizingDiamond:
        case SelKind::Several:
        case SelKind::SelectingArea: return false;
    }
    return false;
}

// A handle of the selected element is dragged: a corner or an arrow's vertex.
constexpr bool dragsHandle(SelKind k) {
    return k == SelKind::DraggingVertex || k == SelKind::ResizingShape || k == SelKind::ResizingDiamond;
}

// Something follows the pointer: the editor is not at rest until it is dropped.
constexpr bool followsPointer(SelKind k) { return isNewElement(k) || dragsHandle(k); }

// The canvas carries the element with every pointer move, wherever the pointer
// passes; a new label is carried by its timer instead.
constexpr bool canvasCarries(SelKind k) { return isNewElement(k) && elementKindOf(k) != ElementKind::Label; }

// An element is selected: chosen by a press or a click, also while one of its
// handles is dragged; or several are. They are drawn with the selection's look.
constexpr bool isSelection(SelKind k) { return k == SelKind::Several || (elementKindOf(k) && !isNewElement(k)); }

// The state of a selected element of that kind at rest.
constexpr SelKind selectedState(ElementKind kind) {
    switch (kind) {
        case ElementKind::Shape: return SelKind::Shape;
        case ElementKind::Label: return SelKind::Label;
        case ElementKind::Arrow: return SelKind::Arrow;
        case ElementKind::Diamond: return SelKind::Diamond;
        case ElementKind::TitleBlock: return SelKind::TitleBlock;
    }
    return SelKind::None;
}

// The kind of the element selected and at rest, no handle of it dragged.
constexpr std::optional<ElementKind> restingSelection(SelKind k) {
    const std::optional<ElementKind> kind = elementKindOf(k);
    return kind && k == selectedState(*kind) ? kind : std::nullopt;
}

}  // namespace qm
