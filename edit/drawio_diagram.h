// A chart as a draw.io diagram: the uncompressed mxfile / diagram / mxGraphModel
// layout, one page, in the chart's pixels with the canvas's top-left corner at
// 0,0. Figures are vertices holding their texts, labels text vertices, arrows
// edges naming the figures their glued ends lie on and the connection point,
// every bend a waypoint; the title block is a group.
#pragma once
#include <string>
#include <string_view>

#include "edit/editable_chart.h"
#include "edit/odf_drawing.h"

namespace qm {

struct DrawioDiagram {
    std::string xml;
    int replaced = 0;  // characters XML cannot hold, written as U+FFFD
};

// `families` gives the faces, best first, a label's font name stands for.
DrawioDiagram drawioDiagram(const EditableChart& chart, const FontFamilies& families, std::string_view title);

}  // namespace qm
