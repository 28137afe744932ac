// Fuzz target: quillmap's document layout, as its Open command and qmptool read it.
#include <cstdint>
#include <string_view>

#include "reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)qm::fuzz::openDocument({reinterpret_cast<const char*>(data), size}, qm::Layout::Quillmap);
    return 0;
}
