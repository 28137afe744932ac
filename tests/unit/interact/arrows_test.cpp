#include <gtest/gtest.h>

#include "edit/insert.h"
#include "interact/arrows.h"
#include "interact/canvas_edge.h"
#include "interact/pointer.h"
#include "interact/pointer_routing.h"
#include "interact/selection.h"
#include "model/element_parts.h"
#include "model/rounding.h"
#include "model/sel_kind.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::TestEditor;
using test::looksSelected;

TEST(HitSegment, ToleranceAcrossTheLineAndTheDiscAtTheEnds) {
    EXPECT_TRUE(hitSegment(0, 0, 2000, 0, 1000, 100));
    EXPECT_FALSE(hitSegment(0, 0, 2000, 0, 1000, 101));
    EXPECT_TRUE(hitSegment(0, 0, 2000, 0, 1000, -100));
    EXPECT_TRUE(hitSegment(0, 0, 2000, 0, 0, 0));
    EXPECT_TRUE(hitSegment(0, 0, 2000, 0, 2000, 0));
    EXPECT_FALSE(hitSegment(0, 0, 2000, 0, 2000, 50)) << "beside the end point, outside the disc";
    EXPECT_FALSE(hitSegment(0, 0, 2000, 0, -1, 0));
    EXPECT_TRUE(hitSegment(0, 0, 0, 3000, 60, 1500)) << "vertical segments too";
    EXPECT_TRUE(hitSegment(0, 0, 1000, 1000, 570, 430));  // about 99 twips off the diagonal
}

TEST(HitSegment, ZeroLengthSegmentIsHitOnlyAtItsPoint) {
    EXPECT_TRUE(hitSegment(500, 500, 500, 500, 500, 500));
    EXPECT_FALSE(hitSegment(500, 500, 500, 500, 501, 500));
    EXPECT_FALSE(hitSegment(500, 500, 500, 500, 0, 0));
}

TEST(ArrowDirection, FlatVectorsAreHorizontalAndTiesAndZeroAreVertical) {
    EXPECT_EQ(directionOf(0, 0, 10, 5), Dir::Right);
    EXPECT_EQ(directionOf(0, 0, -10, 5), Dir::Left);
    EXPECT_EQ(directionOf(0, 0, 10, 10), Dir::Down);
    EXPECT_EQ(directionOf(0, 0, 10, -10), Dir::Up);
    EXPECT_EQ(directionOf(3, 3, 3, 3), Dir::Up);
}

// Draws a polyline with left clicks at the given points (moving to each first).
void leftClickAt(Editor& ed, float x, float y) {
    canvasMove(ed, 0, 0, x, y);
    canvasPress(ed, 1, 0, x, y);
    canvasRelease(ed, 1, 0, x, y);
    canvasClick(ed);
}

void rightClickAt(Editor& ed, float x, float y) {
    canvasMove(ed, 0, 0, x, y);
    canvasPress(ed, 2, 0, x, y);
    canvasRelease(ed, 2, 0, x, y);
    canvasClick(ed);
}

TEST(PolylineDrawing, SegmentsStayAxisParallelAndTheHeadFollowsTheBandRule) {
    TestEditor t;
    Document& d = t.doc;
    const LineEl templ = d.Line1.templ();
    insertPolylineArrow(t.ed);
    canvasMove(t.ed, 0, 0, 5000, 5000);  // before the first click: nothing is touched
    EXPECT_EQ(d.Line1.templ().x2, templ.x2);
    leftClickAt(t.ed, 1000, 1000);
    const LineEl& s = *d.Line1.find(1);
    EXPECT_EQ(s.x2, 1000) << "a new segment starts with its end on its start";
    EXPECT_TRUE(d.lneTemp.visible);

    canvasMove(t.ed, 0, 0, 1400, 1100);  // 400 right, 100 down
    EXPECT_EQ(s.x2, 1400);
    EXPECT_EQ(s.y2, 1000);
    EXPECT_EQ(d.lneTemp.x1, 1400);
    EXPECT_EQ(d.lneTemp.y2, 1100);
    EXPECT_EQ(d.arrowRec[1].direction(), 3) << "band not longer than 150: along the segment, right";

    canvasMove(t.ed, 0, 0, 1300, 1400);  // steeper than flat: the segment turns vertical
    EXPECT_EQ(s.x2, 1000);
    EXPECT_EQ(s.y2, 1400);
    canvasMove(t.ed, 0, 0, 1400, 1300);  // 400 right, 300 down: horizontal again
    EXPECT_EQ(s.x2, 1400);
    EXPECT_EQ(s.y2, 1000);
    EXPECT_EQ(d.lneTemp.y2 - d.lneTemp.y1, 300);
    EXPECT_EQ(d.arrowRec[1].direction(), static_cast<int>(Dir::Down)) << "the band of 300 decides: down, tip on the pointer";
}

