// What follows the pointer: the parts the canvas paints over the rest of the
// drawing, frame by frame, while the rest stays as it was.
#pragma once
#include <vector>

#include "model/editor.h"
#include "model/parts.h"

namespace qm {

// The elements that change with the pointer in the document's current state,
// sorted as the painter stacks them; empty when nothing follows the pointer.
// `pointerHeld` says a press is under way: drags move only while it lasts, while
// a newly inserted element follows the pointer with no button down.
std::vector<PartRef> movingParts(const Editor& ed, bool pointerHeld);

}  // namespace qm
