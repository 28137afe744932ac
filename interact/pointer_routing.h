// Which element receives the pointer: arrowhead pictures lie above labels, labels
// above the canvas, and whatever received the press receives the moves and the
// release that follow it. The shell feeds every canvas mouse event through here.
#pragma once

#include "model/editor.h"

namespace qm {

// The element under (x, y), canvas client twips: an arrowhead picture (the later
// direction first: right, left, down, up), else a label, else the canvas.
PointerTarget targetAt(const Document& doc, float x, float y);

void pointerDown(Editor& ed, int button, int shift, float x, float y);
void pointerMove(Editor& ed, int buttons, int shift, float x, float y);
void pointerUp(Editor& ed, int button, int shift, float x, float y);

// The modifier keys changed with the pointer still. Alt turns snapping off, and
// a drag under way takes a change of it at once, where the pointer is, as its
// next move would: let go over a grid point, the element goes there now.
void modifiersChanged(Editor& ed, int shift);

}  // namespace qm
