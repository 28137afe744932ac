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
inline int pixels(double twips) {
    if (!std::isfinite(twips)) return 0;
    const double p = std::clamp(std::nearbyint(twips) / kTwipsPerPixel, -1.0e7, 1.0e7);
    return static_cast<int>(std::lround(p));
}

// The pixels a box given in twips covers. Its edges are rounded, not its size, so
// that boxes which meet in twips meet in pixels; boxes on a 15-twip grid, as the
// windows' are, come out the same either way.
inline QRect pixelRect(double left, double top, double width, double height) {
    const double l = std::nearbyint(left), t = std::nearbyint(top);
    return QRect(QPoint(pixels(l), pixels(t)),
                 QPoint(pixels(l + std::nearbyint(width)) - 1, pixels(t + std::nearbyint(height)) - 1));
}

}  // namespace qm
