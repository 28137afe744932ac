#include "interact/label_editing.h"

#include "interact/pointer.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "io/codepage.h"
#include "model/labels.h"
#include "model/rounding.h"
#include "model/sel_kind.h"

namespace qm {
namespace {

constexpr float kVerticalLabelWidth = 165;

void selectLabel(Editor& ed, int i) {
    clearSelection(ed);
    if (LabelEl* l = ed.doc.Label.find(i)) l->foreColor = kGreen;
    ed.doc.selKind = SelKind::Label;
    ed.doc.selIndex = static_cast<int16_t>(i);
}

void openEditor(Editor& ed, int i) {
    const LabelEl* l = ed.doc.Label.find(i);
    if (!l) return;
    const EditorBox which = l->wordWrap && rulesOf(ed).tallEditor ? EditorBox::Text2 : EditorBox::Text1;
    EditBox& box = editBox(ed, which);
    box.left = l->left;
    box.top = l->top;
    if (which == EditorBox::Text1) box.height = l->height;
    box.text = l->caption;
    box.visible = true;
    ed.doc.editLabel = static_cast<int16_t>(i);
    ed.host.focusEditor(which);
}

}  // namespace

EditBox& editBox(Editor& ed, EditorBox box) { return box == EditorBox::Text1 ? ed.text1 : ed.text2; }

TwipPoint pointerInTwips(Editor& ed) {
    const ScreenPoint c = ed.host.screenToCanvas(ed.host.cursorPos());
    const PointF p = clampToCanvas(ed, static_cast<float>(c.x) * kTwipsPerPixel,
                                   static_cast<float>(c.y) * kTwipsPerPixel);
    return {roundI32Sat(p.x), roundI32Sat(p.y)};
}

void labelPress(Editor& ed, int i, int button) {
    Document& doc = ed.doc;
    finishArrowDrawing(ed);
    if (button == 2) {
        // The menu's commands act on what the user pointed at.
        commitOpenEditors(ed);
        selectLabel(ed, i);
        ed.host.popupEditMenu();
        return;
    }
    commitOpenEditors(ed);
    ed.host.focusCanvas();
    if (doc.selIndex == i && doc.selKind == SelKind::Label) {
        ed.host.setTimerEnabled(TimerId::Timer1, true);
        doc.pressPt = ed.host.cursorPos();
    }
    const TwipPoint p = pointerInTwips(ed);
    const LabelEl* l = doc.Label.find(i);
    noteDragStart(doc, static_cast<float>(p.x), static_cast<float>(p.y),
                  l ? std::optional<PointF>({l->left, l->top}) : std::nullopt);
    ed.host.setCanvasCursor(CursorKind::Default);
}

void labelMove(Editor& ed, int /*i*/) {
    if (ed.doc.selKind != SelKind::PlacingLabel && ed.host.canvasCursor() != CursorKind::Default)
        ed.host.setCanvasCursor(CursorKind::Default);
}

void labelRelease(Editor& ed, int i, int /*button*/) {
    Document& doc = ed.doc;
    ed.host.setTimerEnabled(TimerId::Timer1, false);
    doc.releasePt = ed.host.cursorPos();
    if (LabelEl* l = doc.Label.find(i)) {
        l->foreColor = kBlack;
        const bool moved = roundI16Sat(l->left) != doc.startLeft || roundI16Sat(l->top) != doc.startTop;
        if (moved || doc.selKind == SelKind::PlacingLabel) ed.markModified();
    }
    // The label may now lie on a rectangle, ellipse or diamond, or no longer.
    if (!rulesOf(ed).innerLabels) return;
    rebuildShapeInnerLists(doc);
    rebuildDiamondInnerLists(doc);
}

void labelClick(Editor& ed, int i) {
    Document& doc = ed.doc;
    if (doc.selIndex == i && doc.selKind == SelKind::Label && doc.pressPt == doc.releasePt) openEditor(ed, i);
    selectLabel(ed, i);
}

void editorKeyReleased(Editor& ed, EditorBox /*box*/, int keyCode) {
    if (keyCode == kEnterKey) ed.host.focusCanvas();
}

void commitEditor(Editor& ed, EditorBox which) {
    EditBox& box = editBox(ed, which);
    if (!box.visible) return;
    box.visible = false;
    LabelEl* l = ed.doc.Label.find(ed.doc.editLabel);
    if (!l) return;
    // A caption the document file cannot hold is refused now rather than at the save.
    const Result<std::string> stored = encodeDocumentText(box.text);
    if (!stored || stored->size() > 65535) {
        ed.host.message("提示",
                        stored ? "文字太长（超过65535字节），无法保存在文档中，标签保留原来的文字。"
                               : "文字中有文档无法保存的字符，标签保留原来的文字。",
                        Icon::Information);
        return;
    }
    const bool changed = l->caption != box.text || (which == EditorBox::Text2 && l->width != kVerticalLabelWidth);
    setCaption(*l, box.text, ed.metrics);
    if (which == EditorBox::Text2) setWordWrap(*l, l->wordWrap, kVerticalLabelWidth, ed.metrics);
    if (changed) ed.markModified();
}

void commitOpenEditors(Editor& ed) {
    commitEditor(ed, EditorBox::Text1);
    commitEditor(ed, EditorBox::Text2);
}

}  // namespace qm
