// The pointer events of labels (select, drag, open the in-place editor on a second
// click without movement) and the two editor boxes, whose text becomes the caption
// when they lose the keyboard focus.
#pragma once

#include "model/editor.h"

namespace qm {

inline constexpr int kEnterKey = 13;

void labelPress(Editor& ed, int i, int button);
void labelMove(Editor& ed, int i);
// Timer stopped, release point noted; a moved or newly dropped label marks the
// document changed, and the labels lying on each shape are found again where the
// program keeps them.
void labelRelease(Editor& ed, int i, int button);
// A second click without movement opens the editor box over the label (the tall
// one for a word-wrapped label where the program has it); every click selects.
void labelClick(Editor& ed, int i);

// Opens the box of the first text of the selected rectangle, ellipse, diamond or
// label (of the title block's table: its first value cell), as a key typed on the
// selection starts editing it; false, and nothing happens, when the selection has
// no text or a box is already open.
bool openSelectedText(Editor& ed);
// Opens the box of label i, shown if it was hidden.
void openTextOf(Editor& ed, int i);

// Editor box events.
void editorKeyReleased(Editor& ed, EditorBox box, int keyCode);
// The user changed the box's text; the tall box grows to show all of it.
void editorTextChanged(Editor& ed, EditorBox box, std::string text);
// Writes the box's text into the label being edited and hides the box; nothing
// happens when the box is not open. Called when the box loses the focus, and by
// every command that reads or replaces the drawing. A text the file could not
// hold (too many bytes, a character GBK lacks, a label wider or taller than 16
// bits) is refused with a message: the box stays open with the text and gets the
// focus back, and the result is false, on which a command must stop.
bool commitEditor(Editor& ed, EditorBox box);
bool commitOpenEditors(Editor& ed);

// Why the file could not hold `label` with this caption, in the words the user is
// told; null when it can.
const char* captionRefusal(const LabelEl& label, const std::string& text, const TextMetrics& metrics);

EditBox& editBox(Editor& ed, EditorBox box);

// A text whose caption changed other than through its box, laid out where its
// rectangle, ellipse, diamond or the title block puts it, as after editing it.
void layOutInOwner(Editor& ed, int label);

// The system cursor in canvas client twips (rounded), from the host's mapping.
struct TwipPoint {
    int32_t x = 0, y = 0;
};
TwipPoint pointerInTwips(Editor& ed);

}  // namespace qm
