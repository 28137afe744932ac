// Where a dragged element comes to rest: on a grid, or lined up with the other
// elements (alignment guides). The drag code asks here for the step that takes
// what it drags onto the nearest alignment; what it lines up with becomes the
// guide lines the canvas draws for as long as the drag lasts.
#pragma once

#include "model/editor.h"
#include "model/element_parts.h"

namespace qm {

// The grid: every ten pixels of an unzoomed canvas.
inline constexpr float kGridStep = 10 * kTwipsPerPixel;
// How near an edge or centre must come to be lined up: five pixels of the screen.
inline constexpr float kGuideReach = 5 * kTwipsPerPixel;

// The grid position nearest v.
float onGrid(float v);

// Whether a drag snaps to the grid now, or to guides: as set, unless Alt is held.
bool snapsToGrid(const Editor& ed);
bool snapsToGuides(const Editor& ed);

// At the press that begins a drag or resize: the edges and centres of every
// visible element that does not go with the selection, and the canvas's centre
// lines, gathered once for the frames to come.
void gatherGuides(Editor& ed);
// The drag's end drops them (endDrag, interact/move_session.h).

// The offset that takes `box` onto the nearest alignment on each axis (an edge or
// the centre on another's, within reach on the screen, or else an even spacing
// between its neighbours), or, without one, its top-left corner onto the grid;
// none on an axis where nothing is near.
PointF snapBoxBy(const Editor& ed, const BoxF& box);
// The same for a corner being dragged (a resize): the point's own x and y.
PointF snapPoint(const Editor& ed, PointF p);

// The guide lines through what `box` lines up with where it lies: the drag's
// `guides.lines`, set after each step.
void showGuidesFor(Editor& ed, const BoxF& box);
void showGuidesForPoint(Editor& ed, PointF p);

}  // namespace qm
