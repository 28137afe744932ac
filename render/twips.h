// Twips, the unit every position of the documents and windows is laid out in, as
// the logical pixels of the canvas and the widgets: 15 twips to a pixel (Qt's
// scaling does the rest on a dense screen).
#pragma once
#include <algorithm>
#include <cmath>

#include <QRect>

#include "model/editor.h"

namespace qm {

// Twips to whole pixels. The file keeps whole twips, halves rounded to even;
// converting those same values shows a drawing exactly as it looks when opened
// again. Corrupt or far-away geometry must not overflow an int.
//
// Painting a large drawing converts hundreds of thousands of positions, and the
// library's rounding calls were a tenth of it: the same roundings are done inline.
// Adding 1.5 * 2^52 leaves a double no fraction, so adding and taking it away
// rounds halves to even, as std::nearbyint does in the default rounding mode (for
// magnitudes below 2^51; anything beyond 10^15 twips ends clamped all the same).
// A whole number of twips over 15 is never a half, so rounding it half up or down
// as std::lround does is adding a half and cutting the fraction.
inline double wholeTwips(double twips) {
    constexpr double kNoFraction = 6755399441055744.0;
    return (std::clamp(twips, -1.0e15, 1.0e15) + kNoFraction) - kNoFraction;
}

inline int pixels(double twips) {
    if (!std::isfinite(twips)) return 0;
    const double p = std::clamp(wholeTwips(twips) / kTwipsPerPixel, -1.0e7, 1.0e7);
    return static_cast<int>(p < 0 ? p - 0.5 : p + 0.5);
}

// The pixels a box given in twips covers. Its edges are rounded, not its size, so
// that boxes which meet in twips meet in pixels; boxes on a 15-twip grid, as the
// windows' are, come out the same either way.
inline QRect pixelRect(double left, double top, double width, double height) {
    const double l = wholeTwips(left), t = wholeTwips(top);
    return QRect(QPoint(pixels(l), pixels(t)),
                 QPoint(pixels(l + wholeTwips(width)) - 1, pixels(t + wholeTwips(height)) - 1));
}

}  // namespace qm
