// Resizing the selected rectangle, ellipse or diamond by a corner handle (selKind
// 15 and 16): each pointer move of the drag, and the end of it, which the release
// and anything that cuts the drag short both run.
#pragma once

#include "model/editor.h"

namespace qm {

// The corner the press grabbed (the move session's hitIndex) follows the pointer;
// parts, texts and handles are laid out again, and the arrow ends glued to the
// element follow.
void resizeShapeStep(Editor& ed, float x, float y);
void resizeDiamondStep(Editor& ed, float x, float y);

// The end of a corner drag: minimum size applied, parts laid out, handles shown,
// the element selected again.
void finishShapeResize(Editor& ed);
void finishDiamondResize(Editor& ed);

// Alt and an arrow key: the bottom-right corner of the selected rectangle, ellipse
// or diamond moved by (dx, dy) twips, as a drag of it would; it stops at the
// element's minimum size and at the canvas's edge.
void resizeCornerBy(Editor& ed, float dx, float dy);

}  // namespace qm
