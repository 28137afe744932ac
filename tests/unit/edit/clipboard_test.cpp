#include <gtest/gtest.h>

#include <algorithm>

#include "edit/clipboard.h"
#include "edit/insert.h"
#include "interact/inner_labels.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "io/clipboard_payload.h"
#include "io/document_io.h"
#include "model/labels.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "unit/support/fakes.h"
#include "unit/support/reduced_editor.h"

namespace qm {
namespace {

using test::drop;
using test::ReducedEditor;
using test::TestEditor;

std::string saved(const Document& d) { return encodeDocument(d, Layout::Quillmap).value(); }

// A rectangle with a label lying on it, a diamond, and a right arrow from one to
// the other; rectangle 1, diamond 1, arrow 1, labels 9 to 13.
void drawChart(TestEditor& t) {
    insertRectangle(t.ed);
    drop(t.ed, 1000, 1000);
    setCaption(*t.doc.Label.find(9), "开始", t.metrics);
    insertDiamond(t.ed);
    drop(t.ed, 5000, 1000);
    insertHorizontalLabel(t.ed);
    LabelEl& inner = *t.doc.Label.find(13);
    inner.left = 1100;
    inner.top = 1100;
    rebuildShapeInnerLists(t.doc);
    insertRightArrow(t.ed);
    drop(t.ed, 3000, 1600);
}

TEST(Clipboard, PastedElementsAreNewAndRenumberedAndArrowsStayOnThePastedShapes) {
    TestEditor t;
    Document& d = t.doc;
    drawChart(t);
    const Document before = d;
    const ElementRef chosen[] = {{ElementKind::Shape, 1}, {ElementKind::Diamond, 1}, {ElementKind::Arrow, 1}};
    const Document copied = extractElements(d, chosen);
    EXPECT_EQ(elementTexts(copied), "开始\n单击这里添加文本\n单击这里添加文本\n添加文本\n添加文本");
    const std::string payload = encodePayload(copied, Layout::Quillmap).value();
    // Through the reader and back to the same bytes.
    const auto read = decodePayload(payload, t.metrics);
    ASSERT_TRUE(read) << read.error().describe();
    EXPECT_TRUE(saved(read->elements) == saved(copied));

    PasteSeries series;
    const auto pasted = pastePayload(t.ed, payload, Layout::Quillmap, series);
    EXPECT_EQ(pasted, (std::vector<ElementRef>{{ElementKind::Shape, 2}, {ElementKind::Diamond, 2}, {ElementKind::Arrow, 2}}));
    EXPECT_EQ(d.selKind, SelKind::Several);
    auto all = pasted;
    std::sort(all.begin(), all.end());
    EXPECT_EQ(selectedElements(d), all) << "all of them, and not their texts on their own";
    ASSERT_EQ(d.labelCount, 18);
    EXPECT_EQ(d.Shape1.find(2)->left, d.Shape1.find(1)->left + 150);
    const ShapeRecord& shape = d.shapeRec[2];
    EXPECT_EQ(shape.label1, 14);
    EXPECT_EQ(shape.label2, 15);
    ASSERT_EQ(shape.innerCount, 1);
    EXPECT_EQ(shape.innerLabel[1], 16);
    EXPECT_EQ(shape.innerDX[1], d.shapeRec[1].innerDX[1]);
    EXPECT_EQ(d.Label.find(14)->caption, "开始");
    EXPECT_EQ(d.Label.find(16)->top, d.Label.find(13)->top + 150);
    EXPECT_EQ(d.diamondRec[2].label1, 17);
    EXPECT_EQ(d.diamondRec[2].x, d.diamondRec[1].x + 150);
    EXPECT_EQ(d.lx3.find(2)->y2, d.lx3.find(1)->y2 + 150);
    const ArrowRecord& arrow = d.arrowRec[2];
    EXPECT_EQ(arrow.slot[1], 2);
    EXPECT_EQ(arrow.head(), 2);
    EXPECT_EQ(d.Line1.find(2)->x1, d.Line1.find(1)->x1 + 150);
    EXPECT_EQ(d.picRight.find(2)->top, d.picRight.find(1)->top + 150);
    // The originals kept their indices and places; the next paste lands 10 pixels further.
    for (int i = 1; i <= before.labelCount; ++i) EXPECT_EQ(d.Label.find(i)->left, before.Label.find(i)->left) << i;
    EXPECT_EQ(d.shapeRec[1], before.shapeRec[1]);
    pastePayload(t.ed, payload, Layout::Quillmap, series);
    EXPECT_EQ(d.Shape1.find(3)->top, d.Shape1.find(1)->top + 300);
    EXPECT_TRUE(t.host.asked.empty());
    EXPECT_TRUE(decodeDocument(saved(d), Layout::Quillmap, t.metrics));
}

TEST(Clipboard, APasteThatWouldPassALimitChangesNothingAndSaysWhich) {
    struct Case {
        int16_t Document::*counter;
        int16_t full;
        ElementKind kind;  // of the element pasted
        const char* says;
    };
    // The rectangle takes three labels with it: its two texts and the one on it.
    const Case cases[] = {
        {&Document::shapeCount, kMaxShapes, ElementKind::Shape, "矩形和椭圆的数量已达上限（255个）"},
        {&Document::diamondCount, kMaxDiamonds, ElementKind::Diamond, "菱形的数量已达上限（255个）"},
        {&Document::arrowCount, kMaxArrows, ElementKind::Arrow, "箭头的数量已达上限（255个）"},
        {&Document::labelCount, kMaxLabels - 2, ElementKind::Shape, "标签的数量已达上限（32767个）"},
        {&Document::segCount, kMaxSegments, ElementKind::Arrow, "线段的数量已达上限（32767条）"},
    };
    for (const Case& c : cases) {
        TestEditor t;
        Document& d = t.doc;
        drawChart(t);
        const ElementRef one[] = {{c.kind, 1}};
        const Document elements = extractElements(d, one);
        d.*c.counter = c.full;
        selectElement(t.ed, ElementKind::Arrow, 1);
        const std::string bytes = saved(d);
        EXPECT_TRUE(pasteElements(t.ed, elements, 1).empty()) << c.says;
        EXPECT_TRUE(saved(d) == bytes) << c.says;
        EXPECT_EQ(d.selKind, SelKind::Arrow) << c.says;
        ASSERT_EQ(t.host.asked.size(), 1u) << c.says;
        EXPECT_EQ(t.host.asked[0].title, "提示");
        EXPECT_NE(t.host.asked[0].text.find(c.says), std::string::npos) << t.host.asked[0].text;
        // One fewer leaves room.
        d.*c.counter = static_cast<int16_t>(c.full - 1);
        EXPECT_FALSE(pasteElements(t.ed, elements, 1).empty()) << c.says;
    }
}

TEST(Clipboard, ADamagedForeignOrOversizedPayloadIsRefusedAndChangesNothing) {
    TestEditor t;
    drawChart(t);
    const ElementRef one[] = {{ElementKind::Shape, 1}};
    const std::string good = encodePayload(extractElements(t.doc, one), Layout::Quillmap).value();
    std::string foreign = good, later = good, damaged = good;
    foreign[0] = 'X';
    later[10] = 2;
    // label1 of the shape record: past the header, the tag, the version and the
    // shape count, the 12-byte entry and the 10-byte divider, then 12 bytes of record.
    damaged[kPayloadHeaderSize + 255 + 2 + 2 + 12 + 10 + 12] = 99;
    const std::string payloads[] = {good.substr(0, good.size() - 1), good + "x", foreign, later, damaged,
                                    std::string(kMaxPayloadBytes + 1, '\0')};
    const std::string bytes = saved(t.doc);
    PasteSeries series;
    for (const std::string& p : payloads) {
        t.host.asked.clear();
        EXPECT_TRUE(pastePayload(t.ed, p, Layout::Quillmap, series).empty());
        ASSERT_EQ(t.host.asked.size(), 1u);
        EXPECT_EQ(t.host.asked[0].title, "错误") << t.host.asked[0].text;
        EXPECT_TRUE(saved(t.doc) == bytes) << t.host.asked[0].text;
    }
    EXPECT_NE(t.host.asked[0].text.find(std::to_string(kMaxPayloadBytes + 1)), std::string::npos);

    // Elements that a file could not hold are refused too: the drawing must stay savable.
    const ElementRef diamond[] = {{ElementKind::Diamond, 1}};
    Document wide = extractElements(t.doc, diamond);
    wide.diamondRec[1].width = 100000;
    t.host.asked.clear();
    EXPECT_TRUE(pasteElements(t.ed, wide, 1).empty());
    EXPECT_EQ(t.host.asked.size(), 1u);
    EXPECT_TRUE(saved(t.doc) == bytes);
}

TEST(Clipboard, BetweenTheProgramsAPasteConvertsOrNamesWhatQmpCannotHold) {
    TestEditor full;
    drawChart(full);
    ReducedEditor qmp;
    PasteSeries series;
    const auto payloadOf = [&](const Document& d, ElementRef e, Layout l) {
        const ElementRef one[] = {e};
        return encodePayload(extractElements(d, one), l).value();
    };
    insertVerticalLabel(full.ed);
    for (auto [element, says] : {std::pair{ElementRef{ElementKind::Arrow, 1}, "上、下、左、右箭头"},
                                 {ElementRef{ElementKind::Label, 14}, "竖向标签"}}) {
        qmp.host.asked.clear();
        EXPECT_TRUE(pastePayload(qmp.ed, payloadOf(full.doc, element, Layout::Quillmap), Layout::Qmp, series).empty());
        ASSERT_EQ(qmp.host.asked.size(), 1u);
        EXPECT_NE(qmp.host.asked[0].text.find(says), std::string::npos) << qmp.host.asked[0].text;
        EXPECT_EQ(qmp.doc.labelCount, 0);
    }
    // A rectangle goes over as it is, its inner label as a plain one.
    pastePayload(qmp.ed, payloadOf(full.doc, {ElementKind::Shape, 1}, Layout::Quillmap), Layout::Qmp, series);
    ASSERT_EQ(qmp.doc.shapeCount, 1);
    EXPECT_EQ(qmp.doc.labelCount, 3);
    EXPECT_EQ(qmp.doc.Label.find(1)->caption, "开始");
    EXPECT_EQ(qmp.doc.shapeRec[1].innerCount, 0);

    // Back into quillmap as qmptool convert turns a qmp drawing into quillmap's.
    pastePayload(full.ed, payloadOf(qmp.doc, {ElementKind::Shape, 1}, Layout::Qmp), Layout::Quillmap, series);
    const Document& d = full.doc;
    ASSERT_EQ(d.shapeCount, 2);
    EXPECT_EQ(d.Shape1.find(2)->width, kQmpShapeWidth);
    EXPECT_EQ(d.Shape1.find(2)->left, d.Shape1.find(1)->left + 300);
    EXPECT_EQ(d.shapeRec[2].label1, 15);
    EXPECT_EQ(d.Label.find(15)->caption, "开始");
}

TEST(Clipboard, PlainTextIsANewLabelAndDuplicateCopiesTheSelection) {
    TestEditor t;
    PasteSeries series;
    const auto pasted = pasteText(t.ed, "第一行\r\n第二行\r\n", series);
    EXPECT_EQ(pasted, (std::vector<ElementRef>{{ElementKind::Label, 9}}));
    const LabelEl& label = *t.doc.Label.find(9);
    EXPECT_EQ(label.caption, "第一行\n第二行");
    EXPECT_EQ(label.left, t.doc.Label.templ().left + 150);
    EXPECT_EQ(t.doc.selKind, SelKind::Label);
    for (const std::string& text : {std::string("a\xff"), std::string(70000, 'a')}) {
        EXPECT_TRUE(pasteText(t.ed, text, series).empty());
        EXPECT_EQ(t.doc.labelCount, 9);
    }
    EXPECT_EQ(t.host.asked.size(), 2u);

    EXPECT_EQ(duplicateSelection(t.ed), (std::vector<ElementRef>{{ElementKind::Label, 10}}));
    EXPECT_EQ(t.doc.Label.find(10)->caption, label.caption);
    EXPECT_EQ(t.doc.Label.find(10)->top, label.top + 150);
    EXPECT_EQ(t.doc.selIndex, 10);
}

}  // namespace
}  // namespace qm
