// Arrow ends put in place by the pointer and the keys: a new straight arrow
// carried or drawn by a drag, a vertex handle dragged, the head moved with the
// keys. Ends snap onto connection points by the rule that pulls the pointer while
// an arrow is drawn, and everything stays on the canvas.
#pragma once

#include "model/editor.h"
#include "model/sel_kind.h"

namespace qm {

constexpr bool placesStraightArrow(SelKind k) { return k >= SelKind::PlacingLeftArrow && k <= SelKind::PlacingDownArrow; }

// Where an arrow end put at (x, y) goes: onto the connection point within reach
// (in whole twips, as the file keeps it), by the rule that pulls the pointer while
// an arrow is drawn, where the program snaps; else (x, y) itself.
PointF snapEnd(const Editor& ed, float x, float y);

// A new straight arrow (selKind 11..14) follows the pointer with its tail, whole on
// the canvas.
void placeStraightArrow(Editor& ed, float x, float y);
// A drag from the press (downX, downY) while a straight arrow is placed draws it:
// once the pointer is more than the rubber band's slack away, the tail stays at the
// press and the head (hitIndex 1) follows the pointer, both snapping, the head
// turned along the arrow. endStraightArrowDrag (the release) drops it selected.
void drawStraightArrow(Editor& ed, float x, float y);
void endStraightArrowDrag(Editor& ed);
// The vertex the press grabbed (the move session's hitIndex) of the selected arrow
// follows the pointer, kept on the canvas; its ends snap onto connection points,
// where they stay glued.
void dragVertex(Editor& ed, float x, float y);
// Alt and an arrow key: the head of the selected arrow moved by (dx, dy) as a drag
// moves it; a head on a connection point is not pulled back onto it, so that the
// keys can move it away.
void nudgeArrowHead(Editor& ed, float dx, float dy);

}  // namespace qm
