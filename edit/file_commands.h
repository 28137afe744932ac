// The steps both programs' document commands are made of (edit/quillmap_commands.h,
// edit/qmp_commands.h): the questions before a changed drawing is lost, opening
// and saving in a file layout. Dialogs and messages go through the host; a drawing
// is replaced only by a file that was read and checked completely, and a failed or
// cancelled save never counts as saved.
#pragma once

#include "io/file_identity.h"
#include "io/raw_document.h"
#include "model/editor.h"

namespace qm {

// Dialog presets of the document commands: the drawing's own file when it has
// one, else 未命名.QMP.
FileDialogPresets documentDialogPresets(const Document& doc);

// At start: tells the user when the system cannot convert the texts of documents,
// before anything is drawn that could not be saved. False then.
bool reportMissingCodePages(Editor& ed);

// The question asked before a changed drawing is lost, naming it.
std::string saveQuestion(const Document& doc);
// Asks it (是, 否, 取消) when the drawing changed. True when the caller may go on:
// the document was unchanged, the user said No, or the save it asked for (the
// program's Save, connected to the editor) completed; false on 取消, when the
// question was dismissed, or when the save did not complete.
bool offerSave(Editor& ed);
// True when the window may close: unchanged, No, or Yes and the program's Save
// completed.
bool closeRequest(Editor& ed);

// The steps both programs share, for their own layout and clear-document question.
// Open: choose, read and check the whole file, then clear (which may stop), then
// replace. Write: the file in the layout, or a message naming it and the reason.
bool openDocument(Editor& ed, Layout layout, bool (*clear)(Editor&));
// The same without the dialog, for a file named on the command line (a document
// opened from the desktop).
bool openDocumentPath(Editor& ed, Layout layout, bool (*clear)(Editor&), const std::string& path);
// On success the editor records the file's identity.
bool writeDocumentAs(Editor& ed, Layout layout, const std::string& path);

// "2026-12-09 03:10:00", in local time.
std::string localTimeText(int64_t seconds);
// What the user is told about a file someone else changed or removed; empty when
// the check found it unchanged.
std::string fileChangeText(const std::string& path, const FileCheck& check);

// Before the drawing is written to `path`: when that is the file it was read from
// or last written to and someone else has changed or removed it since, asks
// whether to write over it (是), save under another name (另存为...) or not at all
// (取消). A file the check cannot read counts as changed.
enum class SaveOver { Write, SaveAs, Stop };
SaveOver confirmSaveOver(Editor& ed, const std::string& path);

// What the user is told when writing `path` failed; `subject` names what was
// written ("文件", "图片"). Says the old file is unchanged only when that is true.
std::string saveFailureMessage(std::string_view subject, const std::string& path, const IoError& error);
// Save (to the document's path, asked for when it has none) and Save As (always
// asked for): editor boxes committed, selection cleared, then written. True when
// the file was written; the document then carries its path and is the saved state
// the changed mark compares with.
bool saveDocument(Editor& ed, Layout layout, bool askPath);

}  // namespace qm
