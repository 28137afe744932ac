// Moving what is selected and the arrows glued to it: a group stops at the
// canvas's edge as a whole, glued ends follow their connection points for each
// kind of shape and both kinds of arrow, and nothing moves unless something was
// moved.
#include <cmath>

#include <gtest/gtest.h>

#include "edit/insert.h"
#include "interact/inner_labels.h"
#include "interact/move.h"
#include "interact/pointer.h"
#include "interact/pointer_routing.h"
#include "interact/selection.h"
#include "interact/snapping.h"
#include "interact/timers.h"
#include "io/document_io.h"
#include "model/element_parts.h"
#include "model/sel_kind.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::drop;
using test::TestEditor;

constexpr ElementRef kRect{ElementKind::Shape, 1}, kEllipse{ElementKind::Shape, 2}, kDiamond{ElementKind::Diamond, 1};
enum Point { Left, Right, Top, Bottom };  // connectionPoints' order

PointF pointOf(const Document& d, ElementRef e, Point p) { return (*connectionPoints(d, e))[p]; }
const LineEl& segment(const Document& d, int arrow, int k) { return *d.Line1.find(d.arrowRec[arrow].slot[k]); }
PointF tail(const Document& d, int arrow) { return {segment(d, arrow, 1).x1, segment(d, arrow, 1).y1}; }
PointF tip(const Document& d, int arrow) {
    const LineEl& s = segment(d, arrow, d.arrowRec[arrow].segmentCount());
    return {s.x2, s.y2};
}
std::string bytes(const Document& d) { return encodeDocument(d, Layout::Quillmap).value(); }

void click(Editor& ed, float x, float y, int button = 1) {
    canvasMove(ed, 0, 0, x, y);
    canvasPress(ed, button, 0, x, y);
    canvasRelease(ed, button, 0, x, y);
}

void dragBy(Editor& ed, float x, float y, float dx, float dy) {
    canvasPress(ed, 1, 0, x, y);
    canvasMove(ed, 1, 0, x + dx / 2, y + dy / 2);
    canvasMove(ed, 1, 0, x + dx, y + dy);
    canvasRelease(ed, 1, 0, x + dx, y + dy);
}

// A rectangle and an ellipse joined by a straight arrow (1) from the rectangle's
// right point to the ellipse's left one; a polyline arrow (2) from the rectangle's
// bottom point down, then right to the diamond's left point.
struct Chart : TestEditor {
    Chart() {
        insertRectangle(ed);
        drop(ed, 1000, 1500);
        insertRightArrow(ed);  // 1200 twips long, from where it is dropped
        const PointF from = pointOf(doc, kRect, Right);
        drop(ed, from.x, from.y);
        insertEllipse(ed);
        drop(ed, from.x + 1200, 1500);  // as high as the rectangle: the same left point
        insertDiamond(ed);
        drop(ed, 4000, 4500);
        const PointF down = pointOf(doc, kRect, Bottom), to = pointOf(doc, kDiamond, Left);
        insertPolylineArrow(ed);
        click(ed, down.x, down.y);
        click(ed, down.x, to.y);
        click(ed, to.x, to.y, 2);
    }
};

TEST(Glue, EndsOnAConnectionPointFollowItAndPolylineEndSegmentsStayAxisParallel) {
    Chart c;
    Document& d = c.doc;
    ASSERT_EQ(d.arrowRec[2].segmentCount(), 2);
    ASSERT_EQ(tip(d, 1), pointOf(d, kEllipse, Left));
    const PointF corner{segment(d, 2, 1).x2, segment(d, 2, 1).y2};
    const PointF head = tip(d, 1);

    dragBy(c.ed, 1500, 1600, 300, 450);  // the rectangle
    EXPECT_EQ(tail(d, 1), pointOf(d, kRect, Right));
    EXPECT_EQ(tip(d, 1), head) << "the other end stays";
    EXPECT_EQ(tail(d, 2), pointOf(d, kRect, Bottom));
    EXPECT_EQ(segment(d, 2, 1).x2, corner.x + 300) << "the first segment stays upright";
    EXPECT_EQ(segment(d, 2, 2).y1, corner.y) << "so the last one stays level";
    EXPECT_EQ(tip(d, 2), pointOf(d, kDiamond, Left));

    click(c.ed, 4400, 5100);  // the diamond, by an arrow key with Shift
    ASSERT_EQ(d.selKind, SelKind::Diamond);
    canvasKeyDown(c.ed, kDownKey, kShift);
    EXPECT_EQ(tip(d, 2), pointOf(d, kDiamond, Left));
    EXPECT_EQ(segment(d, 2, 2).y1, segment(d, 2, 2).y2) << "the last segment stays level";
    EXPECT_EQ(segment(d, 2, 1).x1, segment(d, 2, 1).x2);

    const ShapeEl& ellipse = *d.Shape1.find(2);
    click(c.ed, ellipse.left + 900, ellipse.top + 300);
    const HandleEl& grip = *d.handle(1);  // top-left corner: the ellipse gets larger
    dragBy(c.ed, grip.left + grip.width / 2, grip.top + grip.height / 2, -150, -600);
    ASSERT_NE(pointOf(d, kEllipse, Left).y, head.y) << "resized";
    EXPECT_EQ(tip(d, 1), pointOf(d, kEllipse, Left));
    EXPECT_EQ(tail(d, 1), pointOf(d, kRect, Right));
    const PictureEl& arrowhead = *d.picRight.find(d.arrowRec[1].head());
    EXPECT_LT(arrowhead.left, tip(d, 1).x);
    EXPECT_GT(arrowhead.left + arrowhead.width, tip(d, 1).x) << "the head went with its end";
}

