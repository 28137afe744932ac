#include "model/rounding.h"

#include <cmath>
#include <limits>

namespace qm {
namespace {

template <class Int>
std::optional<Int> roundTo(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    // nearbyint honours the current rounding mode, which is round-half-even by default.
    const double r = std::nearbyint(v);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(r);
}

template <class Int>
Int roundSat(double v) {
    constexpr double lo = std::numeric_limits<Int>::min(), hi = std::numeric_limits<Int>::max();
    // llrint rounds half to even in the default rounding mode and compiles to one
    // instruction; this runs for every element of a large drawing.
    if (v >= lo && v <= hi) return static_cast<Int>(std::llrint(v));
    if (std::isnan(v)) return 0;
    return v < 0 ? std::numeric_limits<Int>::min() : std::numeric_limits<Int>::max();
}

}  // namespace

std::optional<int16_t> roundI16(double v) { return roundTo<int16_t>(v); }
std::optional<int32_t> roundI32(double v) { return roundTo<int32_t>(v); }
int16_t roundI16Sat(double v) { return roundSat<int16_t>(v); }
int32_t roundI32Sat(double v) { return roundSat<int32_t>(v); }

}  // namespace qm
