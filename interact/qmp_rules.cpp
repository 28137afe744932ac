#include "interact/qmp_rules.h"

#include "interact/arrows.h"
#include "interact/deleting.h"
#include "interact/label_editing.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "interact/timers.h"
#include "model/sel_kind.h"

namespace qm::reduced {

CanvasGeometry canvasGeometry() { return CanvasGeometry{75, 525, 14415, 9015, 2 * kTwipsPerPixel}; }

const Rules kRules{
    .canvasPress = reduced::canvasPress,
    .canvasMove = qm::canvasMove,
    .canvasRelease = qm::canvasRelease,
    .canvasClick = qm::canvasClick,
    .deleteSelection = qm::deleteSelection,
    .labelPress = reduced::labelPress,
    .labelMove = nullptr,
    .labelRelease = qm::labelRelease,
    .labelClick = qm::labelClick,
    .arrowheadPress = nullptr,  // presses on arrowheads have no effect
    .timer1Tick = qm::timer1Tick,
    .timer2Tick = nullptr,
    .drawArrowMove = freePolylineStep,
    .drawArrowClick = freePolylineLeftRelease,
    .drawArrowEnd = freePolylineRightRelease,
    .titleBlock = false,
    .cornerHandles = false,
    .innerLabels = false,
    .tallEditor = false,
};

void canvasPress(Editor& ed, int /*button*/, int shift, float x, float y) {
    Document& doc = ed.doc;
    if (doc.selKind == SelKind::DrawingArrow) return;
    if (grabHandle(ed, x, y) || pressOnGroup(ed, x, y)) return;
    clearSelection(ed);
    selectUnder(ed, shift, x, y);
    // A press on a vertex of the arrow it selects drags that vertex at once.
    if (!grabHandle(ed, x, y)) startDragOrBand(ed, x, y);
}

void labelPress(Editor& ed, int i, int button) {
    const CursorKind cursor = ed.host.canvasCursor();
    qm::labelPress(ed, i, button);
    if (button != 2) ed.host.setCanvasCursor(cursor);
}

}  // namespace qm::reduced
