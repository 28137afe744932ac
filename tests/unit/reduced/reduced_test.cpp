#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "edit/insert.h"
#include "interact/pointer_routing.h"
#include "interact/rules.h"
#include "io/document_io.h"
#include "model/sel_kind.h"
#include "reduced/convert.h"
#include "reduced/reduced_editor.h"
#include "reduced/reduced_pointer.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

struct ReducedEditor {
    test::FakeHost host;
    test::FakeMetrics metrics;
    Editor ed{host, metrics, reduced::canvasGeometry(), &reduced::kRules};
    Document& doc = ed.doc;
    ReducedEditor() {
        reduced::startUp(ed);
        reduced::connectFileCommands(ed);
    }
    void press(float x, float y, int button = 1) { pointerDown(ed, button, 0, x, y); }
    void release(float x, float y, int button = 1) { pointerUp(ed, button, 0, x, y); }
    void move(float x, float y, int buttons = 0) { pointerMove(ed, buttons, 0, x, y); }
    void click(float x, float y, int button = 1) {
        move(x, y);
        press(x, y, button);
        release(x, y, button);
    }
};

TEST(Reduced, StartsEmptyWithoutTitleBlockAndBigHandles) {
    ReducedEditor r;
    EXPECT_EQ(r.doc.labelCount, 0);
    EXPECT_FALSE(r.doc.Shape2.visible);
    EXPECT_EQ(r.doc.spHandle.templ().width, 125);
    EXPECT_EQ(r.doc.spHandle.templ().fill, SystemColor::ActiveCaption);
    r.press(12000, 8500);
    EXPECT_EQ(r.doc.selKind, SelKind::None) << "there is no title block to select";
}

TEST(Reduced, ThreeClickArrowRunsFreelyAndEndsWithTheSegmentOnThePointer) {
    ReducedEditor r;
    insertPolylineArrow(r.ed);
    r.click(1000, 1000);
    r.move(2000, 1300);
    EXPECT_EQ(r.doc.Line1.find(1)->x2, 2000) << "any angle, no rubber band";
    EXPECT_EQ(r.doc.Line1.find(1)->y2, 1300);
    EXPECT_TRUE(r.doc.picRight.templ().visible) << "the head rides on the pointer";
    r.click(3000, 1500);
    r.move(3000, 4000);
    r.click(3000, 4000, 2);
    const ArrowRecord& a = r.doc.arrowRec[1];
    EXPECT_EQ(r.doc.selKind, SelKind::None);
    ASSERT_EQ(a.count(), 2);
    EXPECT_EQ(r.doc.Line1.find(1)->x2, 3000);
    EXPECT_EQ(r.doc.Line1.find(1)->y2, 1500);
    EXPECT_EQ(r.doc.Line1.find(2)->x2, 3000);
    EXPECT_EQ(r.doc.Line1.find(2)->y2, 4000);
    ASSERT_TRUE(r.doc.picDown.visible(1));
    EXPECT_EQ(r.doc.picDown.find(1)->top, 4000 - 150);
    EXPECT_FALSE(r.doc.picDown.templ().visible);
    EXPECT_EQ(r.host.menuPopups, 0);
}

TEST(Reduced, APressOnAVertexSelectsTheArrowAndGrabsIt) {
    ReducedEditor r;
    insertPolylineArrow(r.ed);
    r.click(1000, 1000);
    r.move(3000, 1000);
    r.click(3000, 1000, 2);
    ASSERT_EQ(r.doc.arrowRec[1].count(), 1);
    r.press(3000, 1000);
    EXPECT_EQ(r.doc.selKind, SelKind::DraggingVertex);
    EXPECT_EQ(r.doc.hitIndex, 1);
    r.move(3000, 4000, 1);
    r.release(3000, 4000);
    EXPECT_EQ(r.doc.selKind, SelKind::Arrow);
    EXPECT_EQ(r.doc.Line1.find(1)->y2, 4000);
    EXPECT_FALSE(r.doc.picRight.visible(1));
    EXPECT_TRUE(r.doc.picDown.visible(1));
}

