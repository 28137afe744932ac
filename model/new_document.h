// Clearing the drawing, the new document with its title block, and the start-up
// sequence of the quillmap main window.
#pragma once
#include <string>

#include "model/editor.h"

namespace qm {

// Asks whether to save a changed document. True when the caller may go on: the
// document was unchanged, the user said No, or the save it asked for completed;
// false when the question was dismissed or the save did not complete.
bool offerSave(Editor& ed, const std::string& question);

// Ends whatever is selected, placed or drawn: nothing selected, handles hidden,
// rubber band hidden, default canvas cursor, the label-following timer stopped.
void endInteraction(Editor& ed);

// Destroys every element of the drawing (handles and templates stay) and zeroes
// the counters. Records are left for the insert commands to reset.
void destroyDrawing(Document& doc);

// Offers to save, then clears. False when the question was dismissed or a save
// was asked for and did not complete: then nothing changed.
bool clearDocument(Editor& ed);

// The "新建" command: clears (with its question), then builds the title block.
// False when the clearing stopped.
bool newDocument(Editor& ed);

// The title of the title block, label 2, centred on the canvas with the width it
// has now.
inline constexpr int kTitleLabel = 2;
void centreTitle(Editor& ed);

// Program start: counters zeroed, an empty drawing with a new title block.
void startUp(Editor& ed);

}  // namespace qm
