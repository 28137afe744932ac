// The canvas pointer state machine: press, move, release and click on the canvas,
// interpreted through selKind. Selects by hit test, drags and resizes, carries a new
// element until a press drops it, and draws polyline arrows click by click.
#pragma once

#include "interact/arrows.h"
#include "model/editor.h"

namespace qm {

inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kShift = 1;
inline constexpr int kDeleteKey = 46;

// Positions are canvas client twips; button and shift are the flag values above.
void canvasPress(Editor& ed, int button, int shift, float x, float y);
void canvasMove(Editor& ed, int button, int shift, float x, float y);
void canvasRelease(Editor& ed, int button, int shift, float x, float y);
void canvasClick(Editor& ed);
void canvasKeyDown(Editor& ed, int keyCode);

// The pointer kept on the canvas's client area while something is carried.
PointF clampToCanvas(const Editor& ed, float x, float y);

}  // namespace qm