TEST(Reduced, FixedSizesNoHandlesAndNoInnerLabels) {
    ReducedEditor r;
    insertShape(r.ed, ShapeStyle::Rectangle);
    r.click(1000, 1000);
    insertLabel(r.ed, false);
    r.host.cursor = r.host.canvasToScreen({100, 100});  // 1500, 1500 twips
    rulesOf(r.ed).timer1Tick(r.ed);
    r.click(1500, 1500);
    EXPECT_EQ(r.doc.Label.find(3)->left, 1500);
    r.press(1100, 1100);
    ASSERT_EQ(r.doc.selKind, SelKind::Shape);
    EXPECT_FALSE(r.doc.spHandle.visible(1));
    r.move(2100, 1100, 1);
    r.release(2100, 1100);
    EXPECT_EQ(r.doc.Label.find(3)->left, 1500) << "a label lying on the rectangle stays";
    EXPECT_EQ(r.doc.Shape1.find(1)->width, 1965);
    deleteCommand(r.ed);
    EXPECT_TRUE(r.doc.Label.visible(3));
    EXPECT_FALSE(r.doc.Label.visible(1));

    insertDiamond(r.ed);
    r.click(5000, 5000);
    r.press(5500, 5500);
    r.move(6500, 6000, 1);
    EXPECT_EQ(r.doc.lx2.find(1)->x2, 6000 + 2400);
    EXPECT_EQ(r.doc.lx4.find(1)->y1, 5500 + 1200);
    EXPECT_FALSE(r.doc.spHandle.visible(1));
    r.release(6500, 6000);
    deleteCommand(r.ed);
    r.press(7000, 6000);
    EXPECT_EQ(r.doc.selKind, SelKind::None) << "a deleted diamond's box selects nothing";
}

TEST(Reduced, LabelsOneAndTwoAreNotProtected) {
    ReducedEditor r;
    insertLabel(r.ed, false);
    r.click(r.doc.Label.find(1)->left + 1, r.doc.Label.find(1)->top + 1);
    r.click(r.doc.Label.find(1)->left + 1, r.doc.Label.find(1)->top + 1);
    ASSERT_EQ(r.doc.selKind, SelKind::Label);
    deleteCommand(r.ed);
    EXPECT_FALSE(r.doc.Label.visible(1));
}