TEST(PolylineDrawing, ThreeClicksAndARightClickMakeAnArrowWithAHeadOnItsTip) {
    TestEditor t;
    Document& d = t.doc;
    insertPolylineArrow(t.ed);
    leftClickAt(t.ed, 1000, 1000);
    leftClickAt(t.ed, 3000, 1000);
    leftClickAt(t.ed, 3000, 3000);
    canvasMove(t.ed, 0, 0, 5000, 3000);
    canvasPress(t.ed, 2, 0, 5000, 3000);
    canvasRelease(t.ed, 2, 0, 5000, 3000);
    EXPECT_EQ(t.host.menuPopups, 0) << "the right release that ends an arrow opens no menu";
    canvasClick(t.ed);
    const ArrowRecord& r = d.arrowRec[1];
    EXPECT_EQ(d.selKind, SelKind::None);
    EXPECT_EQ(r.count(), 3);
    EXPECT_EQ(d.Line1.find(r.slot[3])->x2, 5000);
    EXPECT_FALSE(d.lneTemp.visible);
    ASSERT_TRUE(d.picRight.visible(1));
    EXPECT_EQ(d.picRight.find(1)->left, 5000 - 150);
    EXPECT_EQ(d.picRight.find(1)->top, 3000 - 75);
    EXPECT_EQ(r.head(), 1);
    EXPECT_EQ(d.modified, -1);
}

TEST(PolylineDrawing, ShortRemaindersAndStraySegmentsAreDropped) {
    TestEditor t;
    Document& d = t.doc;
    insertPolylineArrow(t.ed);
    leftClickAt(t.ed, 1000, 1000);
    leftClickAt(t.ed, 3000, 1000);   // starts segment 2 at the end of segment 1
    rightClickAt(t.ed, 3000, 1000);  // without moving: segment 2 never moved
    const ArrowRecord& r = d.arrowRec[1];
    EXPECT_EQ(r.count(), 1);
    EXPECT_EQ(d.segCount, 1);
    EXPECT_FALSE(d.Line1.exists(2));
    EXPECT_EQ(d.Line1.find(1)->x2, 3000);
    EXPECT_TRUE(d.picRight.visible(1));
    EXPECT_EQ(d.picRight.find(1)->left, 3000 - 150);

    insertPolylineArrow(t.ed);
    leftClickAt(t.ed, 1000, 3000);
    rightClickAt(t.ed, 3000, 3150);  // a band of 150 is dropped
    EXPECT_EQ(d.arrowRec[2].count(), 1);
    EXPECT_EQ(d.Line1.find(d.arrowRec[2].slot[1])->y2, 3000);

    insertPolylineArrow(t.ed);
    leftClickAt(t.ed, 1000, 5000);
    rightClickAt(t.ed, 3000, 5151);
    EXPECT_EQ(d.arrowRec[3].count(), 2) << "a band of 151 becomes the last segment";
    EXPECT_EQ(d.Line1.find(d.arrowRec[3].slot[2])->y2, 5151);
    EXPECT_TRUE(d.picDown.visible(3));
}

