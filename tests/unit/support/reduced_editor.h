// qmp's editor on a fake host, started as qmp starts, with pointer steps as the
// canvas delivers them.
#pragma once

#include "edit/qmp_commands.h"
#include "interact/pointer_routing.h"
#include "interact/qmp_rules.h"
#include "unit/support/fakes.h"

namespace qm::test {

struct ReducedEditor {
    FakeHost host;
    FakeMetrics metrics;
    Editor ed{host, metrics, reduced::canvasGeometry(), &reduced::kRules};
    Document& doc = ed.doc;
    ReducedEditor() {
        reduced::startUp(ed);
        reduced::connectFileCommands(ed);
    }
    void press(float x, float y, int button = 1) { pointerDown(ed, button, 0, x, y); }
    void release(float x, float y, int button = 1) { pointerUp(ed, button, 0, x, y); }
    void move(float x, float y, int buttons = 0) { pointerMove(ed, buttons, 0, x, y); }
    void click(float x, float y, int button = 1) {
        move(x, y);
        press(x, y, button);
        release(x, y, button);
    }
};

}  // namespace qm::test
