#include <gtest/gtest.h>

#include "model/relayout.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::addShape;
using test::TestEditor;

TEST(MoveShapeTo, DividerRecordAndInnerLabelsFollowTheShape) {
    TestEditor t;
    Document& d = t.doc;
    addShape(d, 1);
    ShapeRecord& r = d.shapeRec[1];
    r.innerCount = 1;
    r.innerLabel[1] = 3;
    r.innerDX[1] = 100;
    r.innerDY[1] = -20;
    moveShapeTo(d, 1, 225, 225);
    const LineEl& div = *d.LineRect.find(1);
    EXPECT_EQ(div.x1, 225);
    EXPECT_EQ(div.y1, 832.5);
    EXPECT_EQ(div.x2, 2190);
    EXPECT_EQ(div.y2, 832.5);
    EXPECT_EQ(r.selfIndex, 1);
    EXPECT_EQ(r.moved, -1);
    EXPECT_EQ(r.lastLeft, 225);
    EXPECT_EQ(d.Label.find(3)->left, 325);
    EXPECT_EQ(d.Label.find(3)->top, 205);

    moveShapeTo(d, 1, 1000.5f, 2000);
    EXPECT_EQ(r.lastLeft, 1000) << "rounded half to even";
    EXPECT_EQ(d.Label.find(3)->left, 1100.5);
}

TEST(MoveShapeTo, AMissingShapeChangesNothing) {
    TestEditor t;
    moveShapeTo(t.doc, 7, 10, 10);
    EXPECT_EQ(t.doc.shapeRec[7].moved, 0);
}

TEST(LayoutDiamond, ReproducesTheTemplateDiamondWithLx4FromBottomToLeft) {
    TestEditor t;
    Document& d = t.doc;
    for (auto* c : d.diamondLines()) c->create(1);
    d.diamondRec[1].innerCount = 1;
    d.diamondRec[1].innerLabel[1] = 5;
    d.diamondRec[1].innerDX[1] = 10;
    d.diamondRec[1].innerDY[1] = 20;
    layoutDiamond(d, 2925, 450, 2400, 1200, 1);
    auto same = [](const LineEl& l, float x1, float y1, float x2, float y2) {
        return l.x1 == x1 && l.y1 == y1 && l.x2 == x2 && l.y2 == y2;
    };
    EXPECT_TRUE(same(*d.lx1.find(1), 2925, 1050, 4125, 450));
    EXPECT_TRUE(same(*d.lx2.find(1), 4125, 450, 5325, 1050));
    EXPECT_TRUE(same(*d.lx3.find(1), 5325, 1050, 4125, 1650));
    EXPECT_TRUE(same(*d.lx4.find(1), 4125, 1650, 2925, 1050));
    EXPECT_TRUE(same(*d.lx5.find(1), 2925, 1050, 5325, 1050));
    EXPECT_EQ(d.diamondRec[1].x, 2925);
    EXPECT_EQ(d.diamondRec[1].y, 450);
    EXPECT_EQ(d.diamondRec[1].width, 0) << "the size in the record is not written";
    EXPECT_EQ(d.Label.find(5)->left, 2935);
    EXPECT_EQ(d.Label.find(5)->top, 470);

    layoutDiamond(d, 100, 100, -50, 0, 1);  // folded and flat: no complaint
    EXPECT_EQ(d.lx2.find(1)->x2, 50);
    EXPECT_EQ(d.lx3.find(1)->y2, 100);
}

}  // namespace
}  // namespace qm