TEST(PolylineDrawing, ARightClickBeforeAnyLeftClickAbandonsTheArrow) {
    TestEditor t;
    Document& d = t.doc;
    insertStraightArrow(t.ed, Dir::Right);
    canvasMove(t.ed, 0, 0, 500, 500);
    canvasPress(t.ed, 1, 0, 500, 500);
    insertPolylineArrow(t.ed);
    canvasMove(t.ed, 0, 0, 4000, 4000);
    rightClickAt(t.ed, 4000, 4000);
    EXPECT_EQ(d.selKind, SelKind::None);
    EXPECT_EQ(d.arrowRec[2].count(), 0);
    EXPECT_EQ(d.segCount, 1);
    for (int dir = 0; dir < 4; ++dir) EXPECT_FALSE(d.heads(dir)->exists(2));
}

TEST(PolylineDrawing, AnInsertCommandFinishesTheArrowBeingDrawn) {
    TestEditor t;
    Document& d = t.doc;
    insertPolylineArrow(t.ed);
    leftClickAt(t.ed, 1000, 1000);
    canvasMove(t.ed, 0, 0, 1000, 3000);
    insertShape(t.ed, ShapeStyle::Rectangle);
    EXPECT_FALSE(d.lneTemp.visible);
    EXPECT_TRUE(d.picDown.visible(1));
    EXPECT_EQ(d.arrowRec[1].direction(), 1);
    EXPECT_EQ(d.selKind, SelKind::PlacingShape);
}

TEST(PolylineDrawing, SegmentLimitsAreRefusedWithAMessage) {
    TestEditor t;
    Document& d = t.doc;
    insertPolylineArrow(t.ed);
    d.arrowRec[1].count() = 255;
    leftClickAt(t.ed, 1000, 1000);
    EXPECT_EQ(d.segCount, 0);
    EXPECT_EQ(t.host.asked.size(), 1u);
    EXPECT_EQ(t.host.asked[0].title, "提示");

    // The drawing's last segment number is taken while an arrow is drawn.
    d.arrowRec[1].count() = 0;
    leftClickAt(t.ed, 1000, 1000);
    ASSERT_EQ(d.segCount, 1);
    d.segCount = kMaxIndex;
    leftClickAt(t.ed, 3000, 1000);
    EXPECT_EQ(d.segCount, kMaxIndex);
    EXPECT_EQ(d.arrowRec[1].count(), 1);
    EXPECT_EQ(t.host.asked.size(), 2u);
}

TEST(StraightArrow, FollowsThePointerWithItsTailAndKeepsItsLength) {
    TestEditor t;
    Document& d = t.doc;
    insertStraightArrow(t.ed, Dir::Left);
    canvasMove(t.ed, 0, 0, 1200, 500);
    const LineEl& s = *d.Line1.find(1);
    EXPECT_EQ(s.x1, 1200);
    EXPECT_EQ(s.x2, 0);
    EXPECT_EQ(s.y2, 500);
    EXPECT_EQ(d.picLeft.find(1)->left, 0);
    EXPECT_EQ(d.picLeft.find(1)->top, 425);
    insertStraightArrow(t.ed, Dir::Down);
    canvasMove(t.ed, 0, 0, 3000, 2000);
    EXPECT_EQ(d.Line1.find(2)->y2, 3200);
    EXPECT_EQ(d.picDown.find(2)->top, 3200 - 150);
    EXPECT_EQ(d.picDown.find(2)->left, 3000 - 75);
}