// An arrow whose both ends go with the moved shapes, or which is selected with
// them, moves whole; one end glued is a vertex moved, the rest kept.
TEST(Glue, AnArrowGoingWithBothItsEndsMovesWhole) {
    Chart c;
    Document& d = c.doc;
    const LineEl straight = segment(d, 1, 1);
    const LineEl polyline2 = segment(d, 2, 2);
    selectElements(c.ed, {kRect, kEllipse});
    canvasKeyDown(c.ed, kRightKey);
    EXPECT_EQ(segment(d, 1, 1).x1, straight.x1 + 15);
    EXPECT_EQ(segment(d, 1, 1).x2, straight.x2 + 15);
    EXPECT_EQ(segment(d, 2, 2).x2, polyline2.x2) << "the polyline's end on the diamond stays";

    selectElements(c.ed, {kDiamond, {ElementKind::Arrow, 2}, kRect});
    const LineEl first = segment(d, 2, 1);
    canvasKeyDown(c.ed, kUpKey);
    EXPECT_EQ(segment(d, 2, 1).y1, first.y1 - 15);
    EXPECT_EQ(segment(d, 2, 1).y2, first.y2 - 15);
    EXPECT_EQ(tail(d, 1), pointOf(d, kRect, Right)) << "arrow 1 is glued by one end only";
    EXPECT_EQ(tip(d, 1).y, straight.y2);

    // Deleting a shape leaves its arrows as they lie.
    const LineEl now = segment(d, 1, 1);
    selectElements(c.ed, {kEllipse});
    canvasKeyDown(c.ed, kDeleteKey);
    EXPECT_TRUE(d.Line1.visible(d.arrowRec[1].slot[1]));
    EXPECT_EQ(segment(d, 1, 1).x2, now.x2);
    EXPECT_EQ(segment(d, 1, 1).y2, now.y2);
}

// Glue is found anew at each press and stored nowhere: pressing and selecting
// without moving saves the same bytes, and an end near a point, not on it, keeps
// its distance as it follows.
TEST(Glue, NothingMovedSavesTheSameBytesAndAnEndNearAPointKeepsItsDistance) {
    Chart c;
    Document& d = c.doc;
    d.Line1.find(d.arrowRec[2].slot[2])->x2 -= 10;  // within one pixel of the diamond's point
    const std::string drawn = bytes(d);
    canvasPress(c.ed, 1, 0, 1500, 1600);  // the rectangle: glue found, let go
    canvasRelease(c.ed, 1, 0, 1500, 1600);
    selectAll(c.ed);
    canvasPress(c.ed, 1, 0, 1500, 1600);  // all of them
    canvasRelease(c.ed, 1, 0, 1500, 1600);
    dragBy(c.ed, 300, 1200, 8000, 5000);  // a band
    EXPECT_EQ(d.selKind, SelKind::Several);
    EXPECT_TRUE(bytes(d) == drawn);

    const float off = pointOf(d, kDiamond, Left).x - tip(d, 2).x;
    ASSERT_EQ(off, 10);
    selectElements(c.ed, {kDiamond});
    canvasKeyDown(c.ed, kLeftKey);
    canvasKeyDown(c.ed, kDownKey);
    EXPECT_EQ(pointOf(d, kDiamond, Left).x - tip(d, 2).x, off);
    EXPECT_EQ(pointOf(d, kDiamond, Left).y, tip(d, 2).y);
}

