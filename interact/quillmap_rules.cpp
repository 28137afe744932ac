// quillmap's handler table: the full editor, whose canvas knows every state. Its
// drawings have the title block, corner handles and inner labels, and word-wrapped
// labels are edited in the tall box. qmp's table is in qmp_rules.cpp.
#include "interact/arrows.h"
#include "interact/deleting.h"
#include "interact/label_editing.h"
#include "interact/pointer.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "interact/timers.h"

namespace qm {

const Rules kQuillmapRules{
    .canvasPress = canvasPress,
    .canvasMove = canvasMove,
    .canvasRelease = canvasRelease,
    .canvasClick = canvasClick,
    .deleteSelection = deleteSelection,
    .labelPress = labelPress,
    .labelMove = labelMove,
    .labelRelease = labelRelease,
    .labelClick = labelClick,
    .arrowheadPress = arrowheadPress,
    .timer1Tick = timer1Tick,
    .timer2Tick = timer2Tick,
    .drawArrowMove = polylineStep,
    .drawArrowClick = polylineLeftRelease,
    .drawArrowEnd = polylineRightRelease,
    .titleBlock = true,
    .cornerHandles = true,
    .innerLabels = true,
    .tallEditor = true,
};

}  // namespace qm
