// Resizing the selected rectangle, ellipse or diamond by a corner handle (selKind
// 15 and 16): each pointer move of the drag, and the end of it, which the release
// and anything that cuts the drag short both run.
#pragma once

#include "model/editor.h"

namespace qm {

// Corner hitIndex of the selected element follows the pointer; parts, texts and
// handles are laid out again, and the arrow ends glued to it follow.
void resizeShapeStep(Editor& ed, float x, float y);
void resizeDiamondStep(Editor& ed, float x, float y);

// The end of a corner drag: minimum size applied, parts laid out, handles shown,
// the element selected again.
void finishShapeResize(Editor& ed);
void finishDiamondResize(Editor& ed);

}  // namespace qm
