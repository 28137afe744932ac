// The selection's look, drawn over the drawing rather than written into it: which
// elements are selected and which of their parts the canvas draws in the
// selection colour. The elements keep their own colours, so a picture or a print
// of the chart, which leaves the look out, has no selection to clear first.
#pragma once
#include <vector>

#include "model/document.h"
#include "model/parts.h"

namespace qm {

// The selected elements, sorted: the one selKind and selIndex name, while it is
// selected or one of its handles is dragged, or the group of several; none while
// nothing is selected or a new element is being placed or drawn.
std::vector<ElementRef> selectedElements(const Document& doc);

// The parts of the selected elements drawn in the selection colour, sorted as
// PartRef sorts: a rectangle's or ellipse's outline and divider, a diamond's lines,
// an arrow's segments, the title block's frame and dividers, a label's text.
std::vector<PartRef> selectionLook(const Document& doc);

}  // namespace qm
