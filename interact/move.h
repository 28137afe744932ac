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

// A drag lives in the editor's move session (ed.drag) from its press to its
// release: begun here by the press, stepped by each pointer move, ended by the
// release or by whatever cuts it short (clearSelection).

// Any press that may start a drag: its point noted, nothing glued or moved yet;
// `corner` is the top-left corner of a label about to be dragged by itself.
void beginDrag(Editor& ed, float x, float y, std::optional<PointF> corner = std::nullopt);
// A press on the selection that may drag it: beginDrag, the arrow ends glued to
// the shapes that will move, and what the selection may line up with.
void beginMove(Editor& ed, float x, float y);
// A press on a corner handle of rectangle, ellipse or diamond `e`, still the
// selection: beginDrag, the ends glued to it, and what its corner may line up with.
void beginResize(Editor& ed, ElementRef e, float x, float y);
// The arrow ends on `e`'s connection points go with it until the drag ends; for a
// resize by the keys, which is a drag of one step.
void glueTo(Editor& ed, ElementRef e);

// The selection follows the pointer by its offset from the press, in whole twips.
void dragSelection(Editor& ed, float x, float y);
// A step of a resize: the glued ends follow their points to where they lie now.
void followGluedEnds(Editor& ed);

// The release that ends a drag of the selection: the labels that moved on their
// own are found on the shapes they now lie on (as after a label's own drag),
// then endDrag.
void endMove(Editor& ed);
// Any drag over: the glue let go, nothing moved, nothing lined up.
void endDrag(Editor& ed);
// The arrow keys: the selection at rest moves by (dx, dy) twips.
void nudgeSelection(Editor& ed, float dx, float dy);

// Elements moved each by its own offset in one step, as alignment moves them.
struct ElementMove {
    ElementRef element;
    PointF by;
};
void moveElements(Editor& ed, std::span<const ElementMove> moves);

}  // namespace qm
