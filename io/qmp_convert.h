// Turning a qmp drawing into a quillmap document: a new document's title block
// first, the drawing's labels numbered after it, every record following the new
// label numbers, and the fixed qmp sizes written out where quillmap stores sizes.
#pragma once

#include "io/result.h"
#include "model/document.h"
#include "model/text_metrics.h"

namespace qm {

Result<Document> convertQmpToQuillmap(const Document& qmp, const TextMetrics& metrics);

}  // namespace qm
