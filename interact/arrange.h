// Lining up selected elements by the boxes of their outlines: edges or middles to
// those of the selection as a whole, or even gaps between them. Each is one move,
// with the arrow ends glued to moved shapes following.
#pragma once

#include "model/editor.h"

namespace qm {

enum class Alignment { Left, Centre, Right, Top, Middle, Bottom };

// Left, right, top and bottom edges to the outermost edge of the selected ones;
// centres and middles to the middle of them all. Needs two selected elements.
void alignSelection(Editor& ed, Alignment how);
bool canAlign(const Document& doc);

// Across (or down): the outermost edges of the selected ones stay, and the
// elements, in the order of their left (top) edges, are placed from one to the
// other with equal gaps. Needs three selected elements.
void distributeSelection(Editor& ed, bool across);
bool canDistribute(const Document& doc);

}  // namespace qm
