// The one current element: clearing it (its look is drawn from the state, see
// model/selection_look.h), Delete, hiding arrows and diamonds, and the lists of
// free labels lying inside each rectangle, ellipse and diamond (which move and
// disappear with it).
#pragma once

#include "model/editor.h"

namespace qm {

// Nothing selected any more, the element's handles hidden. A drag or resize under
// way is ended as its release would end it. A polyline arrow being drawn stays in
// drawing.
void clearSelection(Editor& ed);

// Ends whatever is selected, placed or drawn, for a drawing about to be replaced:
// nothing selected, handles hidden, rubber band hidden, default canvas cursor, the
// label-following timer stopped.
void endInteraction(Editor& ed);

// Ends the drawing of a polyline arrow as the right button would: rubber band
// hidden, a trailing segment that never moved dropped, the head made; an arrow with
// no segment is abandoned. Does nothing outside drawing.
void finishArrowDrawing(Editor& ed);

// Whether Delete would hide something now: a rectangle, ellipse, diamond, arrow or
// label is selected (not the title block's number field or title).
bool canDeleteSelection(const Editor& ed);
// The Delete command: hides the selected element and its parts.
void deleteSelection(Editor& ed);

void hideArrow(Document& doc, int a);
void setDiamondVisible(Document& doc, int i, bool visible);
void createDiamondLines(Document& doc, int i);

void rebuildShapeInnerLists(Document& doc);
void rebuildDiamondInnerLists(Document& doc);

}  // namespace qm
