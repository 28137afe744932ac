// Conversion of twips held as floating point into the 16- and 32-bit integers
// that records, files and routine arguments use. Rounds to nearest, halves to even,
// and says so when the value does not fit instead of wrapping silently.
#pragma once
#include <cstdint>
#include <optional>

namespace qm {

std::optional<int16_t> roundI16(double v);
std::optional<int32_t> roundI32(double v);

// For values that are kept inside the canvas by construction (clamped pointer
// positions, element geometry): saturates rather than failing.
int16_t roundI16Sat(double v);
int32_t roundI32Sat(double v);

}  // namespace qm
