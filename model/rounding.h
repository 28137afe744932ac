// Conversion of twips held as floating point into the 16- and 32-bit integers
// that records, files and routine arguments use. Rounds to nearest, halves to even,
// and says so when the value does not fit instead of wrapping silently.
#pragma once
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace qm {
namespace rounding_detail {

// v rounded to an integer in the current rounding mode (halves to even by
// default), as nearbyint rounds it, for |v| < 2^51: adding 1.5 * 2^52 leaves no
// bits below the units, and taking it away again is exact. Inline and free of
// library calls, since saving or checkpointing a large drawing rounds every
// coordinate of it. Where sums are kept wider than double (x87), the bits below
// the units would survive, so there the library rounds.
inline double roundInCurrentMode(double v) {
#if FLT_EVAL_METHOD == 0
    constexpr double kShift = 6755399441055744.0;  // 1.5 * 2^52
    return (v + kShift) - kShift;
#else
    return std::nearbyint(v);
#endif
}

template <class Int>
std::optional<Int> roundTo(double v) {
    constexpr double kExact = 2251799813685248.0;  // 2^51; NaN fails the test too
    if (!(v > -kExact && v < kExact)) return std::nullopt;
    const double r = roundInCurrentMode(v);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(r);
}

template <class Int>
Int roundSat(double v) {
    constexpr double lo = std::numeric_limits<Int>::min(), hi = std::numeric_limits<Int>::max();
    if (v >= lo && v <= hi) return static_cast<Int>(roundInCurrentMode(v));
    if (v != v) return 0;  // NaN
    return v < 0 ? std::numeric_limits<Int>::min() : std::numeric_limits<Int>::max();
}

}  // namespace rounding_detail

inline std::optional<int16_t> roundI16(double v) { return rounding_detail::roundTo<int16_t>(v); }
inline std::optional<int32_t> roundI32(double v) { return rounding_detail::roundTo<int32_t>(v); }

// For values that are kept inside the canvas by construction (clamped pointer
// positions, element geometry): saturates rather than failing.
inline int16_t roundI16Sat(double v) { return rounding_detail::roundSat<int16_t>(v); }
inline int32_t roundI32Sat(double v) { return rounding_detail::roundSat<int32_t>(v); }

}  // namespace qm
