// The ticks of the two timers: Timer1 carries a label with the pointer (while a new
// one is placed, and while the selected one is dragged); Timer2 pulls the system
// cursor onto nearby connection points while an arrow is drawn or placed.
#pragma once
#include <optional>

#include "interact/glue.h"  // snapTarget
#include "interact/label_editing.h"
#include "model/editor.h"

namespace qm {

inline constexpr int kTimer1Interval = 10;   // ms
inline constexpr int kTimer2Interval = 300;  // ms

void timer1Tick(Editor& ed);
void timer2Tick(Editor& ed);


}  // namespace qm
