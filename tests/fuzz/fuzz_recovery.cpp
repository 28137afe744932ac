// Fuzz target: a recovery copy as the next start of either editor reads it from
// the recovery folder: its header (layout, time, file name, the drawing's length,
// checksum), then the drawing in the program's own layout.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "io/recovery_store.h"
#include "reader_checks.h"

namespace {

using namespace qm;

void readCopy(std::string_view bytes, Layout layout) {
    const Result<RecoveryCopy> copy = decodeRecoveryCopy(bytes, layout);
    if (!copy) return fuzz::check(!copy.error().message.empty(), "an error says what is wrong");
    const Result<RecoveryCopy> again = decodeRecoveryCopy(encodeRecoveryCopy(*copy, layout), layout);
    fuzz::check(again && again->documentPath == copy->documentPath && again->writtenAt == copy->writtenAt &&
                    again->document == copy->document,
                "a copy written again reads the same");
    (void)fuzz::openDocument(copy->document, layout);
}

// The input with its last line replaced by the checksum the writer would put
// there: no fuzzer guesses a checksum, and without it nothing past the header's
// parser would be reached.
std::string sealed(std::string_view in) {
    const size_t last = in.rfind("\nchecksum ");
    std::string out(in.substr(0, last == std::string_view::npos ? in.size() : last + 1));
    char line[32];
    std::snprintf(line, sizeof line, "checksum %016" PRIx64 "\n", recoveryChecksum(out));
    return out + line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::string resealed = sealed(in);
    for (const Layout layout : {Layout::Quillmap, Layout::Qmp}) {
        readCopy(in, layout);
        if (resealed != in) readCopy(resealed, layout);
    }
    return 0;
}