TEST(Reduced, FilesAreCheckedBeforeTheDrawingIsCleared) {
    const fs::path dir = fs::temp_directory_path() / ("qm reduced " + std::to_string(::getpid()));
    fs::create_directories(dir);
    ReducedEditor r;
    const std::string empty = (dir / "empty.QMP").string();
    r.host.dialogResults = {empty};
    ASSERT_TRUE(reduced::fileSave(r.ed));
    {
        std::ifstream in(empty, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(bytes, std::string(10, '\0')) << "five counts of zero";
    }

    insertShape(r.ed, ShapeStyle::Oval);
    r.click(2000, 2000);
    EXPECT_EQ(r.doc.modified, -1);
    const std::string chart = (dir / "chart.QMP").string();
    r.host.dialogResults = {chart};
    ASSERT_TRUE(reduced::fileSaveAs(r.ed));
    EXPECT_EQ(r.doc.modified, -1) << "qmp's saves leave the mark";

    // A quillmap file is refused before any question; the drawing stays.
    test::TestEditor full;
    const std::string fullPath = (dir / "full.QMP").string();
    ASSERT_TRUE(writeDocument(fullPath, full.doc));
    r.host.asked.clear();
    r.host.dialogResults = {fullPath};
    EXPECT_FALSE(reduced::fileOpen(r.ed));
    ASSERT_EQ(r.host.asked.size(), 1u);
    EXPECT_EQ(r.host.asked[0].text, "文件格式错误或版本不兼容，文件无法打开");
    EXPECT_EQ(r.doc.shapeCount, 1);

    r.host.asked.clear();
    r.host.answers = {Answer::No};
    r.host.dialogResults = {empty};
    ASSERT_TRUE(reduced::fileOpen(r.ed));
    ASSERT_EQ(r.host.asked.size(), 1u);
    EXPECT_EQ(r.host.asked[0].text, "文件已改变，是否保存？");
    EXPECT_EQ(r.doc.shapeCount, 0);
    EXPECT_EQ(r.doc.fileName, empty);
    EXPECT_EQ(r.doc.modified, 0);

    r.host.dialogResults = {chart};
    ASSERT_TRUE(reduced::fileOpen(r.ed));
    EXPECT_EQ(r.doc.Shape1.find(1)->style, 2);
    EXPECT_FALSE(r.doc.Shape2.visible);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST(Convert, AQmpDrawingGainsATitleBlockAndKeepsEveryTextAndPosition) {
    ReducedEditor r;
    insertShape(r.ed, ShapeStyle::Rectangle);
    r.click(1000, 1000);
    insertShape(r.ed, ShapeStyle::Oval);
    r.click(4000, 1000);
    insertDiamond(r.ed);
    r.click(1000, 4000);
    insertLabel(r.ed, false);
    r.host.cursor = r.host.canvasToScreen({400, 400});
    rulesOf(r.ed).timer1Tick(r.ed);
    r.click(6000, 6000);
    insertPolylineArrow(r.ed);
    r.click(3000, 3000);
    r.move(5000, 5000);
    r.click(5000, 5000, 2);
    r.doc.Label.find(1)->caption = "开始";
    r.doc.Label.setVisible(2, false);

    const std::string bytes = encodeDocument(r.doc, Layout::Qmp).value();
    const Document qmp = decodeDocument(bytes, Layout::Qmp, r.metrics).value();
    const Result<Document> converted = convertQmpToQuillmap(qmp, r.metrics);
    ASSERT_TRUE(converted) << converted.error().describe();
    const std::string full = encodeDocument(*converted, Layout::Quillmap).value();
    const Document d = decodeDocument(full, Layout::Quillmap, r.metrics).value();

    EXPECT_EQ(d.Label.find(1)->caption, "编号:");
    EXPECT_EQ(d.Label.find(2)->caption, "单击这里添加标题");
    ASSERT_EQ(d.labelCount, 8 + qmp.labelCount);
    for (int i = 1; i <= qmp.labelCount; ++i) {
        const LabelEl &a = *qmp.Label.find(i), &b = *d.Label.find(8 + i);
        EXPECT_EQ(b.caption, a.caption) << i;
        EXPECT_EQ(b.left, a.left) << i;
        EXPECT_EQ(b.top, a.top) << i;
        EXPECT_EQ(b.visible, a.visible) << i;
    }
    EXPECT_EQ(d.Label.find(9)->caption, "开始");
    EXPECT_FALSE(d.Label.find(10)->visible);
    ASSERT_EQ(d.shapeCount, 2);
    EXPECT_EQ(d.Shape1.find(1)->left, 1000);
    EXPECT_EQ(d.Shape1.find(2)->style, 2);
    EXPECT_EQ(d.Shape1.find(2)->width, 1965);
    EXPECT_EQ(d.shapeRec[2].label1, 8 + qmp.shapeRec[2].label1);
    EXPECT_EQ(d.diamondRec[1].width, 2400);
    EXPECT_EQ(d.diamondRec[1].x, 1000);
    EXPECT_EQ(d.diamondRec[1].label2, 8 + qmp.diamondRec[1].label2);
    EXPECT_EQ(d.lx3.find(1)->y2, 4000 + 1200);
    EXPECT_EQ(d.arrowRec[1].count(), 1);
    EXPECT_EQ(d.Line1.find(1)->x2, 5000);
    EXPECT_TRUE(d.picDown.visible(1) || d.picRight.visible(1));
    EXPECT_EQ(d.Shape2.left, 11500);
}

}  // namespace
}  // namespace qm
