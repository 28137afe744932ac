// The largest drawing the limits allow, built through the editor's own commands:
// 255 rectangles and ellipses, 255 diamonds, 255 arrows holding 32767 segments
// between them and 32767 labels. Benchmarks of the core and of painting share it.
#pragma once
#include <vector>

#include "edit/clipboard.h"
#include "model/editor.h"

namespace qm::bench {

void fillToTheLimits(Editor& ed);

// A chart of `n` rectangles in rows of seven, each with its two texts and a right
// arrow from its right side towards the next; the rectangles and arrows, for
// copying all of them.
std::vector<ElementRef> drawChart(Editor& ed, int n);

// The same drawing with every element changed, the most a compare can report:
// each rectangle, ellipse and diamond moved, each arrow reshaped, every caption
// (title block, shape texts, labels) changed.
void changeEveryElement(Editor& ed);

}  // namespace qm::bench
