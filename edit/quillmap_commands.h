// quillmap's document commands: start-up with a new title block, the clear-document
// question that names the file, New, and Open, Save and Save As on the quillmap
// document layout. qmp's are in qmp_commands.h; both are built from the steps in
// file_commands.h.
#pragma once

#include "model/editor.h"

namespace qm {

// Program start: counters zeroed, an empty drawing with a new title block.
void startUp(Editor& ed);
// Offers to save, then clears. False when the question was dismissed or a save
// was asked for and did not complete: then nothing changed.
bool clearDocument(Editor& ed);
// New document: clears (with its question), then builds the title block. False
// when the clearing stopped.
bool newDocument(Editor& ed);

// Makes Save available to the questions that offer it before the drawing is lost.
void connectFileCommands(Editor& ed);
// The "新建" command: an open editor box is committed, then New document, which
// starts an empty history. Open, too, starts one for the drawing it read.
bool fileNew(Editor& ed);
// True when the document was read and now replaces the drawing.
bool fileOpen(Editor& ed);
// True only when the document was written.
bool fileSave(Editor& ed);
bool fileSaveAs(Editor& ed);

}  // namespace qm
