#include <gtest/gtest.h>

#include "edit/insert.h"
#include "edit/undo.h"
#include "interact/deleting.h"
#include "interact/inner_labels.h"
#include "interact/pointer.h"
#include "interact/pointer_routing.h"
#include "interact/selection.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::drop;
using test::TestEditor;
using test::looksSelected;

TEST(Delete, RectangleHidesItsPartsTextsHandlesAndInnerLabelsButNoArrow) {
    TestEditor t;
    Document& d = t.doc;
    insertStraightArrow(t.ed, Dir::Right);
    drop(t.ed, 100, 100);
    insertLabel(t.ed, false);  // label 9, lying inside the rectangle below
    d.Label.find(9)->left = 1500;
    d.Label.find(9)->top = 1500;
    insertShape(t.ed, ShapeStyle::Rectangle);
    drop(t.ed, 1000, 1000);
    rebuildShapeInnerLists(d);
    ASSERT_EQ(d.shapeRec[1].innerCount, 1);
    EXPECT_EQ(d.shapeRec[1].innerLabel[1], 9);
    canvasPress(t.ed, 1, 0, 1100, 1100);
    ASSERT_EQ(d.selKind, SelKind::Shape);
    d.modified = 0;
    canvasKeyDown(t.ed, kDeleteKey);
    EXPECT_FALSE(d.Shape1.visible(1));
    EXPECT_FALSE(d.LineRect.visible(1));
    EXPECT_FALSE(d.Label.visible(10));
    EXPECT_FALSE(d.Label.visible(11));
    EXPECT_FALSE(d.Label.visible(9));
    for (int k = 1; k <= 4; ++k) EXPECT_FALSE(d.spHandle.visible(k));
    EXPECT_TRUE(d.Line1.visible(1));
    EXPECT_TRUE(d.picRight.visible(1));
    EXPECT_EQ(d.modified, -1);
    EXPECT_EQ(d.shapeCount, 1) << "delete destroys nothing";

    // The hidden corner handles no longer catch a press near a former corner.
    canvasPress(t.ed, 1, 0, 1000, 1000);
    EXPECT_EQ(d.selKind, SelKind::None);
    EXPECT_EQ(d.Shape1.find(1)->width, 1965);
}

TEST(Delete, ArrowClearsTheSelectionAndHidesHeadAndHandles) {
    TestEditor t;
    Document& d = t.doc;
    insertStraightArrow(t.ed, Dir::Up);
    drop(t.ed, 2000, 4000);
    canvasPress(t.ed, 1, 0, 2000, 3500);
    ASSERT_EQ(d.selKind, SelKind::Arrow);
    canvasKeyDown(t.ed, kDeleteKey);
    EXPECT_EQ(d.selKind, SelKind::None);
    EXPECT_FALSE(d.Line1.visible(1));
    EXPECT_FALSE(d.picUp.visible(1));
    EXPECT_FALSE(d.spHandle.templ().visible);
    EXPECT_FALSE(d.spHandle.visible(1));
}

TEST(Delete, TitleBlockNumberAndTitleStayWhileOtherLabelsHide) {
    TestEditor t;
    Document& d = t.doc;
    for (int i : {2, 6}) {
        d.selKind = SelKind::Label;
        d.selIndex = static_cast<int16_t>(i);
        deleteSelection(t.ed);
    }
    EXPECT_TRUE(d.Label.visible(2));
    EXPECT_FALSE(d.Label.visible(6));
    // Shift+press in the value cell of the top row brings it back.
    canvasPress(t.ed, 1, kShift, 13000, 8200);
    EXPECT_EQ(d.selKind, SelKind::TitleBlock);
    EXPECT_TRUE(d.Label.visible(6));
    EXPECT_TRUE(looksSelected(d, {Part::Shape2, 0}));
    d.selKind = SelKind::TitleBlock;
    canvasKeyDown(t.ed, kDeleteKey);
    EXPECT_TRUE(d.Shape2.visible);
}

TEST(Delete, DiamondHidesItsLinesTexts) {
    TestEditor t;
    Document& d = t.doc;
    insertDiamond(t.ed);
    drop(t.ed, 1000, 1000);
    ASSERT_EQ(d.selKind, SelKind::Diamond);
    canvasKeyDown(t.ed, kDeleteKey);
    for (auto* lines : d.diamondLines()) EXPECT_FALSE(lines->visible(1));
    EXPECT_FALSE(d.Label.visible(9));
    EXPECT_FALSE(d.Label.visible(10));
    canvasPress(t.ed, 1, 0, 2000, 1500);
    EXPECT_EQ(d.selKind, SelKind::None) << "a deleted diamond is not found again";
}