TEST(ArrowEditing, DraggingTheArrowAndAVertexKeepsTheHeadOnTheTip) {
    TestEditor t;
    Document& d = t.doc;
    insertPolylineArrow(t.ed);
    leftClickAt(t.ed, 1000, 1000);
    leftClickAt(t.ed, 3000, 1000);
    canvasMove(t.ed, 0, 0, 3000, 3000);
    rightClickAt(t.ed, 3000, 3000);
    ASSERT_EQ(d.arrowRec[1].count(), 2);

    canvasPress(t.ed, 1, 0, 2000, 1000);  // on segment 1
    EXPECT_EQ(d.selKind, SelKind::Arrow);
    EXPECT_TRUE(looksSelected(d, {Part::Line1, 1}));
    EXPECT_TRUE(d.spHandle.templ().visible) << "handle 0 on the tail";
    canvasMove(t.ed, 1, 0, 2100, 1050);
    canvasMove(t.ed, 1, 0, 2200, 1100);
    canvasRelease(t.ed, 1, 0, 2200, 1100);
    EXPECT_EQ(d.Line1.find(1)->x1, 1200);
    EXPECT_EQ(d.Line1.find(2)->y2, 3100);
    EXPECT_EQ(d.picDown.find(1)->top, 3100 - 150);
    EXPECT_EQ(d.spHandle.find(2)->left, 3200 - 37.5);

    // Drag the tip so that the last segment points left.
    canvasPress(t.ed, 1, 0, 3200, 3100);
    EXPECT_EQ(d.selKind, SelKind::DraggingVertex);
    EXPECT_EQ(t.ed.drag.hitIndex, 2);
    canvasMove(t.ed, 1, 0, 500, 1150);
    canvasRelease(t.ed, 1, 0, 500, 1150);
    EXPECT_EQ(d.selKind, SelKind::Arrow);
    EXPECT_FALSE(d.picDown.visible(1));
    ASSERT_TRUE(d.picLeft.visible(1));
    EXPECT_EQ(d.picLeft.find(1)->left, 500);
    EXPECT_EQ(d.arrowRec[1].direction(), 2);

    // The middle vertex moves the end of segment 1 and the start of segment 2.
    canvasPress(t.ed, 1, 0, 3200, 1100);
    EXPECT_EQ(t.ed.drag.hitIndex, 1);
    canvasMove(t.ed, 1, 0, 4000, 4000);
    EXPECT_EQ(d.Line1.find(1)->x2, 4000);
    EXPECT_EQ(d.Line1.find(2)->y1, 4000);

    // A command that clears the selection mid-drag leaves no handle or colour behind.
    ASSERT_EQ(d.selKind, SelKind::DraggingVertex);
    clearSelection(t.ed);
    EXPECT_EQ(d.selKind, SelKind::None);
    EXPECT_FALSE(looksSelected(d, {Part::Line1, 1}));
    EXPECT_FALSE(d.spHandle.templ().visible);
    EXPECT_FALSE(d.spHandle.visible(1));
}

