#include <gtest/gtest.h>

#include <cmath>

#include "edit/insert.h"
#include "interact/pointer.h"
#include "model/sel_kind.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::TestEditor;

TEST(InsertShape, RectangleThenEllipseTakeTheNextIndicesAndLabelsAfterTheTitleBlock) {
    TestEditor t;
    Document& d = t.doc;
    insertShape(t.ed, ShapeStyle::Rectangle);
    EXPECT_EQ(d.selKind, SelKind::PlacingShape);
    EXPECT_EQ(d.selIndex, 1);
    EXPECT_TRUE(d.Shape1.visible(1));
    EXPECT_TRUE(d.LineRect.visible(1));
    EXPECT_EQ(d.shapeRec[1].label1, 9);
    EXPECT_EQ(d.shapeRec[1].label2, 10);
    const LabelEl& upper = *d.Label.find(9);
    // Template box (225, 225, 1965 x 1215): middle line at 832.5.
    EXPECT_FLOAT_EQ(upper.left, 225 + (1965 - upper.width) / 2);
    EXPECT_FLOAT_EQ(upper.top, 832.5f - upper.height - 140);
    EXPECT_FLOAT_EQ(d.Label.find(10)->top, 832.5f + 140);

    insertShape(t.ed, ShapeStyle::Oval);
    EXPECT_EQ(d.shapeCount, 2);
    EXPECT_EQ(d.Shape1.find(2)->style, 2);
    EXPECT_EQ(d.shapeRec[2].shapeType, 2);
    EXPECT_EQ(d.labelCount, 12);
}

TEST(InsertShape, ARecordLeftFromAnEarlierDocumentIsReset) {
    TestEditor t;
    Document& d = t.doc;
    d.shapeRec[1].innerCount = 1;
    d.shapeRec[1].innerLabel[1] = 1;  // the number field
    d.diamondRec[1].innerCount = 2;
    d.diamondRec[1].x = 9000;
    d.diamondRec[1].y = 7000;
    d.arrowRec[1].count() = 7;
    insertShape(t.ed, ShapeStyle::Rectangle);
    EXPECT_EQ(d.shapeRec[1].innerCount, 0);
    insertDiamond(t.ed);
    EXPECT_EQ(d.diamondRec[1].innerCount, 0);
    EXPECT_EQ(d.diamondRec[1].x, 2925);
    EXPECT_EQ(d.diamondRec[1].y, 450);
    EXPECT_EQ(d.diamondRec[1].width, 2400);
    EXPECT_EQ(d.diamondRec[1].height, 1200);
    // Its two texts lie inside its outline: every corner of their boxes within
    // |dx| / (width / 2) + |dy| / (height / 2) <= 1 of its centre.
    for (const int16_t text : {d.diamondRec[1].label1, d.diamondRec[1].label2}) {
        const LabelEl& l = *d.Label.find(text);
        for (const float x : {l.left, l.left + l.width})
            for (const float y : {l.top, l.top + l.height})
                EXPECT_LE(std::abs(x - (2925 + 1200)) / 1200 + std::abs(y - (450 + 600)) / 600, 1.0f) << l.caption;
    }
    insertPolylineArrow(t.ed);
    EXPECT_EQ(d.arrowRec[1].count(), 0);
    EXPECT_EQ(d.arrowRec[1].head(), 1);

    // Dragging the new diamond moves its own texts, not the number field.
    const float numberLeft = d.Label.find(1)->left;
    insertDiamond(t.ed);
    canvasPress(t.ed, 1, 0, 3000, 1000);
    canvasMove(t.ed, 1, 0, 4000, 1500);
    EXPECT_EQ(d.Label.find(1)->left, numberLeft);
}

TEST(InsertLabel, VerticalLabelsWrapAtTheirNarrowWidthAndFollowThePointer) {
    TestEditor t;
    insertLabel(t.ed, true);
    const LabelEl& l = *t.doc.Label.find(9);
    EXPECT_TRUE(l.wordWrap);
    EXPECT_EQ(l.width, 165);
    EXPECT_EQ(l.height, 8 * 225);
    EXPECT_EQ(t.doc.selKind, SelKind::PlacingLabel);
    EXPECT_TRUE(t.host.timer1);
    EXPECT_EQ(t.host.cursorKind, CursorKind::Insert);
    insertLabel(t.ed, false);
    EXPECT_FALSE(t.doc.Label.find(10)->wordWrap);
}

TEST(InsertArrow, StraightArrowsGetOneSegmentAndOnlyTheirOwnHead) {
    TestEditor t;
    Document& d = t.doc;
    insertPolylineArrow(t.ed);
    insertStraightArrow(t.ed, Dir::Left);
    EXPECT_EQ(d.arrowCount, 2) << "the abandoned polyline keeps its number";
    EXPECT_EQ(d.segCount, 1);
    EXPECT_EQ(d.selKind, SelKind::PlacingLeftArrow);
    EXPECT_EQ(d.orthoDraw, -1);
    EXPECT_TRUE(d.picLeft.visible(2));
    EXPECT_FALSE(d.picRight.exists(2));
    EXPECT_FALSE(d.picUp.exists(2));
    EXPECT_FALSE(d.picDown.exists(2));
    const ArrowRecord& r = d.arrowRec[2];
    EXPECT_EQ(r.count(), 1);
    EXPECT_EQ(r.slot[1], 1);
    EXPECT_EQ(r.direction(), 2);
    EXPECT_EQ(r.head(), 2);
    EXPECT_EQ(t.host.cursorKind, CursorKind::Crosshair);
}

TEST(InsertLimits, FullCollectionsAreRefusedWithAMessageAndNothingChanges) {
    TestEditor t;
    Document& d = t.doc;
    d.shapeCount = 255;
    insertShape(t.ed, ShapeStyle::Rectangle);
    EXPECT_EQ(d.shapeCount, 255);
    EXPECT_EQ(d.labelCount, 8);
    ASSERT_EQ(t.host.asked.size(), 1u);
    EXPECT_EQ(t.host.asked[0].title, "提示");

    d.diamondCount = 255;
    insertDiamond(t.ed);
    EXPECT_EQ(d.diamondCount, 255);
    d.arrowCount = 255;
    insertPolylineArrow(t.ed);
    insertStraightArrow(t.ed, Dir::Up);
    EXPECT_EQ(d.arrowCount, 255);
    EXPECT_EQ(d.segCount, 0);
    d.arrowCount = 3;
    d.segCount = kMaxIndex;
    insertStraightArrow(t.ed, Dir::Up);
    EXPECT_EQ(d.arrowCount, 3);
    d.labelCount = kMaxIndex;
    insertLabel(t.ed, false);
    EXPECT_EQ(d.labelCount, kMaxIndex);
    d.labelCount = kMaxIndex - 1;  // a shape needs two labels
    d.shapeCount = 0;
    insertShape(t.ed, ShapeStyle::Rectangle);
    EXPECT_EQ(d.shapeCount, 0);
    EXPECT_EQ(t.host.asked.size(), 7u);
    EXPECT_EQ(d.selKind, SelKind::None);
}

}  // namespace
}  // namespace qm
