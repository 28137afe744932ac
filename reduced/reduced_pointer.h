// The canvas pointer handling of qmp: states 0 to 9 only, no title block, no
// straight arrows, no resizing and no corner handles. A press clears first and
// tries an arrow's vertex handles last, so one press on a vertex selects the arrow
// and grabs the vertex; arrows are drawn at any angle with the head on the pointer.
#pragma once

#include "model/editor.h"

namespace qm::reduced {

inline constexpr int16_t kShapeWidth = 1965;
inline constexpr int16_t kShapeHeight = 1215;
inline constexpr int16_t kDiamondWidth = 2400;
inline constexpr int16_t kDiamondHeight = 1200;

void canvasPress(Editor& ed, int button, int shift, float x, float y);
void canvasMove(Editor& ed, int buttons, int shift, float x, float y);
void canvasRelease(Editor& ed, int button, int shift, float x, float y);

// Lays out diamond i with its fixed size at (x, y), with its two texts.
void placeDiamond(Document& doc, int i, int16_t x, int16_t y);

}  // namespace qm::reduced
