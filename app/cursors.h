// The canvas's cursor shapes: the platform's arrow and crosshair, and the insert
// cursor of our own that shows a new element is carried by the pointer.
#pragma once
#include <QCursor>

#include "model/host.h"

namespace qm {

// The insert cursor: a crosshair with a small framed box at its lower right,
// drawn at the screen's device pixel ratio so that it stays sharp.
QCursor insertCursor();

QCursor cursorFor(CursorKind kind);

}  // namespace qm
