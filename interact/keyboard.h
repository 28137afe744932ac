// The commands of the canvas's keys that are the editor's own rules: Tab and
// Shift+Tab step through the drawing's elements. (The shell routes the keys, and
// carries a new element with the keyboard by moving the pointer.)
#pragma once

#include "model/editor.h"

namespace qm {

// Selects the element `step` (1 or -1) on from the selected one in the order the
// document holds them (model/chart_elements.h), as a press on it would, round
// from the last to the first; the first or the last when nothing is selected.
// Nothing happens while an element is being placed, drawn or dragged.
void selectNextElement(Editor& ed, int step);

}  // namespace qm
