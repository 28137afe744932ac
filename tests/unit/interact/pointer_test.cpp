#include <gtest/gtest.h>

#include "edit/insert.h"
#include "interact/pointer.h"
#include "interact/pointer_routing.h"
#include "interact/selection.h"
#include "model/sel_kind.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::drop;
using test::TestEditor;
using test::looksSelected;

void addRectangle(Editor& ed, float x, float y) {
    insertShape(ed, ShapeStyle::Rectangle);
    drop(ed, x, y);
}

void addDiamond(Editor& ed, float x, float y) {
    insertDiamond(ed);
    drop(ed, x, y);
}

TEST(PressScan, EdgesOverlapsAndPriorities) {
    TestEditor t;
    Document& d = t.doc;
    addRectangle(t.ed, 1000, 1000);  // shape 1: 1000..2965 x 1000..2215
    addRectangle(t.ed, 1500, 1500);  // shape 2 overlaps it; the drop selects shape 1
    canvasPress(t.ed, 1, 0, 9000, 5000);
    canvasPress(t.ed, 1, 0, 2965, 2215);
    EXPECT_EQ(d.selKind, SelKind::Shape) << "the bottom-right edge belongs to the shape";
    EXPECT_EQ(d.selIndex, 1);
    canvasPress(t.ed, 1, 0, 2000, 2000);
    EXPECT_EQ(d.selIndex, 1) << "the lower index wins among shapes";

    addDiamond(t.ed, 5000, 1000);
    addDiamond(t.ed, 5500, 1200);
    canvasPress(t.ed, 1, 0, 6000, 1500);
    EXPECT_EQ(d.selKind, SelKind::Diamond);
    EXPECT_EQ(d.selIndex, 2) << "the higher index wins among diamonds";
    addDiamond(t.ed, 1200, 1200);
    canvasPress(t.ed, 1, 0, 1300, 1300);
    EXPECT_EQ(d.selKind, SelKind::Diamond) << "a diamond wins over a rectangle";
    EXPECT_FALSE(looksSelected(d, {Part::Shape1, 1}));

    canvasPress(t.ed, 1, 0, 11500, 8500);
    EXPECT_EQ(d.selKind, SelKind::None) << "the title block frame's edge does not select it";
    addRectangle(t.ed, 11600, 8100);
    canvasPress(t.ed, 1, 0, 11700, 8200);
    EXPECT_EQ(d.selKind, SelKind::TitleBlock) << "the title block wins over a rectangle inside it";
    ASSERT_TRUE(d.Shape1.exists(3));
    EXPECT_FALSE(looksSelected(d, {Part::Shape1, 3}));
    EXPECT_FALSE(d.spHandle.visible(1));
}

TEST(PressScan, AHandleOfTheSelectionTakesThePressWhateverLiesOverIt) {
    TestEditor t;
    Document& d = t.doc;
    addRectangle(t.ed, 1000, 1000);
    insertStraightArrow(t.ed, Dir::Right);
    drop(t.ed, 200, 1000);  // runs through the rectangle's top-left corner to (1400, 1000) on its top
    canvasPress(t.ed, 1, 0, 1500, 1500);
    ASSERT_EQ(d.selKind, SelKind::Shape);
    canvasPress(t.ed, 1, 0, 1000, 1000);
    EXPECT_EQ(d.selKind, SelKind::ResizingShape) << "the corner handle, though a segment lies over it";
    canvasRelease(t.ed, 1, 0, 1000, 1000);
    canvasPress(t.ed, 1, 0, 600, 1000);
    ASSERT_EQ(d.selKind, SelKind::Arrow) << "an arrow is found by its segments";
    canvasRelease(t.ed, 1, 0, 600, 1000);
    canvasPress(t.ed, 1, 0, 1400, 1000);  // the arrow's end, over the rectangle
    EXPECT_EQ(d.selKind, SelKind::DraggingVertex);
    canvasMove(t.ed, 1, 0, 1400, 3000);
    EXPECT_EQ(d.Line1.find(1)->x1, 200) << "the vertex moves, not the whole arrow";
    EXPECT_EQ(d.Line1.find(1)->y2, 3000);
    canvasRelease(t.ed, 1, 0, 1400, 3000);
    LabelEl& text = *d.Label.find(9);  // the rectangle's text, laid over the arrow's tail
    text.left = 100;
    text.top = 900;
    ASSERT_EQ(targetAt(d, 200, 1000).kind, PointerTarget::Label);
    pointerDown(t.ed, 1, 0, 200, 1000);
    EXPECT_EQ(d.selKind, SelKind::DraggingVertex) << "nor does a label over it";
    pointerUp(t.ed, 1, 0, 200, 1000);
    EXPECT_EQ(d.Shape1.find(1)->width, 1965);
}