// Ends put down near a connection point land on it, whole twips, and so stay
// glued: drawn by a drag, dragged by a handle, or moved with Alt and the keys.
TEST(ArrowEnds, DrawnDraggedAndKeyedEndsLandOnConnectionPointsAndStayGlued) {
    TestEditor t;
    Document& d = t.doc;
    insertShape(t.ed, ShapeStyle::Rectangle);
    test::drop(t.ed, 1000, 1000);
    insertShape(t.ed, ShapeStyle::Rectangle);
    test::drop(t.ed, 5000, 1000);
    const auto point = [&d](int shape, int k) {  // in whole twips, as ends land on it
        const PointF p = (*connectionPoints(d, {ElementKind::Shape, shape}))[static_cast<size_t>(k)];
        return PointF{static_cast<float>(roundI32Sat(p.x)), static_cast<float>(roundI32Sat(p.y))};
    };
    const PointF from = point(1, 1), to = point(2, 0);  // right of the first, left of the second

    insertStraightArrow(t.ed, Dir::Up);
    pointerMove(t.ed, 0, 0, from.x + 40, from.y - 60);
    pointerDown(t.ed, 1, 0, from.x + 40, from.y - 60);
    pointerMove(t.ed, 1, 0, to.x - 70, to.y + 50);
    pointerUp(t.ed, 1, 0, to.x - 70, to.y + 50);
    ASSERT_EQ(d.selKind, SelKind::Arrow);
    const LineEl& s = *d.Line1.find(d.arrowRec[1].slot[1]);
    EXPECT_EQ((PointF{s.x1, s.y1}), from);
    EXPECT_EQ((PointF{s.x2, s.y2}), to);
    EXPECT_TRUE(d.picRight.visible(1)) << "the head turned along the arrow";

    selectElement(t.ed, ElementKind::Shape, 2);
    canvasKeyDown(t.ed, kDownKey, kShift);
    EXPECT_EQ((PointF{s.x2, s.y2}), point(2, 0)) << "the head follows the shape it was put on";

    // The head's handle dragged near the second shape's top point.
    selectElement(t.ed, ElementKind::Arrow, 1);
    const PointF top = point(2, 2);
    canvasPress(t.ed, 1, 0, s.x2, s.y2);
    ASSERT_EQ(d.selKind, SelKind::DraggingVertex);
    canvasMove(t.ed, 1, 0, top.x + 60, top.y - 80);
    canvasRelease(t.ed, 1, 0, top.x + 60, top.y - 80);
    EXPECT_EQ((PointF{s.x2, s.y2}), top);

    // Alt and the keys take it off the point, and back within reach onto it.
    canvasKeyDown(t.ed, kLeftKey, kAlt);
    EXPECT_EQ((PointF{s.x2, s.y2}), (PointF{top.x - 15, top.y}));
    canvasKeyDown(t.ed, kLeftKey, kAlt | kShift);
    for (int k = 0; k < 4; ++k) canvasKeyDown(t.ed, kRightKey, kAlt);
    EXPECT_EQ((PointF{s.x2, s.y2}), (PointF{top.x - 105, top.y})) << "out of reach";
    canvasKeyDown(t.ed, kRightKey, kAlt);
    EXPECT_EQ((PointF{s.x2, s.y2}), top);
    EXPECT_TRUE(d.picRight.visible(1));
}

// A new element carried past the canvas's edge, a corner moved with Alt and the
// keys, and a vertex dragged off the canvas all stop at the edge; the corner stops
// at the minimum size too.
TEST(CanvasEdge, DropsResizesAndVerticesStopThere) {
    TestEditor t;
    Document& d = t.doc;
    const BoxF c = canvasBox(t.ed);
    insertShape(t.ed, ShapeStyle::Rectangle);
    test::drop(t.ed, c.right - 100, c.bottom - 100);
    const ShapeEl& r = *d.Shape1.find(1);
    EXPECT_EQ(r.left + r.width, c.right);
    EXPECT_EQ(r.top + r.height, c.bottom);
    insertStraightArrow(t.ed, Dir::Left);
    test::drop(t.ed, 300, 20);
    const std::optional<BoxF> arrow = outlineOf(d, {ElementKind::Arrow, 1});
    ASSERT_TRUE(arrow);
    EXPECT_EQ(arrow->left, 0) << "its head on the canvas";
    EXPECT_EQ(arrow->top, 0);

    selectElement(t.ed, ElementKind::Shape, 1);
    canvasKeyDown(t.ed, kRightKey, kAlt);
    canvasKeyDown(t.ed, kDownKey, kAlt | kShift);
    EXPECT_EQ(r.left + r.width, c.right);
    EXPECT_EQ(r.top + r.height, c.bottom);
    EXPECT_EQ(d.selKind, SelKind::Shape);
    for (int k = 0; k < 30; ++k) canvasKeyDown(t.ed, kLeftKey, kAlt | kShift);
    EXPECT_EQ(r.width, 1965) << "the minimum width";
    EXPECT_EQ(r.left + r.width, c.right) << "shrunk no further, its left side where it was";
    insertDiamond(t.ed);
    test::drop(t.ed, 3000, 3000);
    for (int k = 0; k < 10; ++k) canvasKeyDown(t.ed, kUpKey, kAlt | kShift);
    EXPECT_EQ(d.diamondRec[1].height, 1200);
}

}  // namespace
}  // namespace qm
