#include "interact/rules.h"

#include "interact/label_editing.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "interact/timers.h"

namespace qm {

const Rules kQuillmapRules{
    canvasPress, canvasMove,   canvasRelease,  canvasClick, deleteSelection, labelPress,
    labelMove,   labelRelease, labelClick,     arrowheadPress, timer1Tick,   timer2Tick,
};

void deleteCommand(Editor& ed) { rulesOf(ed).deleteSelection(ed); }

}  // namespace qm
