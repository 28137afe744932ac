// The canvas pointer state machine: press, move, release and click on the canvas,
// interpreted through selKind. Selects by hit test, drags and resizes, selects
// what a rubber band takes in, carries a new element until a press drops it, and
// draws polyline arrows click by click. A program's press is put together from the
// steps below (see rules.h); the moves, the release, the click and the keys are
// the same for both programs.
#pragma once
#include <optional>

#include "interact/arrows.h"
#include "model/editor.h"

namespace qm {

inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
// Modifier flags of pointer events and keys.
inline constexpr int kShift = 1;
inline constexpr int kCtrl = 2;
inline constexpr int kAlt = 4;
// Key codes of the canvas's keys.
inline constexpr int kLeftKey = 37, kUpKey = 38, kRightKey = 39, kDownKey = 40;
inline constexpr int kDeleteKey = 46;

// Positions are canvas client twips; button and shift are the flag values above.
void canvasPress(Editor& ed, int button, int shift, float x, float y);  // quillmap's
void canvasMove(Editor& ed, int button, int shift, float x, float y);
void canvasRelease(Editor& ed, int button, int shift, float x, float y);
void canvasClick(Editor& ed);
// A key on the canvas: Delete, and the arrow keys, which move the selection by a
// pixel, with Shift by ten; with Alt they move the selected arrow's head or the
// bottom-right corner of the selected rectangle, ellipse or diamond instead.
void canvasKeyDown(Editor& ed, int keyCode, int shift = 0);
// The handle that Alt and the arrow keys move, by (dx, dy) twips, as a drag of it
// would move it: an arrow's head snaps onto connection points, a corner resizes.
void nudgeHandle(Editor& ed, float dx, float dy);

// The steps of a press. selectUnder selects what lies under the pointer: rectangles
// and ellipses (the first hit), diamonds, the title block, arrows, a later kind
// taking the selection from an earlier one; with Shift the texts of a rectangle,
// ellipse or diamond (or the title block's cell) are shown too.
void selectUnder(Editor& ed, int shift, float x, float y);
// The element a press at (x, y) selects, by the same rules.
std::optional<ElementRef> elementUnder(const Editor& ed, float x, float y);
// A press on a visible handle of the selected element takes it, whatever lies
// under it: an arrow's vertex starts dragging it (selKind 9), a corner of a
// rectangle, ellipse or diamond starts resizing it. True when a handle was taken.
// Handles keep their size on the screen at every zoom.
bool grabHandle(Editor& ed, float x, float y);
// The visible handle of the selected element at (x, y), as grabHandle finds it.
std::optional<int> handleAt(const Editor& ed, float x, float y);
// A press on one of several selected elements (or on what goes with one) starts
// dragging them all and keeps them selected; true when it did.
bool pressOnGroup(Editor& ed, float x, float y);
// After selectUnder: a selected element is ready to be dragged; on empty canvas a
// drag with the left button will draw a rubber band from here.
void startDragOrBand(Editor& ed, float x, float y);
// Ctrl+click: the element under the pointer joins the selection or leaves it.
void toggleUnder(Editor& ed, float x, float y);

// A new element being placed put at (x, y), as a pointer move there puts it.
void placeNewElement(Editor& ed, float x, float y);

// A press on arrowhead picture i of direction dir at (x, y) twips relative to the
// picture: the canvas takes it at the same point, without Shift.
void arrowheadPress(Editor& ed, Dir dir, int i, float x, float y);

// The pointer kept on the canvas's client area while something is carried.
PointF clampToCanvas(const Editor& ed, float x, float y);

}  // namespace qm
