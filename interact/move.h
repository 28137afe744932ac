// Moving what is selected: by a drag, the arrow keys or an alignment. A move keeps
// the selection on the canvas as a whole (it never takes an element further off
// it), texts and the labels lying on a shape go with the shape, and arrow ends
// glued to a moved shape follow it (glue.h).
#pragma once
#include <optional>
#include <span>

#include "interact/canvas_edge.h"
#include "interact/move_session.h"
#include "model/editor.h"
#include "model/element_parts.h"

namespace qm {

// The box of the selected elements' outlines; none when nothing is selected.
std::optional<BoxF> selectionBox(const Document& doc);

// A drag lives in the editor's move session (ed.drag) from its press to its
// release: begun here by the press, stepped by each pointer move, ended by the
// release or by whatever cuts it short (clearSelection), through move_session.h.

// A press on the selection that may drag it: beginDrag, the arrow ends glued to
// the shapes that will move, and what the selection may line up with.
void beginMove(Editor& ed, float x, float y);
// A press on label i: beginDrag from its corner; when the label is the selection,
// which the press then drags, also what it may line up with.
void beginLabelDrag(Editor& ed, int i, float x, float y);
// A press on a corner handle of rectangle, ellipse or diamond `e`, still the
// selection: beginDrag, the ends glued to it, and what its corner may line up with.
void beginResize(Editor& ed, ElementRef e, float x, float y);

// The selection follows the pointer by its offset from the press, in whole twips.
void dragSelection(Editor& ed, float x, float y);
// The selected label, dragged by itself, follows the pointer as a selection does.
void dragLabel(Editor& ed, float x, float y);

// The release that ends a drag of the selection: the labels that moved on their
// own are found on the shapes they now lie on (as after a label's own drag),
// then endDrag.
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
