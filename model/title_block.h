// The title block of every quillmap drawing: number field, title and the framed
// three-row table (maker, review, basis) at the bottom right.
#pragma once
#include <cstdint>

#include "model/document.h"

namespace qm {

inline constexpr int16_t kTitleBlockLeft = 11500;
inline constexpr int16_t kTitleBlockTop = 8000;

// Moves the table frame's top-left corner to (x, y) and lays out the dividers and
// the six cell labels with it.
void layoutTitleBlock(Document& doc, int16_t x, int16_t y);

// Centres label i in the cell with the given edges; a missing label is skipped.
void centreLabelInCell(Document& doc, int i, int16_t x1, int16_t x2, int16_t y1, int16_t y2);

// The label index (3..8) of the table cell under (x, y), whose frame is Shape2.
int titleBlockCellLabel(const Document& doc, float x, float y);

}  // namespace qm