// Dragged against the canvas's edge, several elements stop together where the
// first of them reaches it; a nudge there moves nothing.
TEST(GroupMove, StopsAtTheCanvasEdgeAsAWhole) {
    TestEditor t;
    Document& d = t.doc;
    insertRectangle(t.ed);
    drop(t.ed, 1000, 1500);
    insertDiamond(t.ed);
    drop(t.ed, 600, 5000);
    selectElements(t.ed, {kRect, kDiamond});
    const BoxF diamond = *outlineOf(d, kDiamond);
    dragBy(t.ed, 1500, 2000, -1400, -1900);
    EXPECT_EQ(outlineOf(d, kDiamond)->left, 0);
    EXPECT_EQ(d.Shape1.find(1)->left, 1000 - diamond.left);
    EXPECT_EQ(d.Shape1.find(1)->top, 0);
    EXPECT_EQ(outlineOf(d, kDiamond)->top, diamond.top - 1500);
    EXPECT_EQ(d.selKind, SelKind::Several);
    const std::string there = bytes(d);
    canvasKeyDown(t.ed, kLeftKey, kShift);
    canvasKeyDown(t.ed, kUpKey);
    EXPECT_TRUE(bytes(d) == there);
}

// Overlapping shapes moved together: a text of one lying inside the other goes
// exactly as far as they do, half twip and all, not to where the whole-twip
// offset of whichever shape places it last would put it.
TEST(GroupMove, ATextThatSeveralMovingShapesCarryGoesAsFarAsThey) {
    TestEditor t;
    Document& d = t.doc;
    insertRectangle(t.ed);
    drop(t.ed, 1000, 1500);
    insertRectangle(t.ed);
    drop(t.ed, 1060, 1560);
    LabelEl& text = *d.Label.find(d.shapeRec[1].label1);
    text.left += 0.5f;
    rebuildInnerLists(d);
    const ShapeRecord& other = d.shapeRec[2];
    ASSERT_NE(std::find(other.innerLabel.begin() + 1, other.innerLabel.begin() + 1 + other.innerCount,
                        d.shapeRec[1].label1),
              other.innerLabel.begin() + 1 + other.innerCount);
    const PointF was{text.left, text.top};
    selectElements(t.ed, {kRect, ElementRef{ElementKind::Shape, 2}});
    canvasKeyDown(t.ed, kRightKey);
    canvasKeyDown(t.ed, kDownKey, kShift);
    EXPECT_EQ(text.left, was.x + 15);
    EXPECT_EQ(text.top, was.y + 150);
}

// Snapping a drag. Two rectangles side by side at odd positions; the second is
// dragged from its middle.
struct Snapping : TestEditor {
    Snapping() {
        insertRectangle(ed);
        drop(ed, 1003, 1507);
        insertRectangle(ed);
        drop(ed, 4000, 4000);
        clearSelection(ed);
    }
    BoxF box(int i) const { return *outlineOf(doc, {ElementKind::Shape, i}); }
    // Drags rectangle 2 so that its top-left corner would go by (dx, dy), holding
    // the keys `shift` on the last move and the release; where it lies then.
    BoxF drag2By(float dx, float dy, int shift = 0) {
        const BoxF b = box(2);
        const float x = (b.left + b.right) / 2, y = (b.top + b.bottom) / 2;
        canvasPress(ed, 1, 0, x, y);
        canvasMove(ed, 1, 0, x + dx / 2, y + dy / 2);
        canvasMove(ed, 1, shift, x + dx, y + dy);
        lines = ed.guides.lines;
        canvasRelease(ed, 1, shift, x + dx, y + dy);
        return box(2);
    }
    // The system cursor on canvas twips (x, y), which the fake host keeps in whole
    // pixels of 15 twips; a label's timer reads it.
    void cursorAt(float x, float y) {
        host.cursor = host.canvasToScreen({static_cast<int32_t>(x / 15), static_cast<int32_t>(y / 15)});
    }
    // Drags label i, selected, by (dx, dy) twips (whole pixels) as the shell routes
    // it, its timer carrying it; where it lies then.
    BoxF dragLabelBy(int i, float dx, float dy, int shift = 0) {
        const LabelEl& l = *doc.Label.find(i);
        const float x = l.left + 30, y = l.top + 30;
        cursorAt(x, y);
        pointerDown(ed, 1, 0, x, y);
        cursorAt(x + dx, y + dy);
        pointerMove(ed, 1, shift, x + dx, y + dy);
        timer1Tick(ed);
        lines = ed.guides.lines;
        pointerUp(ed, 1, shift, x + dx, y + dy);
        return *outlineOf(doc, {ElementKind::Label, i});
    }
    std::vector<GuideLine> lines;  // as the last frame showed them
};

