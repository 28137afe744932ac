#include <gtest/gtest.h>

#include "edit/insert.h"
#include "interact/rules.h"
#include "model/sel_kind.h"
#include "unit/support/reduced_editor.h"

namespace qm {
namespace {

using test::ReducedEditor;

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
    EXPECT_EQ(r.ed.drag.hitIndex, 1);
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

}  // namespace
}  // namespace qm
