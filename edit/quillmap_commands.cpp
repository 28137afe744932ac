#include "edit/quillmap_commands.h"

#include "edit/file_commands.h"
#include "edit/undo.h"
#include "interact/label_editing.h"
#include "interact/selection.h"
#include "model/labels.h"
#include "model/title_block.h"

namespace qm {

void startUp(Editor& ed) {
    Document& doc = ed.doc;
    // The template's size is that of its caption in the face we really draw with.
    autosize(doc.Label.templ(), ed.metrics);
    doc.shapeCount = doc.labelCount = doc.arrowCount = doc.segCount = doc.diamondCount = 0;
    doc.fileName.clear();
    doc.orthoDraw = 0;
    clearDocument(ed);
    newDocument(ed);
    doc.headerTag = defaultHeaderTag();
    doc.fileVersion = 1;
}

bool clearDocument(Editor& ed) {
    if (!offerSave(ed)) return false;
    endInteraction(ed);
    destroyDrawing(ed.doc);
    return true;
}

bool newDocument(Editor& ed) {
    if (!clearDocument(ed)) return false;
    ed.doc.fileName.clear();
    ed.fileOnDisk = {};
    createTitleBlock(ed.doc, ed.metrics, ed.canvas);
    return true;
}

void connectFileCommands(Editor& ed) {
    ed.save = [&ed] { return fileSave(ed); };
}

bool fileNew(Editor& ed) {
    if (!commitOpenEditors(ed)) return false;
    refreshMark(ed);
    if (!newDocument(ed)) return false;
    restartHistory(ed);
    return true;
}

bool fileOpen(Editor& ed) { return openDocument(ed, Layout::Quillmap, clearDocument); }

bool fileSave(Editor& ed) { return saveDocument(ed, Layout::Quillmap, false); }
bool fileSaveAs(Editor& ed) { return saveDocument(ed, Layout::Quillmap, true); }

}  // namespace qm
