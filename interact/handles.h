// The four corner handles of the selected rectangle, ellipse or diamond: shown on
// its corners, hidden again, and the handle under the pointer. Arrows use the same
// handles for their vertices (see arrows.h).
#pragma once

#include "model/editor.h"

namespace qm {

// Creates handles 1 to 4 as needed and puts them on the corners of shape i / of the
// box of diamond i. Failures are reported through the host's "错误" box.
void showShapeHandles(Editor& ed, int i);
void showDiamondHandles(Editor& ed, int i);

void hideCornerHandles(Document& doc);

// The highest-numbered visible handle in first..last under (x, y), or -1. A handle
// is `scale` times its size around its centre: handles are drawn at one size on
// the screen whatever the zoom.
int handleUnder(const Document& doc, int first, int last, float x, float y, float scale = 1);

}  // namespace qm