TEST(PressScan, ZoomedInHandlesAndSegmentsKeepTheirSizeOnTheScreen) {
    TestEditor t;
    Document& d = t.doc;
    insertStraightArrow(t.ed, Dir::Right);
    drop(t.ed, 5000, 5000);  // a segment from (5000, 5000) to (6200, 5000)
    addRectangle(t.ed, 1000, 1000);  // selected: handle 1 is centred on (1000, 1000)
    t.ed.twipsPerScreenPixel = 3.75f;  // 400%: a handle spans 18.75 twips, a segment reaches 25
    canvasPress(t.ed, 1, 0, 1030, 1030);
    EXPECT_EQ(d.selKind, SelKind::Shape) << "30 twips from the corner is no longer on its handle";
    canvasPress(t.ed, 1, 0, 1009, 1009);
    EXPECT_EQ(d.selKind, SelKind::ResizingShape);
    canvasRelease(t.ed, 1, 0, 1009, 1009);
    canvasPress(t.ed, 1, 0, 5600, 5050);
    EXPECT_EQ(d.selKind, SelKind::None) << "50 twips off the segment is off it";
    canvasPress(t.ed, 1, 0, 5600, 5020);
    EXPECT_EQ(d.selKind, SelKind::Arrow);
}

TEST(Dragging, ExactOffsetHoweverManyMovesArriveAndPartsFollow) {
    TestEditor t;
    Document& d = t.doc;
    addRectangle(t.ed, 1000, 1000);
    const float textLeft = d.Label.find(9)->left;
    canvasPress(t.ed, 1, 0, 1100, 1200);
    for (int k = 1; k <= 37; ++k) canvasMove(t.ed, 1, 0, 1100 + k * 13.3f, 1200 + k * 7.1f);
    canvasMove(t.ed, 1, 0, 1600, 1500);
    canvasRelease(t.ed, 1, 0, 1600, 1500);
    EXPECT_EQ(d.Shape1.find(1)->left, 1500);
    EXPECT_EQ(d.Shape1.find(1)->top, 1300);
    EXPECT_EQ(d.LineRect.find(1)->y1, 1300 + 1215 / 2.0f);
    EXPECT_EQ(d.Label.find(9)->left, textLeft + 500);
    EXPECT_EQ(d.spHandle.find(3)->left, 1500 + 1965 - 37.5);
    EXPECT_EQ(d.modified, -1);

    canvasPress(t.ed, 1, 0, 11700, 8200);  // the title block moves as a whole
    canvasMove(t.ed, 1, 0, 10700, 7900);
    EXPECT_EQ(d.Shape2.left, 10500);
    EXPECT_EQ(d.Line2.x1, 11430);
    EXPECT_EQ(d.Line4.y1, 8610);
}

TEST(Dragging, ThePointerIsKeptOnTheCanvas) {
    TestEditor t;
    Document& d = t.doc;
    addRectangle(t.ed, 1000, 1000);
    canvasPress(t.ed, 1, 0, 1000, 1000);
    canvasMove(t.ed, 1, 0, 900000, -900000);
    const float maxX = 14415 - 60, maxY = 9615 - 60;
    EXPECT_EQ(d.Shape1.find(1)->left, maxX);
    EXPECT_EQ(d.Shape1.find(1)->top, 0);
    canvasRelease(t.ed, 1, 0, 900000, -900000);
    canvasPress(t.ed, 1, 0, 5000, 5000);
    canvasPress(t.ed, 1, 0, maxX, 500);
    EXPECT_EQ(d.selKind, SelKind::Shape) << "an element dragged to the edge can be pressed again";

    // A new element carried past the edge stops there whole.
    insertDiamond(t.ed);
    canvasMove(t.ed, 0, 0, -50000, 70000);
    EXPECT_EQ(d.diamondRec[1].x, 0);
    EXPECT_EQ(d.diamondRec[1].y, maxY - 1200);
}

TEST(Resize, NegativeSizesAreRefusedPerMoveAndTheMinimumAppliesOnRelease) {
    TestEditor t;
    Document& d = t.doc;
    addRectangle(t.ed, 3000, 3000);  // 3000..4965 x 3000..4215
    canvasPress(t.ed, 1, 0, 4965, 4215);
    ASSERT_EQ(d.selKind, SelKind::ResizingShape);
    EXPECT_EQ(t.ed.drag.hitIndex, 3);
    canvasMove(t.ed, 1, 0, 6000, 5000);
    EXPECT_EQ(d.Shape1.find(1)->width, 3000);
    canvasMove(t.ed, 1, 0, 2000, 4000);  // left of the left edge
    EXPECT_EQ(d.Shape1.find(1)->width, 3000) << "no negative width";
    EXPECT_EQ(d.Shape1.find(1)->height, 1000);
    EXPECT_EQ(d.LineRect.find(1)->y1, 3500);
    canvasRelease(t.ed, 1, 0, 2000, 4000);
    EXPECT_EQ(d.selKind, SelKind::Shape);
    EXPECT_EQ(d.Shape1.find(1)->height, 1215);
    EXPECT_EQ(d.LineRect.find(1)->y1, 3000 + 607.5);

    // Top-left handle dragged past the right edge: width kept, Left jumps to the pointer.
    canvasPress(t.ed, 1, 0, 3000, 3000);
    ASSERT_EQ(t.ed.drag.hitIndex, 1);
    canvasMove(t.ed, 1, 0, 7000, 3100);
    EXPECT_EQ(d.Shape1.find(1)->width, 3000);
    EXPECT_EQ(d.Shape1.find(1)->left, 7000);
}

