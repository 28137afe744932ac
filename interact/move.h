// Moving what is selected: by a drag, the arrow keys or an alignment. A move keeps
// the selection on the canvas as a whole (it never takes an element further off
// it), texts and the labels lying on a shape go with the shape, and arrow ends
// glued to a moved shape follow it (glue.h).
#pragma once
#include <optional>
#include <span>

#include "interact/canvas_edge.h"
#include "model/editor.h"
#include "model/element_parts.h"

namespace qm {

// The box of the selected elements' outlines; none when nothing is selected.
std::optional<BoxF> selectionBox(const Document& doc);

// A press on the selection that may drag it: the press point, nothing moved yet,
// and the arrow ends glued to the shapes that will move.
void beginMove(Editor& ed, float x, float y);
// The selection follows the pointer by its offset from the press, in whole twips.
void dragSelection(Editor& ed, float x, float y);
// The release that ends a drag: the labels that moved on their own are found on
// the shapes they now lie on (as after a label's own drag), the glue let go.
void endMove(Editor& ed);
// The arrow keys: the selection at rest moves by (dx, dy) twips.
void nudgeSelection(Editor& ed, float dx, float dy);

// Elements moved each by its own offset in one step, as alignment moves them.
struct ElementMove {
    ElementRef element;
    PointF by;
};
void moveElements(Editor& ed, std::span<const ElementMove> moves);

}  // namespace qm
