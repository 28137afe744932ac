// The editor's move session (model/move_session.h) from a press to its release:
// begun by the press, its glue taken and followed, all let go when the drag ends.
// What a drag moves and how it lines up is interact/move.h, which begins and steps
// drags of the selection and of a label through these; resizing and the selection,
// which end a drag cut short, sit below that and use these alone.
#pragma once
#include <optional>

#include "model/editor.h"

namespace qm {

// Any press that may start a drag: its point noted, nothing grabbed, glued or moved yet;
// `corner` is the top-left corner of a label about to be dragged by itself.
void beginDrag(Editor& ed, float x, float y, std::optional<PointF> corner = std::nullopt);
// The arrow ends on `e`'s connection points go with it until the drag ends; for a
// resize by the keys too, which is a drag of one step.
void glueTo(Editor& ed, ElementRef e);
// A step of a resize: the glued ends follow their points to where they lie now.
void followGluedEnds(Editor& ed);
// Any drag over: the glue let go, nothing grabbed or moved, nothing lined up.
void endDrag(Editor& ed);

}  // namespace qm
