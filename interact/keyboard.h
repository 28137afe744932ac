// The commands of the canvas's keys that are the editor's own rules: Tab and
// Shift+Tab step through the drawing's elements and the title block's texts, and
// Tab in an open box goes on to the next text of the same element. (The shell
// routes the keys, and carries a new element with the keyboard by moving the
// pointer.)
#pragma once
#include <vector>

#include "model/editor.h"

namespace qm {

// What Tab visits, in reading order: the number field and the title at the top,
// the elements in the order the document holds them (model/chart_elements.h), then
// the title block's table and its cells, row by row. The title block's texts are
// selected as labels, as a press on them selects them.
std::vector<ElementRef> tabStops(const Document& doc);

// Selects the stop `step` (1 or -1) on from the selected one, as a press on it
// would, round from the last to the first; the first or the last when nothing is
// selected. Nothing happens while an element is being placed, drawn or dragged.
void selectNextElement(Editor& ed, int step);

// Tab (step 1) or Shift+Tab (-1) in the open box of a rectangle's, ellipse's or
// diamond's text: the text is kept and the box opens on the element's other text,
// selected. False, and nothing happens, for any other text or a text refused.
bool editNextText(Editor& ed, int step);

}  // namespace qm
