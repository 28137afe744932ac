// Names for the pieces of a drawing. A Part is one family of the drawing list (a
// collection of the Document or one of its single elements) and a PartRef one
// element of it: what painting draws one by one. An ElementRef is what the user
// sees as one element and selects: a rectangle with its divider, a diamond's five
// lines, an arrow's segments, the title block's frame and dividers, a label.
#pragma once
#include <compare>
#include <cstdint>
#include <vector>

#include "model/sel_kind.h"

namespace qm {

// The families in the order the painter stacks them. The single elements
// (Shape2, Line2..4, lneTemp) have index 0.
enum class Part : uint8_t {
    Shape1, Shape2,
    LineRect, lx1, lx2, lx3, lx4, lx5, Line1, Line2, Line3, Line4, lneTemp,
    Label,
    spHandle,
    picUp, picDown, picLeft, picRight,
};

struct PartRef {
    Part part;
    int index;
    // Ordered as the painter stacks elements: by family, then by index.
    auto operator<=>(const PartRef&) const = default;
};

struct ElementRef {
    ElementKind kind;
    int index = 0;  // in its collection (the arrow's number); 0 for the title block
    auto operator<=>(const ElementRef&) const = default;
};

// Sorts `parts` as the painter stacks them and drops repeats. A selection of
// everything holds tens of thousands of parts, sorted again whenever it changes:
// they are sorted by marking each index of each family, not by comparing.
void sortUnique(std::vector<PartRef>& parts);

}  // namespace qm
