// Undo and Redo, and the changed mark, for an editor. The shell calls settle()
// after every event; when the editor is at rest (nothing follows the pointer, no
// button is held, no editor box is open) the drawing is compared with the last
// checkpoint, and a difference is one step. The mark compares it with the file
// last opened or saved (the new drawing when there is none).
#pragma once

#include "edit/history.h"
#include "model/editor.h"

namespace qm {

struct EditHistory {
    explicit EditHistory(Layout layout, HistoryLimits limits = {}) : coder(layout), steps(limits) {}
    CheckpointCoder coder;
    History steps;
};

// Gives the editor a history in the program's file layout, starting afresh with
// the drawing as it is, which counts as saved.
void startHistory(Editor& ed, Layout layout, HistoryLimits limits = {});
// New and Open: an empty history; the drawing is the saved state.
void restartHistory(Editor& ed);
// Save and Save As wrote the drawing as it is now.
void markSaved(Editor& ed);
// No file holds the drawing as it is (one brought back after a crash): it stays
// changed until it is saved.
void markUnsaved(Editor& ed);

bool atRest(const Editor& ed);
// After every event: a step when the editor is at rest and the drawing changed,
// and the mark brought up to date.
void settle(Editor& ed);
// The mark compared afresh, at rest or not, for a command about to ask whether
// to save.
void refreshMark(Editor& ed);

bool canUndo(const Editor& ed);
bool canRedo(const Editor& ed);
// Undo puts back the drawing as it was before the last step, with nothing
// selected; in the middle of an action it backs out of that action instead.
void undo(Editor& ed);
void redo(Editor& ed);

// Esc backs out of what is under way: an editor box closes and the caption stays
// as it was; a new element that follows the pointer goes as if never inserted; a
// polyline arrow ends as the right button ends it (and goes when it has no
// segment yet); a drag or resize puts the elements back where the press found
// them, still selected, and the release that follows changes nothing. At rest it
// clears the selection.
void escape(Editor& ed);

}  // namespace qm
