// Between the raw view of a file and a Document: a checked raw view becomes a new
// drawing with every element at its stored place, and a drawing becomes the raw
// view of either layout, refusing values the file cannot hold.
#pragma once
#include "io/raw_document.h"
#include "model/document.h"
#include "model/text_metrics.h"

namespace qm {

// A new Document holding the drawing of `raw`, which validateRawDocument accepted.
// Labels size themselves through `metrics`; `modified` is 0.
Result<Document> buildDocument(const RawDocument& raw, const TextMetrics& metrics);
// The same, taking each text out of `raw` once it is in the drawing, so that the
// texts of a large file are never held twice.
Result<Document> buildDocument(RawDocument&& raw, const TextMetrics& metrics);

// The raw view `doc` is written as. Fails on a position or size that does not fit a
// 16-bit field, a text that cannot be stored, or a count out of its range.
Result<RawDocument> rawFromDocument(const Document& doc, Layout layout);

}  // namespace qm
