#include "interact/canvas_edge.h"

#include <algorithm>

namespace qm {

BoxF canvasBox(const Editor& ed) {
    const CanvasGeometry& c = ed.canvas;
    return {0, 0, c.width - 2 * c.frame, c.height - 2 * c.frame};
}

PointF clampOffset(const BoxF& box, const BoxF& canvas, PointF want) {
    const auto clampAxis = [](float v, float low, float high, float lo, float hi) {
        // Never further off than it is: an edge already past the canvas's may only come back.
        return std::clamp(v, std::min(0.0f, lo - low), std::max(0.0f, hi - high));
    };
    return {clampAxis(want.x, box.left, box.right, canvas.left, canvas.right),
            clampAxis(want.y, box.top, box.bottom, canvas.top, canvas.bottom)};
}

PointF intoCanvas(const Editor& ed, const BoxF& box) {
    // The same box at the canvas's corner, which it never leaves unless it is
    // larger, then moved towards where it is.
    const BoxF c = canvasBox(ed);
    const BoxF atCorner{c.left, c.top, c.left + box.right - box.left, c.top + box.bottom - box.top};
    const PointF want{box.left - c.left, box.top - c.top};
    const PointF to = clampOffset(atCorner, c, want);
    return {to.x - want.x, to.y - want.y};
}

}  // namespace qm
