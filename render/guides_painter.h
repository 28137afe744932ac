// What helps the user place things, painted over the canvas as shown on the
// screen and nowhere else: the grid, and the guide lines of a drag under way.
// Neither is part of the drawing, so no picture, page or file ever holds them.
#pragma once
#include <vector>

#include <QRect>

#include "model/drag_guides.h"
#include "render/zoomed_view.h"

class QPainter;

namespace qm {

struct CanvasOverlay {
    bool grid = false;
    std::vector<GuideLine> guides;
    bool operator==(const CanvasOverlay&) const = default;
};

// The grid's step in client pixels at a zoom: ten, or as many tens as keep its
// points at least eight screen pixels apart, so that zoomed out it never turns
// into a grey wash.
int gridStep(qreal zoom);

// The overlay over `dirty` (widget pixels) of a canvas whose client area lies at
// `client` on the widget.
void paintOverlay(QPainter& painter, const ZoomedView& view, const QRect& client, const QRect& dirty,
                  const CanvasOverlay& overlay);

// The widget pixels a guide line covers.
QRect guideArea(const ZoomedView& view, const GuideLine& line);

}  // namespace qm
