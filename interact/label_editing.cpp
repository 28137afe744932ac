#include "interact/label_editing.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "interact/inner_labels.h"
#include "interact/move.h"
#include "interact/pointer.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "io/codepage.h"
#include "model/labels.h"
#include "model/relayout.h"
#include "model/rounding.h"
#include "model/sel_kind.h"
#include "model/title_block.h"

namespace qm {
namespace {

// A text of a rectangle, ellipse or diamond, or of the title block, laid out again
// after its caption changed, where the layout of its owner puts it.
void centreInOwner(Editor& ed, int label) {
    Document& doc = ed.doc;
    for (int i = 1; i <= lastRecordIndex(doc.shapeCount); ++i)
        if (const ShapeRecord* r = doc.shapeRecord(i); r && (r->label1 == label || r->label2 == label))
            return layoutOwnShapeTexts(doc, i);
    for (int i = 1; i <= lastRecordIndex(doc.diamondCount); ++i)
        if (const DiamondRecord* r = doc.diamondRecord(i); r && (r->label1 == label || r->label2 == label))
            return layoutOwnDiamondTexts(doc, i);
    if (rulesOf(ed).titleBlock) relayoutTitleBlockText(doc, ed.canvas, label);
}

// The label as it will be when the box's text is committed to it.
LabelEl committedLabel(const LabelEl& label, EditorBox which, const std::string& text) {
    LabelEl l = label;
    l.caption = text;
    if (which == EditorBox::Text2) l.width = kVerticalLabelWidth;
    return l;
}

// The tall box covers its text, however long, and the label under it; the
// narrow wrap of a vertical label makes it grow downwards.
void fitTallBox(Editor& ed) {
    const LabelEl* l = ed.doc.Label.find(ed.doc.editLabel);
    if (!l) return;
    const TextExtent e = captionExtent(committedLabel(*l, EditorBox::Text2, ed.text2.text), ed.metrics);
    ed.text2.height = std::max({kTallBoxHeight, e.height + 2 * kTwipsPerPixel, l->height});
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
    // Typing on the number field replaces the number, never the caption before it.
    const bool numberField = i == kNumberLabel && rulesOf(ed).titleBlock && l->caption.starts_with(kNumberPrefix);
    box.keptPrefix = numberField ? std::string_view(kNumberPrefix).size() : 0;
    box.visible = true;
    ed.doc.editLabel = static_cast<int16_t>(i);
    if (which == EditorBox::Text2) fitTallBox(ed);
    ed.host.focusEditor(which);
}

}  // namespace

EditBox& editBox(Editor& ed, EditorBox box) { return box == EditorBox::Text1 ? ed.text1 : ed.text2; }

TwipPoint pointerInTwips(Editor& ed) {
    const ScreenPoint c = ed.host.screenToCanvas(ed.host.cursorPos());
    const PointF p = clampToCanvas(ed, static_cast<float>(c.x) * ed.twipsPerScreenPixel,
                                   static_cast<float>(c.y) * ed.twipsPerScreenPixel);
    return {roundI32Sat(p.x), roundI32Sat(p.y)};
}

void labelPress(Editor& ed, int i, int button) {
    Document& doc = ed.doc;
    finishArrowDrawing(ed);
    if (button == 2) {
        // The menu's commands act on what the user pointed at. The menu takes the
        // release, so the press is over: Undo chosen there undoes a step.
        if (!commitOpenEditors(ed)) return;
        selectElement(ed, ElementKind::Label, i);
        ed.capture = {};
        ed.host.popupEditMenu();
        return;
    }
    if (!commitOpenEditors(ed)) return;  // the refused text keeps its box and the focus
    ed.host.focusCanvas();
    const bool selected = doc.selIndex == i && doc.selKind == SelKind::Label;
    if (selected) ed.host.setTimerEnabled(TimerId::Timer1, true);
    const TwipPoint p = pointerInTwips(ed);
    beginLabelDrag(ed, i, static_cast<float>(p.x), static_cast<float>(p.y));
    if (selected) ed.drag.pressPt = ed.host.cursorPos();
    ed.host.setCanvasCursor(CursorKind::Default);
}

void labelMove(Editor& ed, int /*i*/) {
    if (ed.doc.selKind != SelKind::PlacingLabel && ed.host.canvasCursor() != CursorKind::Default)
        ed.host.setCanvasCursor(CursorKind::Default);
}

void labelRelease(Editor& ed, int i, int /*button*/) {
    Document& doc = ed.doc;
    ed.host.setTimerEnabled(TimerId::Timer1, false);
    ed.drag.releasePt = ed.host.cursorPos();
    endDrag(ed);
    if (const LabelEl* l = doc.Label.find(i)) {
        const bool moved = roundI16Sat(l->left) != ed.drag.startLeft || roundI16Sat(l->top) != ed.drag.startTop;
        if (moved || doc.selKind == SelKind::PlacingLabel) ed.markModified();
    }
    // The label may now lie on a rectangle, ellipse or diamond, or no longer.
    if (!rulesOf(ed).innerLabels) return;
    rebuildInnerLists(doc);
}

void editorTextChanged(Editor& ed, EditorBox which, std::string text) {
    editBox(ed, which).text = std::move(text);
    if (which == EditorBox::Text2 && ed.text2.visible) fitTallBox(ed);
}

void openTextOf(Editor& ed, int i) {
    ed.doc.Label.setVisible(i, true);  // a hidden text shows while it is edited, as Shift shows it
    openEditor(ed, i);
}

bool openSelectedText(Editor& ed) {
    const Document& doc = ed.doc;
    int text = 0;
    if (doc.selKind == SelKind::Label) text = doc.selIndex;
    // The table's first cell to fill in: who made the chart.
    if (doc.selKind == SelKind::TitleBlock && rulesOf(ed).titleBlock) text = cellLabel(0, 1);
    if (const ShapeRecord* r = doc.shapeRecord(doc.selIndex); r && doc.selKind == SelKind::Shape) text = r->label1;
    if (const DiamondRecord* r = doc.diamondRecord(doc.selIndex); r && doc.selKind == SelKind::Diamond)
        text = r->label1;
    if (!doc.Label.find(text) || ed.text1.visible || ed.text2.visible) return false;
    openEditor(ed, text);
    return true;
}

void labelClick(Editor& ed, int i) {
    Document& doc = ed.doc;
    if (doc.selIndex == i && doc.selKind == SelKind::Label && ed.drag.pressPt == ed.drag.releasePt) openEditor(ed, i);
    selectElement(ed, ElementKind::Label, i);
}

void editorKeyReleased(Editor& ed, EditorBox /*box*/, int keyCode) {
    if (keyCode == kEnterKey) ed.host.focusCanvas();
}

const char* captionRefusal(const LabelEl& label, const std::string& text, const TextMetrics& metrics) {
    const Result<std::string> stored = encodeDocumentText(text);
    if (!stored) return "文字中有文档无法保存的字符，请修改文字。";
    if (stored->size() > 65535) return "文字太长（超过65535字节），文档无法保存，请缩短文字。";
    LabelEl trial = label;
    trial.caption = text;
    if (!fitsLabelSize(captionExtent(trial, metrics))) return "文字太长，标签超出文档能保存的大小，请缩短文字。";
    return nullptr;
}

bool commitEditor(Editor& ed, EditorBox which) {
    EditBox& box = editBox(ed, which);
    if (!box.visible) return true;
    LabelEl* l = ed.doc.Label.find(ed.doc.editLabel);
    if (!l) {
        box.visible = false;
        return true;
    }
    // A caption the document file cannot hold is refused now rather than at every
    // later save; the box stays open with the text, for the user to shorten it.
    if (const char* refusal = captionRefusal(committedLabel(*l, which, box.text), box.text, ed.metrics)) {
        ed.host.message("提示", refusal, Icon::Information);
        ed.host.focusEditor(which);
        return false;
    }
    box.visible = false;
    const bool changed = l->caption != box.text || (which == EditorBox::Text2 && l->width != kVerticalLabelWidth);
    setCaption(*l, box.text, ed.metrics);
    if (which == EditorBox::Text2) setWordWrap(*l, l->wordWrap, kVerticalLabelWidth, ed.metrics);
    if (changed) {
        ed.markModified();
        centreInOwner(ed, ed.doc.editLabel);
    }
    return true;
}

void layOutInOwner(Editor& ed, int label) { centreInOwner(ed, label); }

bool commitOpenEditors(Editor& ed) { return commitEditor(ed, EditorBox::Text1) && commitEditor(ed, EditorBox::Text2); }

}  // namespace qm
