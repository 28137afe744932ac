// Putting every part of a rectangle, ellipse or diamond in place after its position
// or size changed, and placing selection handles. These run on every pointer move of
// a drag, so they touch only the one element and its parts.
#pragma once
#include <cstdint>

#include "model/editor.h"

namespace qm {

// Moves shape i to (left, top) with its divider and inner labels, and notes the move
// in its record. The caller lays out the shape's own two texts.
void moveShapeTo(Document& doc, int i, float left, float top);

// Lays the five lines of diamond i on the box (corners at the middles of its sides).
void layoutDiamondLines(Document& doc, int16_t x, int16_t y, int16_t w, int16_t h, int i);

// layoutDiamondLines, then the box's corner into the record and the inner labels
// moved with it.
void layoutDiamond(Document& doc, int16_t x, int16_t y, int16_t w, int16_t h, int i);

// Centres handle k on (x, y) and shows it. NoSuchElement when the handle does not exist.
ElemStatus placeHandle(Document& doc, int k, int16_t x, int16_t y);

// Creates handles 1 to 4 as needed and puts them on the corners of shape i / of the
// box of diamond i. Failures are reported through the host's "Error" box.
void showShapeHandles(Editor& ed, int i);
void showDiamondHandles(Editor& ed, int i);

}  // namespace qm