TEST(Resize, AShrunkDiamondGetsItsMinimumBoxOnRelease) {
    TestEditor t;
    Document& d = t.doc;
    addDiamond(t.ed, 3000, 3000);
    canvasPress(t.ed, 1, 0, 5400, 4200);
    ASSERT_EQ(d.selKind, SelKind::ResizingDiamond);
    canvasMove(t.ed, 1, 0, 3100, 3100);
    EXPECT_EQ(d.diamondRec[1].width, 100);
    canvasMove(t.ed, 1, 0, 2900, 3100);
    EXPECT_EQ(d.diamondRec[1].width, -100) << "diamonds fold freely while dragged";
    canvasRelease(t.ed, 1, 0, 2900, 3100);
    EXPECT_EQ(d.diamondRec[1].width, 2400);
    EXPECT_EQ(d.diamondRec[1].height, 1200);
    EXPECT_EQ(d.lx2.find(1)->x2, 5400);
    EXPECT_EQ(d.selKind, SelKind::Diamond);
}

TEST(Resize, APressThatCutsACornerDragShortStillAppliesTheMinimum) {
    TestEditor t;
    Document& d = t.doc;
    addDiamond(t.ed, 3000, 3000);
    canvasPress(t.ed, 1, 0, 5400, 4200);
    canvasMove(t.ed, 1, 0, 2000, 2000);  // folded: negative width and height
    clearSelection(t.ed);                // e.g. Save while the button is held
    EXPECT_EQ(d.selKind, SelKind::None);
    EXPECT_EQ(d.diamondRec[1].width, 2400);
    EXPECT_FALSE(looksSelected(d, {Part::lx1, 1}));
    EXPECT_FALSE(d.spHandle.visible(1));
    canvasPress(t.ed, 1, 0, 4000, 3500);
    EXPECT_EQ(d.selKind, SelKind::Diamond) << "the diamond can be selected again";

    addRectangle(t.ed, 6000, 6000);
    canvasPress(t.ed, 1, 0, 6000, 6000);
    canvasMove(t.ed, 1, 0, 7000, 7000);
    clearSelection(t.ed);
    EXPECT_EQ(d.Shape1.find(1)->width, 1965);
    EXPECT_EQ(d.Shape1.find(1)->left, 7000);
    EXPECT_FALSE(looksSelected(d, {Part::Shape1, 1}));
}

TEST(RightButton, SelectsThenOpensTheEditMenu) {
    TestEditor t;
    Document& d = t.doc;
    addRectangle(t.ed, 1000, 1000);
    canvasPress(t.ed, 3, 0, 5000, 5000);
    canvasPress(t.ed, 2, 0, 1500, 1500);
    canvasRelease(t.ed, 2, 0, 1500, 1500);
    EXPECT_EQ(d.selKind, SelKind::Shape);
    EXPECT_EQ(t.host.menuPopups, 1);
}

TEST(Click, AClickRestoresTheCursorAndMarksNothingByItself) {
    TestEditor t;
    t.host.cursorKind = CursorKind::Insert;
    canvasPress(t.ed, 1, 0, 5000, 5000);
    canvasRelease(t.ed, 1, 0, 5000, 5000);
    canvasClick(t.ed);
    EXPECT_EQ(t.doc.modified, 0) << "a click on empty canvas changes nothing";
    EXPECT_EQ(t.host.cursorKind, CursorKind::Default);
    insertPolylineArrow(t.ed);
    canvasClick(t.ed);
    EXPECT_EQ(t.host.cursorKind, CursorKind::Crosshair) << "the crosshair stays while drawing";
}

TEST(Placing, ANewShapeFollowsThePointerWithItsCornerAndIsSelectedByThePress) {
    TestEditor t;
    Document& d = t.doc;
    insertShape(t.ed, ShapeStyle::Oval);
    canvasMove(t.ed, 0, 0, 4000, 2000);
    EXPECT_EQ(t.host.cursorKind, CursorKind::Insert);
    EXPECT_EQ(d.Shape1.find(1)->left, 4000);
    EXPECT_EQ(d.LineRect.find(1)->x2, 4000 + 1965);
    canvasPress(t.ed, 1, 0, 4000, 2000);
    EXPECT_EQ(d.selKind, SelKind::Shape);
    EXPECT_TRUE(looksSelected(d, {Part::Shape1, 1}));
    EXPECT_EQ(d.shapeRec[1].lastLeft, 4000);
}

}  // namespace
}  // namespace qm
