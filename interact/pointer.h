// The canvas pointer state machine: press, move, release and click on the canvas,
// interpreted through selKind. Selects by hit test, drags and resizes, carries a new
// element until a press drops it, and draws polyline arrows click by click. A
// program's press is put together from the steps below (see rules.h); the moves,
// the release and the click are the same for both programs.
#pragma once
#include <optional>

#include "interact/arrows.h"
#include "model/editor.h"

namespace qm {

inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kShift = 1;
inline constexpr int kDeleteKey = 46;

// Positions are canvas client twips; button and shift are the flag values above.
void canvasPress(Editor& ed, int button, int shift, float x, float y);  // quillmap's
void canvasMove(Editor& ed, int button, int shift, float x, float y);
void canvasRelease(Editor& ed, int button, int shift, float x, float y);
void canvasClick(Editor& ed);
void canvasKeyDown(Editor& ed, int keyCode);

// The steps of a press. selectUnder selects what lies under the pointer: rectangles
// and ellipses (the first hit), diamonds, the title block, arrows, a later kind
// taking the selection from an earlier one; with Shift the texts of a rectangle,
// ellipse or diamond (or the title block's cell) are shown too.
void selectUnder(Editor& ed, int shift, float x, float y);
// Selects element i of a kind as a press or click on it would, texts left as they
// are; nothing when there is no such element. The title block has no index.
void selectElement(Editor& ed, ElementKind kind, int i);
// A press on a handle of the selected element: an arrow's vertex starts dragging
// it (selKind 9), a corner of a rectangle, ellipse or diamond starts resizing it.
// Handles keep their size on the screen at every zoom.
void grabHandle(Editor& ed, float x, float y);
// Notes where a drag starts: the pointer (downX, downY) and, when something is
// dragged from a corner, that corner (startLeft, startTop).
void noteDragStart(Document& doc, float x, float y, std::optional<PointF> corner);
// The top-left corner of the selected rectangle, ellipse, diamond or title block.
std::optional<PointF> selectionCorner(const Document& doc);

// The pointer kept on the canvas's client area while something is carried.
PointF clampToCanvas(const Editor& ed, float x, float y);

}  // namespace qm
