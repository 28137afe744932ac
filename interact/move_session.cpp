#include "interact/move_session.h"

#include "interact/glue.h"
#include "model/rounding.h"

namespace qm {

void beginDrag(Editor& ed, float x, float y, std::optional<PointF> corner) {
    MoveSession& drag = ed.drag;
    drag.downX = roundI16Sat(x);
    drag.downY = roundI16Sat(y);
    if (corner) {
        drag.startLeft = roundI16Sat(corner->x);
        drag.startTop = roundI16Sat(corner->y);
    }
    drag.glued.clear();
    drag.moved = {};
    drag.hitIndex = 0;
}

void glueTo(Editor& ed, ElementRef e) { ed.drag.glued = findGlue(ed.doc, std::span(&e, 1), {}); }

void followGluedEnds(Editor& ed) { followGlue(ed.doc, ed.drag.glued); }

void endDrag(Editor& ed) {
    ed.drag.glued.clear();
    ed.drag.moved = {};
    ed.drag.hitIndex = 0;
    ed.guides.end();
}

}  // namespace qm
