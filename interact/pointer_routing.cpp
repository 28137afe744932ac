#include "interact/pointer_routing.h"

#include "interact/label_editing.h"
#include "interact/move.h"
#include "interact/pointer.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "model/sel_kind.h"

namespace qm {
namespace {

template <class El>
bool contains(const El& e, float x, float y) {
    return e.visible && e.left <= x && x < e.left + e.width && e.top <= y && y < e.top + e.height;
}

// A fresh press that the selection takes before the element under it: with Ctrl
// the element (a label, or what a press on the canvas selects) joins the selection
// or leaves it, and the rest of the gesture goes nowhere; on a label that goes
// with several selected elements it drags them all, as the canvas's moves do.
bool selectionTakes(Editor& ed, int button, int shift, float x, float y) {
    Document& doc = ed.doc;
    const PointerTarget t = ed.capture;
    if ((shift & kCtrl) && button == kLeftButton && !followsPointer(doc.selKind)) {
        if (t.kind == PointerTarget::Label)
            toggleSelected(ed, {ElementKind::Label, t.index});
        else if (t.kind == PointerTarget::Canvas || (t.kind == PointerTarget::Picture && rulesOf(ed).arrowheadPress))
            toggleUnder(ed, x, y);
        else
            return false;
        ed.capture = {PointerTarget::Abandoned};
        return true;
    }
    if (t.kind == PointerTarget::Label && doc.selKind == SelKind::Several &&
        carriedBySelection(doc, {ElementKind::Label, t.index})) {
        ed.capture = {PointerTarget::Canvas, 0};
        beginMove(ed, x, y);
        return true;
    }
    return false;
}

bool insideCanvas(const Editor& ed, float x, float y) {
    const float w = ed.canvas.width - 2 * ed.canvas.frame, h = ed.canvas.height - 2 * ed.canvas.frame;
    return x >= 0 && y >= 0 && x < w && y < h;
}

}  // namespace

PointerTarget targetAt(const Document& doc, float x, float y) {
    for (Dir dir : {Dir::Right, Dir::Left, Dir::Down, Dir::Up}) {
        const Collection<PictureEl>& heads = doc.heads(dir);
        for (int i = heads.end() - 1; i >= 1; --i)
            if (const PictureEl* p = heads.find(i); p && contains(*p, x, y)) return {PointerTarget::Picture, i, dir};
    }
    for (int i = doc.Label.end() - 1; i >= 1; --i)
        if (const LabelEl* l = doc.Label.find(i); l && contains(*l, x, y)) return {PointerTarget::Label, i};
    return {PointerTarget::Canvas, 0};
}

void pointerDown(Editor& ed, int button, int shift, float x, float y) {
    ed.drag.pointer = {x, y};
    ed.drag.buttons = button;
    if (ed.capture.kind == PointerTarget::None) {
        ed.capture = targetAt(ed.doc, x, y);
        // The label being placed takes the press wherever it lands, which drops
        // it: it follows the pointer a tick of its timer behind, and its corner
        // may sit on the grid beside the pointer.
        if (ed.doc.selKind == SelKind::PlacingLabel) ed.capture = {PointerTarget::Label, ed.doc.selIndex};
        // A handle of the selection takes the press from a label lying over it, as
        // from anything on the canvas (an arrowhead hands its press on already).
        if (ed.capture.kind == PointerTarget::Label && button == kLeftButton && handleAt(ed, x, y))
            ed.capture = {PointerTarget::Canvas, 0};
        if (selectionTakes(ed, button, shift, x, y)) return;
    }
    const PointerTarget t = ed.capture;
    switch (t.kind) {
        case PointerTarget::Label:
            rulesOf(ed).labelPress(ed, t.index, button);
            break;
        case PointerTarget::Picture: {
            const PictureEl* p = ed.doc.heads(t.dir).find(t.index);
            if (p && rulesOf(ed).arrowheadPress) rulesOf(ed).arrowheadPress(ed, t.dir, t.index, x - p->left, y - p->top);
            break;
        }
        case PointerTarget::Canvas:
            rulesOf(ed).canvasPress(ed, button, shift, x, y);
            break;
        default:
            break;
    }
}

void pointerMove(Editor& ed, int buttons, int shift, float x, float y) {
    // Alt turns snapping off for the drag, whatever carries it: a label's timer
    // reads it between the moves.
    ed.snapHeldOff = (shift & kAlt) != 0;
    ed.drag.pointer = {x, y};
    ed.drag.buttons = buttons;
    PointerTarget t = ed.capture;
    if (t.kind == PointerTarget::None) {
        t = targetAt(ed.doc, x, y);
        if (canvasCarries(ed.doc.selKind)) t = {PointerTarget::Canvas, 0};
    }
    const Rules& rules = rulesOf(ed);
    if (t.kind == PointerTarget::Label) {
        if (rules.labelMove) rules.labelMove(ed, t.index);
    } else if (t.kind == PointerTarget::Canvas || (ed.capture.kind == PointerTarget::Picture && rules.arrowheadPress)) {
        rules.canvasMove(ed, buttons, shift, x, y);  // a drag begun on an arrowhead is the canvas's
    }
}

void pointerUp(Editor& ed, int button, int shift, float x, float y) {
    const PointerTarget t = ed.capture;
    ed.capture = {};
    const Rules& rules = rulesOf(ed);
    switch (t.kind) {
        case PointerTarget::Label: {
            rules.labelRelease(ed, t.index, button);
            // The label being carried counts as under the pointer even when the
            // timer has not caught up with the last movement yet.
            const LabelEl* l = ed.doc.Label.find(t.index);
            const bool carried = ed.doc.selIndex == t.index && elementKindOf(ed.doc.selKind) == ElementKind::Label;
            if (l && (carried || contains(*l, x, y))) rules.labelClick(ed, t.index);
            break;
        }
        case PointerTarget::Picture:
            if (rules.arrowheadPress) rules.canvasRelease(ed, button, shift, x, y);
            break;
        case PointerTarget::Canvas:
            rules.canvasRelease(ed, button, shift, x, y);
            if (insideCanvas(ed, x, y)) rules.canvasClick(ed);
            break;
        default:
            break;
    }
}

void modifiersChanged(Editor& ed, int shift) {
    const bool held = (shift & kAlt) != 0;
    if (held == ed.snapHeldOff) return;
    const PointerTarget::Kind k = ed.capture.kind;
    if (k == PointerTarget::None || k == PointerTarget::Abandoned) {
        ed.snapHeldOff = held;  // for a label's timer, and for the next drag's moves
        return;
    }
    pointerMove(ed, ed.drag.buttons, shift, ed.drag.pointer.x, ed.drag.pointer.y);
}

}  // namespace qm
