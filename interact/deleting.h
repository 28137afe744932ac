// Delete: the selected elements hidden with their parts (a deleted element stays
// in the drawing as a hidden entry, which files keep), and the hiding and
// showing of an arrow's or a diamond's lines that inserting and deleting share.
#pragma once

#include "model/editor.h"

namespace qm {

// Whether Delete would hide something now: a rectangle, ellipse, diamond, arrow or
// label is selected (not the title block's number field or title), alone or among
// several.
bool canDeleteSelection(const Editor& ed);
// The Delete command: hides the selected elements and their parts. Arrows that
// end on a deleted shape stay where they are.
void deleteSelection(Editor& ed);

void hideArrow(Document& doc, int a);
void setDiamondVisible(Document& doc, int i, bool visible);
void createDiamondLines(Document& doc, int i);

}  // namespace qm
