// Turning a qmp drawing into a quillmap document: a new document's title block
// first, the drawing's labels numbered after it, every record following the new
// label numbers, and the fixed qmp sizes written out where quillmap stores sizes.
// The other way only for elements that qmp can hold as they are.
#pragma once

#include "io/result.h"
#include "model/document.h"
#include "model/text_metrics.h"

namespace qm {

Result<Document> convertQmpToQuillmap(const Document& qmp, const TextMetrics& metrics);

// The same into `out`, a quillmap drawing without elements of its own but perhaps
// a title block's labels, after which the labels of `qmp` are numbered.
Status convertQmpElements(const Document& qmp, Document& out, const TextMetrics& metrics);

// What a quillmap drawing may hold and a qmp drawing cannot: the first such
// element, of a visible or hidden one, in this order.
enum class QmpLack { None, VerticalLabel, StraightArrow, ShapeSize, DiamondSize, LabelFont };
QmpLack qmpCannotHold(const Document& quillmap);

// The elements of a quillmap drawing as qmp reads them from its own layout, when
// qmpCannotHold finds nothing: the inner label lists go, everything else stays.
Result<Document> convertElementsToQmp(const Document& quillmap, const TextMetrics& metrics);

}  // namespace qm
