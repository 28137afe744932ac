// What makes qmp's editor answer the pointer as it does: its canvas geometry and its
// handler table. Its canvas knows states 0 to 9 and the selection of several only:
// no title block, no straight arrows, no resizing and no corner handles. A press
// on no handle of the selected arrow selects what lies under it and then tries the
// vertex handles of the arrow it selected, so one press on a vertex selects the
// arrow and grabs the vertex; arrows are drawn at any angle with the head on the
// pointer. Delete
// protects no labels and takes no inner labels along; labels have one editor box.
#pragma once

#include "interact/rules.h"
#include "model/editor.h"

namespace qm::reduced {

// The canvas lies directly on the window at (75, 525), 14415 by 9015 twips.
CanvasGeometry canvasGeometry();
extern const Rules kRules;

void canvasPress(Editor& ed, int button, int shift, float x, float y);
// As quillmap's, but the pointer shape is left as it is.
void labelPress(Editor& ed, int i, int button);

}  // namespace qm::reduced
