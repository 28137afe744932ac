#include "interact/rules.h"

#include "interact/arrows.h"
#include "interact/label_editing.h"
#include "interact/pointer.h"
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

void deleteCommand(Editor& ed) { rulesOf(ed).deleteSelection(ed); }

}  // namespace qm
