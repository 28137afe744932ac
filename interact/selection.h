// The one current element: clearing it back to its normal look, Delete, hiding
// arrows and diamonds, and the lists of free labels lying inside each rectangle,
// ellipse and diamond (which move and disappear with it).
#pragma once

#include "model/editor.h"

namespace qm {

// Restores the normal look of the selected element and hides its handles. A drag
// or resize under way is ended as its release would end it. A polyline arrow being
// drawn stays in drawing.
void clearSelection(Editor& ed);

// Ends whatever is selected, placed or drawn, for a drawing about to be replaced:
// nothing selected, handles hidden, rubber band hidden, default canvas cursor, the
// label-following timer stopped.
void endInteraction(Editor& ed);

// Ends the drawing of a polyline arrow as the right button would: rubber band
// hidden, a trailing segment that never moved dropped, the head made; an arrow with
// no segment is abandoned. Does nothing outside drawing.
void finishArrowDrawing(Editor& ed);

// The Delete command: hides the selected element and its parts.
void deleteSelection(Editor& ed);

void hideArrow(Document& doc, int a);
void setDiamondVisible(Document& doc, int i, bool visible);
void createDiamondLines(Document& doc, int i);

void rebuildShapeInnerLists(Document& doc);
void rebuildDiamondInnerLists(Document& doc);

// Selected / normal colour of each kind's outline.
void colourShape(Document& doc, int i, Color c);
void colourDiamond(Document& doc, int i, Color c);
void colourArrow(Document& doc, int a, Color c);
void colourTitleBlock(Document& doc, Color c);

}  // namespace qm
