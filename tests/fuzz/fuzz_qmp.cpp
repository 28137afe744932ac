// Fuzz target: qmp's document layout, as qmp's Open command reads it, and what
// qmptool convert makes of an accepted drawing: a quillmap document that opens.
#include <cstdint>
#include <string_view>

#include "io/document_io.h"
#include "io/qmp_convert.h"
#include "reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qm;
    const std::optional<Document> qmp = fuzz::openDocument({reinterpret_cast<const char*>(data), size}, Layout::Qmp);
    if (!qmp) return 0;
    // A drawing with too many labels for a title block more is refused, not a fault.
    const Result<Document> converted = convertQmpToQuillmap(*qmp, fuzz::metrics());
    if (!converted) return 0;
    const Result<std::string> bytes = encodeDocument(*converted, Layout::Quillmap);
    if (bytes) fuzz::check(decodeDocument(*bytes, Layout::Quillmap, fuzz::metrics()).ok(), "a converted drawing opens");
    return 0;
}
