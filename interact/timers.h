// The ticks of the two timers: Timer1 carries a label with the pointer (while a new
// one is placed, and while the selected one is dragged); Timer2 pulls the system
// cursor onto nearby connection points while an arrow is drawn or placed.
#pragma once
#include <optional>

#include "interact/label_editing.h"
#include "model/editor.h"

namespace qm {

inline constexpr int kTimer1Interval = 10;   // ms
inline constexpr int kTimer2Interval = 300;  // ms

void timer1Tick(Editor& ed);
void timer2Tick(Editor& ed);

inline constexpr double kSnapReach = 100;  // twips on each axis, on an unzoomed canvas

// The first connection point within reach of (px, py): shapes in index order before
// diamonds, hidden ones never. Canvas twips.
std::optional<TwipPoint> snapTarget(const Document& doc, int32_t px, int32_t py, double reach = kSnapReach);

// A press on arrowhead picture i of direction dir at (x, y) twips relative to the
// picture: the canvas takes it at the same point, without Shift.
void arrowheadPress(Editor& ed, Dir dir, int i, float x, float y);

}  // namespace qm
