// What else makes qmp: its canvas geometry, its handler table, start-up with an
// empty canvas and no title block, its Delete (no protected labels, no inner
// labels), its label events (one editor box, no rebuilds) and its file commands on
// the reduced document layout.
#pragma once

#include "interact/rules.h"
#include "model/editor.h"

namespace qm::reduced {

// The canvas lies directly on the window at (75, 525), 14415 by 9015 twips.
CanvasGeometry canvasGeometry();
extern const Rules kRules;

// An empty canvas, no title block; counters zero, nothing changed.
void startUp(Editor& ed);
// Clears with qmp's question; false when a save was asked for and did not complete.
bool clearDocument(Editor& ed);
bool newDocument(Editor& ed);

void deleteSelection(Editor& ed);
void labelPress(Editor& ed, int i, int button);
void labelRelease(Editor& ed, int i, int button);
void labelClick(Editor& ed, int i);

void connectFileCommands(Editor& ed);
bool fileOpen(Editor& ed);
bool fileSave(Editor& ed);
bool fileSaveAs(Editor& ed);
bool closeRequest(Editor& ed);

}  // namespace qm::reduced
