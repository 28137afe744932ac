// The elements of a drawing one by one, as the user sees them: each rectangle or
// ellipse, free label, arrow and diamond, in the order the document holds them
// (and its file stores them), then the title block. A rectangle's, ellipse's or
// diamond's two texts and the title block's eight belong to their element. The
// keyboard steps through this list, and the accessible canvas reads it.
#pragma once
#include <vector>

#include "model/document.h"
#include "model/parts.h"
#include "model/vocabulary.h"

namespace qm {

// The present elements in that order.
std::vector<ElementRef> chartElements(const Document& doc);

}  // namespace qm
