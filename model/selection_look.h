// The selection's look, drawn over the drawing rather than written into it: which
// elements are selected and which of their parts the canvas draws in the
// selection colour. The elements keep their own colours, so a picture or a print
// of the chart, which leaves the look out, has no selection to clear first.
#pragma once
#include <optional>
#include <span>
#include <vector>

#include "model/document.h"
#include "model/element_parts.h"
#include "model/parts.h"

namespace qm {

// The selected elements, sorted: the one selKind and selIndex name, while it is
// selected or one of its handles is dragged, or the group of several; none while
// nothing is selected or a new element is being placed or drawn.
std::vector<ElementRef> selectedElements(const Document& doc);

// The parts of the selected elements drawn in the selection colour, sorted as
// PartRef sorts: a rectangle's or ellipse's outline and divider, a diamond's lines,
// an arrow's segments, the title block's frame and dividers, a label's text.
// `memory`, here and below: a vector the result is built in, such as the one it
// replaces. On a large drawing the lists are megabytes, which fresh memory would
// fault in page by page in every frame.
std::vector<PartRef> selectionLook(const Document& doc, std::vector<PartRef> memory = {});
// The same for `elements`, as if they were selected.
std::vector<PartRef> selectionLook(const Document& doc, std::span<const ElementRef> elements,
                                   std::vector<PartRef> memory = {});

// The parts that go wherever an element goes, handles aside: its own, the texts
// and labels a rectangle, ellipse or diamond takes along, an arrow's head in
// whichever direction it turns, the title block's frame, dividers and cell texts.
void appendMovingParts(std::vector<PartRef>& out, const Document& doc, ElementRef e);

// Several elements selected together are drawn above the rest of the drawing, as
// a layer of their own that a drag of them moves whole: the parts going with them,
// sorted. Empty unless several are selected.
std::vector<PartRef> groupParts(const Document& doc, std::vector<PartRef> memory = {});
// The same for `elements`, as if they were selected together.
std::vector<PartRef> groupParts(const Document& doc, std::span<const ElementRef> elements,
                                std::vector<PartRef> memory = {});

// The rubber band being dragged, in twips; none at other times.
std::optional<BoxF> rubberBand(const Document& doc);

}  // namespace qm
