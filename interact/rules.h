// The handlers that make one program's editor what it is. quillmap and qmp share
// the document, the insert commands and most geometry, but differ in how the canvas
// and the labels answer the pointer and in what Delete hides; each program picks
// its table when it builds its editor, and the routing calls through it.
#pragma once

#include "model/editor.h"

namespace qm {

struct Rules {
    void (*canvasPress)(Editor&, int button, int shift, float x, float y);
    void (*canvasMove)(Editor&, int buttons, int shift, float x, float y);
    void (*canvasRelease)(Editor&, int button, int shift, float x, float y);
    void (*canvasClick)(Editor&);
    void (*deleteSelection)(Editor&);
    void (*labelPress)(Editor&, int i, int button);
    void (*labelMove)(Editor&, int i);  // may be null: moves over labels then do nothing
    void (*labelRelease)(Editor&, int i, int button);
    void (*labelClick)(Editor&, int i);
    // A press on arrowhead picture i of a direction, relative to the picture; null
    // when arrowheads swallow presses.
    void (*arrowheadPress)(Editor&, Dir dir, int i, float x, float y);
    void (*timer1Tick)(Editor&);
    void (*timer2Tick)(Editor&);  // may be null: no snapping
};

extern const Rules kQuillmapRules;

// The editor's table; quillmap's when none was chosen.
inline const Rules& rulesOf(const Editor& ed) { return ed.rules ? *ed.rules : kQuillmapRules; }

// The Delete key on the canvas and the Edit menu's Delete item.
void deleteCommand(Editor& ed);

}  // namespace qm
