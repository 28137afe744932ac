#include "reduced/reduced_editor.h"

#include "edit/file_commands.h"
#include "interact/label_editing.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "interact/timers.h"
#include "model/labels.h"
#include "model/new_document.h"
#include "model/sel_kind.h"
#include "reduced/reduced_pointer.h"

namespace qm::reduced {
namespace {

bool inRecords(int i) { return i >= 1 && i <= kMaxRecordIndex; }

// Saves to `path` after the usual preparations; qmp's saves leave the changed mark.
bool saveTo(Editor& ed, const std::optional<std::string>& path) {
    if (!path || !writeDocumentAs(ed, Layout::Qmp, *path)) return false;
    ed.doc.fileName = *path;
    return true;
}

}  // namespace

CanvasGeometry canvasGeometry() { return CanvasGeometry{75, 525, 14415, 9015, 2 * kTwipsPerPixel}; }

const Rules kRules{
    reduced::canvasPress, reduced::canvasMove, reduced::canvasRelease, qm::canvasClick, reduced::deleteSelection,
    reduced::labelPress,  nullptr,             reduced::labelRelease,  reduced::labelClick,
    nullptr,  // presses on arrowheads have no effect
    qm::timer1Tick,       nullptr,
};

void startUp(Editor& ed) {
    Document& doc = ed.doc;
    autosize(doc.Label.templ(), ed.metrics);
    HandleEl& handle = doc.spHandle.templ();
    handle.width = handle.height = 125;
    handle.fill = SystemColor::ActiveCaption;
    // qmp has no title block.
    doc.Shape2.visible = doc.Line2.visible = doc.Line3.visible = doc.Line4.visible = false;
    doc.shapeCount = doc.labelCount = doc.arrowCount = doc.segCount = doc.diamondCount = 0;
    doc.fileName.clear();
    doc.modified = 0;
}

bool clearDocument(Editor& ed) {
    if (!commitOpenEditors(ed)) return false;
    if (!offerSave(ed, "文件已改变，是否保存？")) return false;
    endInteraction(ed);
    destroyDrawing(ed.doc);
    return true;
}

bool newDocument(Editor& ed) {
    if (!reduced::clearDocument(ed)) return false;
    ed.doc.fileName.clear();
    return true;
}

void deleteSelection(Editor& ed) {
    Document& doc = ed.doc;
    const int i = doc.selIndex;
    switch (doc.selKind) {
        case SelKind::Shape:
            if (!inRecords(i)) return;
            doc.Shape1.setVisible(i, false);
            doc.LineRect.setVisible(i, false);
            doc.Label.setVisible(doc.shapeRec[i].label1, false);
            doc.Label.setVisible(doc.shapeRec[i].label2, false);
            break;
        case SelKind::Label:
            doc.Label.setVisible(i, false);
            break;
        case SelKind::Arrow:
            hideArrow(doc, i);
            clearSelection(ed);
            break;
        case SelKind::Diamond:
            if (!inRecords(i)) return;
            setDiamondVisible(doc, i, false);
            doc.Label.setVisible(doc.diamondRec[i].label1, false);
            doc.Label.setVisible(doc.diamondRec[i].label2, false);
            break;
        default:
            return;
    }
    ed.markModified();
}

void labelPress(Editor& ed, int i, int button) {
    // As in quillmap, but the pointer shape is left as it is.
    const CursorKind cursor = ed.host.canvasCursor();
    qm::labelPress(ed, i, button);
    if (button != 2) ed.host.setCanvasCursor(cursor);
}

void labelRelease(Editor& ed, int i, int /*button*/) { endLabelDrag(ed, i); }  // no inner lists to rebuild

void labelClick(Editor& ed, int i) {
    // qmp has only the one-line editor: a vertical label from a converted file is
    // edited there too.
    Document& doc = ed.doc;
    LabelEl* l = doc.Label.find(i);
    if (l && doc.selIndex == i && doc.selKind == SelKind::Label && doc.pressPt == doc.releasePt) {
        ed.text1.left = l->left;
        ed.text1.top = l->top;
        ed.text1.height = l->height;
        ed.text1.text = l->caption;
        ed.text1.visible = true;
        doc.editLabel = static_cast<int16_t>(i);
        ed.host.focusEditor(EditorBox::Text1);
    }
    clearSelection(ed);
    if (l) l->foreColor = kGreen;
    doc.selKind = SelKind::Label;
    doc.selIndex = static_cast<int16_t>(i);
}

void connectFileCommands(Editor& ed) {
    ed.save = [&ed] { return reduced::fileSave(ed); };
}

bool fileOpen(Editor& ed) { return openDocument(ed, Layout::Qmp, reduced::clearDocument); }

bool fileSave(Editor& ed) {
    if (!commitOpenEditors(ed)) return false;
    clearSelection(ed);
    if (!ed.doc.fileName.empty()) return writeDocumentAs(ed, Layout::Qmp, ed.doc.fileName);
    return saveTo(ed, ed.host.saveFileDialog(documentDialogPresets()));
}

bool fileSaveAs(Editor& ed) {
    if (!commitOpenEditors(ed)) return false;
    clearSelection(ed);
    return saveTo(ed, ed.host.saveFileDialog(documentDialogPresets()));
}

bool closeRequest(Editor& ed) { return qm::closeRequest(ed); }

}  // namespace qm::reduced
