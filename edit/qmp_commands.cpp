#include "edit/qmp_commands.h"

#include "edit/file_commands.h"
#include "edit/undo.h"
#include "interact/label_editing.h"
#include "interact/selection.h"
#include "model/labels.h"
#include "model/title_block.h"

namespace qm::reduced {

void startUp(Editor& ed) {
    Document& doc = ed.doc;
    autosize(doc.Label.templ(), ed.metrics);
    HandleEl& handle = doc.spHandle.templ();
    handle.width = handle.height = 125;
    handle.fill = SystemColor::ActiveCaption;
    removeTitleBlock(doc);
    doc.shapeCount = doc.labelCount = doc.arrowCount = doc.segCount = doc.diamondCount = 0;
    doc.fileName.clear();
    doc.setModified(false);
}

bool clearDocument(Editor& ed) {
    if (!commitOpenEditors(ed)) return false;
    refreshMark(ed);
    if (!offerSave(ed)) return false;
    endInteraction(ed);
    destroyDrawing(ed.doc);
    return true;
}

bool newDocument(Editor& ed) {
    if (!reduced::clearDocument(ed)) return false;
    ed.doc.fileName.clear();
    ed.fileOnDisk = {};
    restartHistory(ed);
    return true;
}

void connectFileCommands(Editor& ed) {
    ed.save = [&ed] { return reduced::fileSave(ed); };
}

bool fileOpen(Editor& ed) { return openDocument(ed, Layout::Qmp, reduced::clearDocument); }

bool fileSave(Editor& ed) { return saveDocument(ed, Layout::Qmp, false); }
bool fileSaveAs(Editor& ed) { return saveDocument(ed, Layout::Qmp, true); }

}  // namespace qm::reduced
