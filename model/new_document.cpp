#include "model/new_document.h"

#include "model/labels.h"
#include "model/sel_kind.h"
#include "model/title_block.h"

namespace qm {

bool offerSave(Editor& ed, const std::string& question) {
    if (!ed.doc.isModified()) return true;
    switch (ed.host.ask("提示", question, Buttons::YesNo, Icon::Question)) {
        case Answer::Yes: return ed.save && ed.save();
        case Answer::No: return true;
        default: return false;  // dismissed: the command stops and the drawing stays
    }
}

void endInteraction(Editor& ed) {
    Document& doc = ed.doc;
    if (doc.selKind == SelKind::TitleBlock) {
        for (Color* c : {&doc.Shape2.borderColor, &doc.Line2.borderColor, &doc.Line3.borderColor,
                         &doc.Line4.borderColor})
            *c = kBlack;
    }
    doc.spHandle.templ().visible = false;
    for (int k = 1; k < doc.spHandle.end(); ++k) doc.spHandle.setVisible(k, false);
    doc.selKind = SelKind::None;
    doc.lneTemp.visible = false;
    ed.host.setCanvasCursor(CursorKind::Default);
    ed.host.setTimerEnabled(TimerId::Timer1, false);
}

void destroyDrawing(Document& doc) {
    doc.Label.clear();
    doc.labelCount = 0;
    doc.Shape1.clear();
    doc.LineRect.clear();
    doc.shapeCount = 0;
    doc.Line1.clear();
    doc.segCount = 0;
    for (int d = 0; d < 4; ++d) doc.heads(d)->clear();
    doc.arrowCount = 0;
    for (Collection<LineEl>* lines : doc.diamondLines()) lines->clear();
    doc.diamondCount = 0;
    // The reserved label data belongs to the labels of the file it came from; a new
    // label must not inherit it.
    doc.labelRec.assign(1, LabelReserveRecord{});
}

bool clearDocument(Editor& ed) {
    if (!offerSave(ed, "文件" + ed.doc.fileName + "已改变，是否保存？")) return false;
    endInteraction(ed);
    destroyDrawing(ed.doc);
    return true;
}

bool newDocument(Editor& ed) {
    if (!clearDocument(ed)) return false;
    Document& doc = ed.doc;
    const TextMetrics& m = ed.metrics;
    doc.fileName.clear();
    for (int i = 1; i <= 8; ++i) {
        doc.Label.create(i);
        doc.Label.setVisible(i, true);
    }
    LabelEl& number = *doc.Label.find(1);
    setCaption(number, "编号:", m);
    setFontSize(number, 12, m);
    number.left = 400;
    number.top = 400;

    // The title is centred with the width it has in the default face, before the
    // title face is set.
    LabelEl& title = *doc.Label.find(2);
    setCaption(title, "单击这里添加标题", m);
    setFontSize(title, 14, m);
    centreTitle(ed);
    title.top = 400;
    setFontName(title, kTitleFontName, m);

    const char* captions[] = {"制作人", "审核", "依据", "单击添加制作人", "单击添加审核", "单击添加依据"};
    for (int i = 3; i <= 8; ++i) setCaption(*doc.Label.find(i), captions[i - 3], m);

    layoutTitleBlock(doc, kTitleBlockLeft, kTitleBlockTop);
    doc.labelCount = 8;
    return true;
}

void centreTitle(Editor& ed) {
    if (LabelEl* title = ed.doc.Label.find(kTitleLabel))
        title->left = ed.canvas.width / 2 + ed.canvas.left - title->width / 2;
}

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

}  // namespace qm