TEST(Selection, SwitchingFromAnArrowToARectangleHidesTheArrowsExtraHandles) {
    TestEditor t;
    Document& d = t.doc;
    insertPolylineArrow(t.ed);
    float x = 500;
    for (int k = 0; k < 7; ++k, x += 1000) {
        canvasMove(t.ed, 0, 0, x, k % 2 ? 500 : 600);
        canvasPress(t.ed, 1, 0, x, 500);
        canvasRelease(t.ed, 1, 0, x, 500);
    }
    canvasMove(t.ed, 0, 0, x, 500);
    canvasRelease(t.ed, 2, 0, x, 500);
    ASSERT_GE(d.arrowRec[1].count(), 6);
    canvasPress(t.ed, 1, 0, 1000, 500);
    ASSERT_EQ(d.selKind, SelKind::Arrow);
    ASSERT_TRUE(d.spHandle.visible(6));
    insertShape(t.ed, ShapeStyle::Rectangle);
    drop(t.ed, 2000, 3000);
    for (int k = 1; k <= 4; ++k) EXPECT_TRUE(d.spHandle.visible(k));
    EXPECT_FALSE(d.spHandle.visible(5));
    EXPECT_FALSE(d.spHandle.visible(6));
    EXPECT_FALSE(d.spHandle.templ().visible);
    EXPECT_FALSE(looksSelected(d, {Part::Line1, 1}));
}

// The look comes from the state alone: a new element has none until it is dropped,
// a corner drag keeps it, and the elements' own colours never change.
TEST(Selection, TheLookIsTheSelectedElementsOutlineDrawnFromTheState) {
    TestEditor t;
    Document& d = t.doc;
    insertDiamond(t.ed);
    canvasMove(t.ed, 0, 0, 1000, 1000);
    EXPECT_TRUE(selectionLook(d).empty()) << "placing";
    drop(t.ed, 1000, 1000);
    const std::vector<PartRef> diamond{{Part::lx1, 1}, {Part::lx2, 1}, {Part::lx3, 1}, {Part::lx4, 1}, {Part::lx5, 1}};
    EXPECT_EQ(selectionLook(d), diamond);
    canvasPress(t.ed, 1, 0, 1000, 1000);  // its top-left corner handle
    ASSERT_EQ(d.selKind, SelKind::ResizingDiamond);
    EXPECT_EQ(selectionLook(d), diamond);
    canvasRelease(t.ed, 1, 0, 1000, 1000);
    canvasPress(t.ed, 1, 0, 12000, 8200);
    EXPECT_EQ(selectionLook(d), (std::vector<PartRef>{{Part::Shape2, 0}, {Part::Line2, 0}, {Part::Line3, 0},
                                                      {Part::Line4, 0}}));
    for (const auto* lines : d.diamondLines()) EXPECT_EQ(lines->find(1)->borderColor, kBlack);
    EXPECT_EQ(d.Shape2.borderColor, kBlack);
}

// The parts of a selection of thousands are put in order by marking them, not by
// comparing: the same order, repeats dropped.
TEST(Selection, ManyPartsSortAsFewDo) {
    std::vector<PartRef> parts;
    for (int k = 0; k < 20000; ++k) parts.push_back({static_cast<Part>(k * 7 % 19), k * 7919 % 32768});
    parts.insert(parts.end(), parts.begin(), parts.begin() + 500);
    std::vector<PartRef> compared = parts;
    std::sort(compared.begin(), compared.end());
    compared.erase(std::unique(compared.begin(), compared.end()), compared.end());
    sortUnique(parts);
    EXPECT_EQ(parts, compared);
}

