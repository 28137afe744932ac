// Putting every part of a rectangle, ellipse or diamond in place after its position
// or size changed: divider, edges, own texts and the labels lying inside it, and
// placing one selection handle. Pure geometry on the document, shared by the pointer
// code (on every move of a drag), the reader and the conversion of qmp drawings.
#pragma once
#include <cstdint>

#include "model/document.h"

namespace qm {

// Moves shape i to (left, top) with its divider and inner labels, and notes the move
// in its record. The caller lays out the shape's own two texts.
void moveShapeTo(Document& doc, int i, float left, float top);

// Lays the five lines of diamond i on the box (corners at the middles of its sides).
void layoutDiamondLines(Document& doc, int16_t x, int16_t y, int16_t w, int16_t h, int i);

// layoutDiamondLines, then the box's corner into the record and the inner labels
// moved with it.
void layoutDiamond(Document& doc, int16_t x, int16_t y, int16_t w, int16_t h, int i);

// layoutDiamond with the box's corner at (x, y) and the size its record holds.
void layoutDiamondAt(Document& doc, int i, double x, double y);

// The two texts of shape i / diamond i centred on its box.
void layoutOwnShapeTexts(Document& doc, int i);
void layoutOwnDiamondTexts(Document& doc, int i);

// Centres handle k on (x, y) and shows it. NoSuchElement when the handle does not exist.
ElemStatus placeHandle(Document& doc, int k, int16_t x, int16_t y);

}  // namespace qm
