// What the fuzz targets check beyond "no crash, no undefined behaviour": what a
// reader must keep for every input. A broken promise aborts, which the fuzzer and
// the replay both report as a failure.
#pragma once
#include <cstddef>
#include <optional>
#include <string_view>

#include "io/raw_document.h"
#include "io/result.h"
#include "model/document.h"
#include "model/text_metrics.h"

namespace qm::fuzz {

void check(bool ok, const char* what);

// Sizes that follow the text and the font size, as a real face's would.
const TextMetrics& metrics();

// A refused document says what is wrong and at which byte of its `size` bytes.
void refusedWithOffset(const IoError& e, std::size_t size);

// Opens `in` as the editor of `layout` does: the raw view re-encodes to exactly the
// bytes it came from, and a document it accepts is whole and, once saved, opens
// again and saves to the same bytes. The document, when accepted.
std::optional<Document> openDocument(std::string_view in, Layout layout);

}  // namespace qm::fuzz