TEST(Snapping, TheGridTakesDropsMovesResizesAndArrowVerticesButNotAConnectionPointOrAnAltDrag) {
    Snapping t;
    Editor& ed = t.ed;
    EXPECT_EQ(t.box(1).left, 1003) << "off, everything is pixel-exact";
    ed.snapToGrid = true;
    insertRectangle(ed);
    drop(ed, 1003, 5507);
    EXPECT_EQ(t.box(3).left, 1050);
    EXPECT_EQ(t.box(3).top, 5550);
    EXPECT_EQ(t.doc.selKind, SelKind::Shape) << "the press dropping it lands on it, beside the pointer";
    EXPECT_EQ(t.doc.selIndex, 3);
    const BoxF moved = t.drag2By(-1001, 33);
    EXPECT_EQ(moved.left, onGrid(moved.left));
    EXPECT_EQ(moved.top, onGrid(4033));
    const BoxF dragged = t.drag2By(-1001, 33, kAlt);
    EXPECT_NEAR(dragged.left, moved.left - 1001, 1) << "Alt: as the pointer went";
    // Alt let go and pressed again, the pointer still: the grid takes it and lets
    // it go at once, not at the next move.
    const float x = dragged.left + 100, y = dragged.top + 100;
    pointerDown(ed, 1, 0, x, y);
    pointerMove(ed, 1, kAlt, x + 301, y);
    ASSERT_NE(t.box(2).left, onGrid(dragged.left + 301));
    modifiersChanged(ed, 0);
    EXPECT_EQ(t.box(2).left, onGrid(dragged.left + 301));
    modifiersChanged(ed, kAlt);
    EXPECT_NEAR(t.box(2).left, dragged.left + 301, 1);
    pointerUp(ed, 1, kAlt, x + 301, y);

    // A new label follows the pointer on the grid and is dropped there, however
    // far its corner sits from the pointer; dragged by itself, it lands on the grid.
    insertLabel(ed, false);
    const int label = t.doc.selIndex;
    t.cursorAt(3045, 6105);
    pointerMove(ed, 0, 0, 3045, 6105);
    timer1Tick(ed);
    pointerDown(ed, 1, 0, 3045, 6105);
    pointerUp(ed, 1, 0, 3045, 6105);
    ASSERT_EQ(t.doc.selKind, SelKind::Label);
    ASSERT_EQ(t.doc.selIndex, label);
    BoxF l = *outlineOf(t.doc, {ElementKind::Label, label});
    EXPECT_EQ(l.left, 3000);
    EXPECT_EQ(l.top, 6150);
    l = t.dragLabelBy(label, 555, 330);
    EXPECT_EQ(l.left, onGrid(3555));
    EXPECT_EQ(l.top, onGrid(6480));
    EXPECT_EQ(t.dragLabelBy(label, 45, 0, kAlt).left, l.left + 45) << "Alt: as the pointer went";

    // The bottom-right corner of rectangle 3, dragged: it lands on the grid.
    const BoxF r = t.box(3);
    click(ed, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    canvasPress(ed, 1, 0, r.right, r.bottom);
    ASSERT_EQ(t.doc.selKind, SelKind::ResizingShape);
    canvasMove(ed, 1, 0, r.right + 407, r.bottom + 293);
    canvasRelease(ed, 1, 0, r.right + 407, r.bottom + 293);
    EXPECT_EQ(t.box(3).right, onGrid(r.right + 407));
    EXPECT_EQ(t.box(3).bottom, onGrid(r.bottom + 293));

    // A polyline's vertices land on the grid; an arrow dropped by rectangle 1's
    // right connection point, which is not on it, goes to the point.
    insertPolylineArrow(ed);
    click(ed, 7007, 8008);
    click(ed, 9010, 8008);
    click(ed, 9010, 8990, 2);
    EXPECT_EQ(tail(t.doc, 1), (PointF{onGrid(7007), onGrid(8008)}));
    EXPECT_EQ(tip(t.doc, 1), (PointF{onGrid(9010), onGrid(8990)}));
    const PointF point = pointOf(t.doc, kRect, Right);
    ASSERT_NE(point.y, onGrid(point.y));
    insertRightArrow(ed);
    drop(ed, point.x + 20, point.y + 20);
    EXPECT_EQ(tail(t.doc, 2), (PointF{std::nearbyint(point.x), std::nearbyint(point.y)}));
}

TEST(Snapping, GuidesLineUpEdgesAndCentresWithinFiveScreenPixelsAndShowWhileTheDragLasts) {
    Snapping t;
    Editor& ed = t.ed;
    ed.alignmentGuides = true;
    const BoxF one = t.box(1), two = t.box(2);
    // Left edges 4 pixels apart: lined up, an upright guide through both.
    BoxF b = t.drag2By(one.left - two.left + 60, 0);
    EXPECT_EQ(b.left, one.left);
    ASSERT_EQ(t.lines.size(), 3u) << "as wide: their middles and right edges too";
    EXPECT_TRUE(t.lines[2].vertical);
    EXPECT_EQ(t.lines[0].at, one.left);
    EXPECT_EQ(t.lines[0].from, one.top);
    EXPECT_EQ(t.lines[0].to, b.bottom);
    EXPECT_TRUE(ed.guides.lines.empty()) << "gone with the release";
    // Six pixels: left where the pointer put it.
    b = t.drag2By(90, 0);
    EXPECT_EQ(b.left, one.left + 90);
    EXPECT_TRUE(t.lines.empty());
    // At 200% five screen pixels are half as many twips.
    ed.twipsPerScreenPixel = kTwipsPerPixel / 2;
    b = t.drag2By(-90 + 45, 0);
    EXPECT_NEAR(b.left, one.left + 45, 1);
    ed.twipsPerScreenPixel = kTwipsPerPixel;
    // Beside it, a middle lines up with the other's, and with Alt nothing does.
    const float middle = (one.top + one.bottom) / 2;
    b = t.drag2By(3000, middle - (b.top + b.bottom) / 2 - 70, kAlt);
    EXPECT_NE((b.top + b.bottom) / 2, middle);
    EXPECT_TRUE(t.lines.empty());
    b = t.drag2By(10, 0);
    EXPECT_EQ(std::nearbyint((b.top + b.bottom) / 2), std::nearbyint(middle));
    EXPECT_FALSE(t.lines.empty());
    EXPECT_FALSE(t.lines[0].vertical);

    // A label dragged by itself, its left edge 2 twips from the first rectangle's:
    // lined up as a shape would be, and not with Alt.
    const int label = test::addLabel(ed, "说明", 6000, 3000);
    selectElement(ed, ElementKind::Label, label);
    BoxF l = t.dragLabelBy(label, 1005 - 6000, 0);
    EXPECT_EQ(l.left, one.left);
    ASSERT_FALSE(t.lines.empty());
    EXPECT_TRUE(t.lines[0].vertical);
    EXPECT_EQ(t.lines[0].at, one.left);
    EXPECT_TRUE(ed.guides.lines.empty()) << "gone with the release";
    l = t.dragLabelBy(label, 30, 0, kAlt);
    EXPECT_EQ(l.left, one.left + 30) << "Alt: as the pointer went";
    EXPECT_TRUE(t.lines.empty());
}

// The arrows glued to a rectangle go where it goes: nothing to line it up with. The
// polyline hangs from its bottom point, its upright segment on its middle.
TEST(Snapping, ArrowsGluedToWhatMovesAreNothingToLineUpWith) {
    Chart c;
    c.ed.alignmentGuides = true;
    const float left = c.doc.Shape1.find(1)->left;
    dragBy(c.ed, 1500, 1600, 30, 0);
    EXPECT_EQ(c.doc.Shape1.find(1)->left, left + 30);
}

TEST(Snapping, ThreeInARowAreSpacedEvenly) {
    Snapping t;
    Editor& ed = t.ed;
    ed.alignmentGuides = true;
    insertRectangle(ed);
    drop(ed, 9001, 1507);
    const BoxF one = t.box(1), three = t.box(3);
    // Rectangle 2 between them, 3 pixels off the middle and clear of every edge
    // and centre: the gaps come out equal, a level guide in each.
    const float middle = (one.right + three.left) / 2;
    const BoxF two = t.box(2);
    const BoxF b = t.drag2By(middle - (two.left + two.right) / 2 + 45, one.top + 500 - two.top);
    EXPECT_EQ(b.left - one.right, three.left - b.right);
    ASSERT_EQ(t.lines.size(), 2u);
    EXPECT_FALSE(t.lines[0].vertical);
    EXPECT_EQ(t.lines[0].from, one.right);
    EXPECT_EQ(t.lines[1].to, three.left);
}

}  // namespace
}  // namespace qm