// A band takes what lies wholly inside it, Ctrl+click adds and removes one, 全选
// takes everything but the title block, and a click on empty canvas or Esc clears.
TEST(Selection, SeveralByBandCtrlClickAndSelectAll) {
    TestEditor t;
    Document& d = t.doc;
    insertRectangle(t.ed);
    drop(t.ed, 1000, 1500);  // 1000..2965 x 1500..2715
    insertDiamond(t.ed);
    drop(t.ed, 4000, 1500);
    insertRightArrow(t.ed);
    drop(t.ed, 1000, 4000);
    const ElementRef rect{ElementKind::Shape, 1}, diamond{ElementKind::Diamond, 1}, arrow{ElementKind::Arrow, 1};
    canvasPress(t.ed, 1, 0, 300, 1200);
    canvasMove(t.ed, 1, 0, 4500, 4600);  // over part of the diamond only
    canvasRelease(t.ed, 1, 0, 4500, 4600);
    EXPECT_EQ(d.selKind, SelKind::Several);
    EXPECT_EQ(selectedElements(d), (std::vector<ElementRef>{rect, arrow}));
    EXPECT_TRUE(looksSelected(d, {Part::Shape1, 1}));
    EXPECT_FALSE(d.spHandle.visible(1)) << "several show no handles";

    pointerDown(t.ed, 1, kCtrl, 5000, 2100);
    pointerUp(t.ed, 1, kCtrl, 5000, 2100);
    EXPECT_EQ(selectedElements(d), (std::vector<ElementRef>{rect, arrow, diamond}));  // in ElementRef order
    pointerDown(t.ed, 1, kCtrl, 1500, 1600);
    pointerUp(t.ed, 1, kCtrl, 1500, 1600);
    EXPECT_EQ(selectedElements(d), (std::vector<ElementRef>{arrow, diamond}));
    canvasPress(t.ed, 1, 0, 8000, 5000);
    canvasRelease(t.ed, 1, 0, 8000, 5000);
    EXPECT_EQ(d.selKind, SelKind::None);

    insertHorizontalLabel(t.ed);
    drop(t.ed, 7000, 4000);
    d.Label.setVisible(9, false);  // the rectangle's upper text, hidden
    selectAll(t.ed);
    EXPECT_EQ(selectedElements(d), (std::vector<ElementRef>{rect, {ElementKind::Label, 13}, arrow, diamond}))
        << "no title block, none of its labels, no shape's own text, nothing hidden";
    escape(t.ed);
    EXPECT_EQ(d.selKind, SelKind::None);
    EXPECT_FALSE(canSelectAll(TestEditor().ed)) << "a new drawing has only the title block";
}

TEST(InnerLists, StrictInsideOwnTextsExcludedAndCappedAt255) {
    TestEditor t;
    Document& d = t.doc;
    insertShape(t.ed, ShapeStyle::Rectangle);  // 225, 225, 1965 x 1215; texts 9 and 10
    insertDiamond(t.ed);                        // texts 11 and 12 inside the rectangle?
    canvasMove(t.ed, 0, 0, 300, 300);
    d.Label.find(1)->left = 225;  // exactly on the left edge: not inside
    d.Label.find(1)->top = 500;
    d.Label.find(2)->left = 226;  // inside
    d.Label.find(2)->top = 500;
    rebuildShapeInnerLists(d);
    const ShapeRecord& r = d.shapeRec[1];
    std::vector<int> inner(r.innerLabel.begin() + 1, r.innerLabel.begin() + 1 + r.innerCount);
    EXPECT_EQ(std::count(inner.begin(), inner.end(), 1), 0);
    EXPECT_EQ(std::count(inner.begin(), inner.end(), 2), 1);
    EXPECT_EQ(std::count(inner.begin(), inner.end(), 9), 0) << "its own texts are never inner labels";
    EXPECT_EQ(std::count(inner.begin(), inner.end(), 11), 1) << "a diamond's text inside it is";

    for (int k = 0; k < 300; ++k) {
        const int i = ++d.labelCount;
        d.Label.create(i);
        d.Label.find(i)->left = 1000;
        d.Label.find(i)->top = 1000;
    }
    rebuildShapeInnerLists(d);
    EXPECT_EQ(d.shapeRec[1].innerCount, 255);

    // The labels past the cap (some hundred, in index order after the far
    // rectangle's texts) are no inner labels of the next shape looked at.
    insertShape(t.ed, ShapeStyle::Rectangle);
    canvasMove(t.ed, 0, 0, 6000, 6000);
    canvasPress(t.ed, 1, 0, 6000, 6000);
    for (int k = 0; k < 100; ++k) {
        const int i = ++d.labelCount;
        d.Label.create(i);
        d.Label.find(i)->left = 1000;
        d.Label.find(i)->top = 1000;
    }
    const ShapeEl& far = *d.Shape1.find(2);
    const int onFar = ++d.labelCount;
    d.Label.create(onFar);
    d.Label.find(onFar)->left = far.left + 10;
    d.Label.find(onFar)->top = far.top + 10;
    rebuildInnerLists(d);
    EXPECT_EQ(d.shapeRec[1].innerCount, 255);
    EXPECT_EQ(d.shapeRec[2].innerCount, 1);
    EXPECT_EQ(d.shapeRec[2].innerLabel[1], onFar);
}

}  // namespace
}  // namespace qm
