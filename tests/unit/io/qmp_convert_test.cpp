#include <gtest/gtest.h>

#include "edit/insert.h"
#include "interact/rules.h"
#include "io/document_io.h"
#include "io/qmp_convert.h"
#include "unit/support/reduced_editor.h"

namespace qm {
namespace {

using test::ReducedEditor;

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
