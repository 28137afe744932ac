// qmp's document commands: start-up with an empty canvas and no title block, its
// own clear-document question, New, and Open, Save and Save As on the reduced
// document layout. quillmap's are in quillmap_commands.h; both are built from the
// steps in file_commands.h.
#pragma once

#include "model/editor.h"

namespace qm::reduced {

// An empty canvas, no title block; counters zero, nothing changed.
void startUp(Editor& ed);
// Clears with qmp's question; false when it was dismissed or a save was asked for
// and did not complete.
bool clearDocument(Editor& ed);
bool newDocument(Editor& ed);

void connectFileCommands(Editor& ed);
bool fileOpen(Editor& ed);
bool fileSave(Editor& ed);
bool fileSaveAs(Editor& ed);

}  // namespace qm::reduced
