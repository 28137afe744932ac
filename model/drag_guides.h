// What snapping a drag finds and shows: where the other elements' edges and
// centres lie, gathered when the drag begins, and the guide lines through the
// alignments the dragged element has now. It belongs to the drag, never to the
// drawing: nothing of it is saved, printed or exported.
#pragma once
#include <vector>

#include "model/element_parts.h"

namespace qm {

// A line to draw across the canvas, in twips: upright at x = `at` when
// `vertical`, else level at y = `at`, from `from` to `to` along it.
struct GuideLine {
    bool vertical = true;
    float at = 0, from = 0, to = 0;
    bool operator==(const GuideLine&) const = default;
};

// A position on one axis where an edge or centre lies, with the extent, across
// it, of everything that lies there: a guide through it spans them all.
struct GuideMark {
    float at = 0, from = 0, to = 0;
};

struct DragGuides {
    bool active = false;               // gathered for the drag under way
    std::vector<GuideMark> xs, ys;     // sorted by position, one per position
    std::vector<BoxF> others;          // the other elements' boxes, for equal spacing
    std::vector<GuideLine> lines;      // what the drag lines up with now

    // No drag under way; the memory stays for the next one's marks, which on a
    // large drawing fill megabytes that fresh memory would fault in at its press.
    void end() {
        active = false;
        xs.clear();
        ys.clear();
        others.clear();
        lines.clear();
    }
};

}  // namespace qm
