// Drawings for the file tests and the fuzzing seeds, built directly in a Document
// the way the editor leaves them: every element kind, hidden ones, odd positions.
#pragma once
#include "model/document.h"
#include "model/text_metrics.h"

namespace qm::test {

// Adds to a started document (title block present): a rectangle with an inner label,
// a deleted ellipse, a free label, a vertical word-wrapped label, a label with a
// character only GB18030 holds, a polyline arrow pointing down, a straight arrow to
// the right, a deleted up arrow, a diamond with an inner label, a resized deleted
// diamond, a label with reserved data; then moves the title block.
void addEveryKind(Document& doc, const TextMetrics& metrics);

// The same kinds the reduced editor has, on an empty document: shapes of the fixed
// size, horizontal labels in the template font, polyline arrows, fixed-size diamonds.
void addEveryReducedKind(Document& doc, const TextMetrics& metrics);

}  // namespace qm::test
