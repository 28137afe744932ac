// The largest drawing the limits allow, built through the editor's own commands:
// 255 rectangles and ellipses, 255 diamonds, 255 arrows holding 32767 segments
// between them and 32767 labels. Benchmarks of the core and of painting share it.
#pragma once

#include "model/editor.h"

namespace qm::bench {

void fillToTheLimits(Editor& ed);

}  // namespace qm::bench
