// The free labels lying inside each rectangle, ellipse and diamond (its inner
// list), which move and disappear with it: found by where each label's top-left
// corner lies, through a grid of cells, so that the largest drawing is sorted
// out in one pass rather than every shape looking at every label.
#pragma once

#include "model/document.h"

namespace qm {

void rebuildShapeInnerLists(Document& doc);
void rebuildDiamondInnerLists(Document& doc);
// Both, looking at where the labels lie once.
void rebuildInnerLists(Document& doc);

}  // namespace qm
