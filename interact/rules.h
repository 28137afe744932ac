// The handlers that make one program's editor what it is. quillmap and qmp share
// the document, the insert commands, the geometry and most handlers, but differ in
// how a press on the canvas and on a label is taken, how polyline arrows are drawn,
// and in what the shared handlers below find in the drawing (a title block, corner
// handles, inner labels, a tall editor box). Each program picks its table when it
// builds its editor; the routing calls through it, and where both programs behave
// alike both tables name the same handler.
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

    // Drawing a polyline arrow (selKind 5), in canvas twips: a pointer move, a left
    // release (a new vertex) and the right release that ends the arrow.
    void (*drawArrowMove)(Editor&, float x, float y);
    void (*drawArrowClick)(Editor&, float x, float y);
    void (*drawArrowEnd)(Editor&, float x, float y);

    // What the program's drawings have, which the shared handlers ask about.
    bool titleBlock;     // a title block to select and drag; Delete never hides its labels 1 and 2
    bool cornerHandles;  // rectangles, ellipses and diamonds show corner handles and resize by them
    bool innerLabels;    // labels lying on a rectangle, ellipse or diamond move and hide with it
    bool tallEditor;     // word-wrapped labels are edited in the tall box Text2, others in Text1
};

// quillmap's table (quillmap_rules.cpp); qmp's is in qmp_rules.h.
extern const Rules kQuillmapRules;

// The editor's table; quillmap's when none was chosen.
inline const Rules& rulesOf(const Editor& ed) { return ed.rules ? *ed.rules : kQuillmapRules; }

// The Delete key on the canvas and the Edit menu's Delete item.
void deleteCommand(Editor& ed);

}  // namespace qm
