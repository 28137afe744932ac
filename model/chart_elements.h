// The elements of a drawing one by one, as the user sees them: each rectangle or
// ellipse, free label, arrow and diamond, in the order the document holds them
// (and its file stores them), then the title block. A rectangle's, ellipse's or
// diamond's two texts and the title block's eight belong to their element. The
// keyboard steps through this list, and the accessible canvas reads it.
#pragma once
#include <vector>

#include "model/document.h"
#include "model/parts.h"

namespace qm {

// The visible elements in that order.
std::vector<ElementRef> chartElements(const Document& doc);

// The labels an element shows as its texts, visible or not: a rectangle's,
// ellipse's or diamond's two, the title block's number, title and six cells, a
// free label itself; an arrow has none.
std::vector<int> elementLabels(const Document& doc, ElementRef e);

// The box an element covers, in canvas twips; an arrow's spans its segments.
struct ElementBox {
    float left = 0, top = 0, width = 0, height = 0;
    bool operator==(const ElementBox&) const = default;
};
ElementBox elementBox(const Document& doc, ElementRef e);

}  // namespace qm
