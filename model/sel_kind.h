// The codes of selKind: what is selected, or which placing, drawing or dragging is
// under way. The pointer code, the insert commands and the label events agree
// through these values, which documents never store but every rule reads.
#pragma once
#include <cstdint>

namespace qm {

struct SelKind {
    enum : int16_t {
        None = 0,
        PlacingShape = 1,      // new rectangle or ellipse follows the pointer
        Shape = 2,             // rectangle or ellipse selected
        PlacingLabel = 3,      // new label follows the pointer
        Label = 4,             // label selected
        DrawingArrow = 5,      // polyline arrow being drawn
        Arrow = 6,             // arrow selected
        PlacingDiamond = 7,    // new diamond follows the pointer
        Diamond = 8,           // diamond selected
        DraggingVertex = 9,    // a vertex of the selected arrow is dragged
        TitleBlock = 10,       // title block selected
        PlacingLeftArrow = 11,
        PlacingRightArrow = 12,
        PlacingUpArrow = 13,
        PlacingDownArrow = 14,
        ResizingShape = 15,    // a corner of the selected rectangle or ellipse is dragged
        ResizingDiamond = 16,  // a corner of the selected diamond is dragged
    };
};

}  // namespace qm
