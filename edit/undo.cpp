#include "edit/undo.h"

#include "interact/selection.h"
#include "io/document_io.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"

namespace qm {
namespace {

void setMark(Editor& ed, const Checkpoint& now) { ed.doc.setModified(!(now == ed.history->steps.saved())); }

// Ends whatever is under way without finishing it: the boxes close unread, what
// is left of a gesture goes nowhere, nothing is selected.
void dropEverything(Editor& ed) {
    ed.text1.visible = ed.text2.visible = false;
    if (ed.capture.kind != PointerTarget::None) ed.capture = {PointerTarget::Abandoned};
    clearSelection(ed);
    endInteraction(ed);
    ed.doc.selIndex = 0;
}

// Makes the drawing the one `target` holds, group by group where they differ;
// should that ever not give the same bytes, by reading the whole checkpoint as
// Open reads a file.
void putBack(Editor& ed, const Checkpoint& target) {
    EditHistory& h = *ed.history;
    dropEverything(ed);
    if (!h.coder.restore(ed.doc, target, ed.metrics)) {
        if (auto read = decodeDocument(target.bytes(), h.coder.layout(), ed.metrics))
            replaceDocument(ed, std::move(read).value(), ed.doc.fileName);
    }
    setMark(ed, target);
}

}  // namespace

void startHistory(Editor& ed, Layout layout, HistoryLimits limits) {
    ed.history = std::make_shared<EditHistory>(layout, limits);
    restartHistory(ed);
}

void restartHistory(Editor& ed) {
    if (!ed.history) return;
    auto now = ed.history->coder.encode(ed.doc);
    ed.history->steps.reset(now ? *now : Checkpoint{});
    ed.doc.setModified(false);
}

void markSaved(Editor& ed) {
    ed.doc.setModified(false);
    if (!ed.history) return;
    if (auto now = ed.history->coder.encode(ed.doc)) ed.history->steps.setSaved(*now);
}

void markUnsaved(Editor& ed) {
    ed.doc.setModified(true);
    if (ed.history) ed.history->steps.setSaved(Checkpoint{});  // no drawing encodes to nothing
}

bool atRest(const Editor& ed) {
    return !followsPointer(ed.doc.selKind) && ed.capture.kind == PointerTarget::None && !ed.text1.visible &&
           !ed.text2.visible;
}

void settle(Editor& ed) {
    if (!ed.history || !atRest(ed)) return;
    auto now = ed.history->coder.encode(ed.doc);
    if (!now) {
        ed.doc.setModified(true);  // it cannot even be saved as it is
        return;
    }
    ed.history->steps.record(*now);
    setMark(ed, *now);
}

void refreshMark(Editor& ed) {
    if (!ed.history) return;
    auto now = ed.history->coder.encode(ed.doc);
    if (now)
        setMark(ed, *now);
    else
        ed.doc.setModified(true);
}

bool canUndo(const Editor& ed) { return ed.history && (!atRest(ed) || ed.history->steps.canUndo()); }

bool canRedo(const Editor& ed) { return ed.history && atRest(ed) && ed.history->steps.canRedo(); }

void undo(Editor& ed) {
    if (!ed.history) return;
    History& steps = ed.history->steps;
    if (!atRest(ed)) {
        putBack(ed, steps.current());
    } else if (const Checkpoint* before = steps.undo()) {
        putBack(ed, *before);
    }
}

void escape(Editor& ed) {
    Document& doc = ed.doc;
    if (ed.text1.visible || ed.text2.visible) {
        ed.text1.visible = ed.text2.visible = false;
        ed.host.focusCanvas();
        return;
    }
    if (doc.selKind == SelKind::DrawingArrow) {
        const ArrowRecord* r = doc.arrowRecord(doc.selIndex);
        if (r && r->segmentCount() > 0) {
            finishArrowDrawing(ed);
            return;
        }
    }
    if (atRest(ed)) {
        clearSelection(ed);
        return;
    }
    if (!ed.history) return;
    // What a drag had selected, by its body or a handle, stays selected once the
    // drawing is put back.
    const bool dragged = ed.capture.kind == PointerTarget::Canvas || ed.capture.kind == PointerTarget::Label;
    const std::vector<ElementRef> kept = dragged ? selectedElements(doc) : std::vector<ElementRef>{};
    putBack(ed, ed.history->steps.current());
    selectElements(ed, kept);
}

void redo(Editor& ed) {
    if (!canRedo(ed)) return;
    if (const Checkpoint* after = ed.history->steps.redo()) putBack(ed, *after);
}

}  // namespace qm
