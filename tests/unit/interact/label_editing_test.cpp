#include <gtest/gtest.h>

#include "edit/insert.h"
#include "interact/keyboard.h"
#include "interact/label_editing.h"
#include "interact/pointer.h"
#include "interact/pointer_routing.h"
#include "interact/selection.h"
#include "interact/timers.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "model/title_block.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::TestEditor;
using test::looksSelected;

// Puts the system cursor on canvas twips (x, y); the fake maps 1 pixel = 15 twips.
void cursorAt(TestEditor& t, float x, float y) {
    t.host.cursor = t.host.canvasToScreen({static_cast<int32_t>(x / 15), static_cast<int32_t>(y / 15)});
}

// A press and release on the label under (x, y) as the shell routes them.
void clickAt(TestEditor& t, float x, float y, int button = 1) {
    cursorAt(t, x, y);
    pointerDown(t.ed, button, 0, x, y);
    pointerUp(t.ed, button, 0, x, y);
}

TEST(LabelEditing, PlaceSelectEditAndCommit) {
    TestEditor t;
    Document& d = t.doc;
    insertLabel(t.ed, false);
    ASSERT_EQ(d.selIndex, 9);
    cursorAt(t, 3000, 4500);
    timer1Tick(t.ed);
    EXPECT_EQ(d.Label.find(9)->left, 3000);
    EXPECT_EQ(d.Label.find(9)->top, 4500);
    d.modified = 0;
    clickAt(t, 3000, 4500);  // drops it: the timer stops, the label is selected
    EXPECT_FALSE(t.host.timer1);
    EXPECT_EQ(d.selKind, SelKind::Label);
    EXPECT_TRUE(looksSelected(d, {Part::Label, 9}));
    EXPECT_EQ(d.modified, -1) << "dropping a new label is a change";
    EXPECT_FALSE(t.ed.text1.visible);

    clickAt(t, 3010, 4510);  // second click without movement: the editor opens
    ASSERT_TRUE(t.ed.text1.visible);
    EXPECT_EQ(t.host.focusedEditor, EditorBox::Text1);
    EXPECT_EQ(t.ed.text1.left, 3000);
    EXPECT_EQ(t.ed.text1.text, "单击这里添加文本");
    EXPECT_EQ(d.editLabel, 9);
    EXPECT_EQ(d.selKind, SelKind::Label);

    d.modified = 0;
    t.ed.text1.text = "abc";
    editorKeyReleased(t.ed, EditorBox::Text1, kEnterKey);
    EXPECT_GT(t.host.canvasFocusCount, 0);
    commitEditor(t.ed, EditorBox::Text1);  // the focus left the box
    EXPECT_FALSE(t.ed.text1.visible);
    EXPECT_EQ(d.Label.find(9)->caption, "abc");
    EXPECT_EQ(d.Label.find(9)->width, 270);
    EXPECT_EQ(d.modified, -1);

    // Opening and committing the same text again is no change.
    clickAt(t, 3010, 4510);
    clickAt(t, 3010, 4510);
    ASSERT_TRUE(t.ed.text1.visible);
    d.modified = 0;
    commitEditor(t.ed, EditorBox::Text1);
    EXPECT_EQ(d.modified, 0);
}

// A new caption is centred again in its rectangle or diamond, and the title on the
// canvas, as a move in place would lay them out.
TEST(LabelEditing, ACommittedCaptionStaysCentredInItsShapeAndTheTitleOnTheCanvas) {
    TestEditor t;
    Document& d = t.doc;
    insertShape(t.ed, ShapeStyle::Rectangle);
    clickAt(t, 3000, 2000);
    insertDiamond(t.ed);
    clickAt(t, 8000, 2000);
    const ShapeEl& shape = *d.Shape1.find(1);
    const DiamondRecord& diamond = d.diamondRec[1];
    for (int i : {int{d.shapeRec[1].label1}, int{diamond.label2}, 2}) {
        LabelEl& l = *d.Label.find(i);
        clickAt(t, l.left + 5, l.top + 5);
        clickAt(t, l.left + 5, l.top + 5);
        ASSERT_TRUE(t.ed.text1.visible) << i;
        t.ed.text1.text = "一个长得多的标题文字";
        commitEditor(t.ed, EditorBox::Text1);
        ASSERT_GT(l.width, 1440) << i;
    }
    const LabelEl &upper = *d.Label.find(d.shapeRec[1].label1), &lower = *d.Label.find(diamond.label2);
    EXPECT_EQ(upper.left, shape.left + (shape.width - upper.width) / 2);
    EXPECT_EQ(lower.left, static_cast<float>(diamond.x) + (2400 - lower.width) / 2);
    EXPECT_EQ(d.Label.find(2)->left, 14415.0f / 2 + 75 - d.Label.find(2)->width / 2) << "the title, centred on the canvas";
}

// Refused with a message, the text stays in the open box, which gets the focus back.
TEST(LabelEditing, ACaptionTheFileCannotHoldIsRefusedAndStaysInItsBox) {
    TestEditor t;
    Document& d = t.doc;
    d.editLabel = 3;
    auto refused = [&](EditorBox which, const std::string& text) {
        EditBox& box = editBox(t.ed, which);
        box.visible = true;
        box.text = text;
        t.host.asked.clear();
        t.host.focusedEditor.reset();
        EXPECT_FALSE(commitEditor(t.ed, which));
        EXPECT_TRUE(box.visible);
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(t.host.focusedEditor, which);
        ASSERT_EQ(t.host.asked.size(), 1u);
        EXPECT_EQ(t.host.asked[0].title, "提示");
        EXPECT_EQ(d.Label.find(3)->caption, "制作人");
        box.visible = false;
    };
    std::string han;
    for (int k = 0; k < 150; ++k) han += "流";
    refused(EditorBox::Text1, std::string(70000, 'x'));  // more bytes than the file holds
    refused(EditorBox::Text1, han + han);  // one line 54000 twips wide: its width does not fit 16 bits
    d.Label.find(3)->wordWrap = true;      // as a vertical label
    refused(EditorBox::Text2, han);        // 150 lines of 225 twips: its height does not fit
    d.Label.find(3)->wordWrap = false;
    EXPECT_EQ(d.modified, 0);

    t.ed.text1.visible = true;
    t.ed.text1.text = "流程😀";  // four-byte form: fits
    EXPECT_TRUE(commitEditor(t.ed, EditorBox::Text1));
    EXPECT_FALSE(t.ed.text1.visible);
    EXPECT_EQ(d.Label.find(3)->caption, "流程😀");
}

TEST(LabelEditing, VerticalLabelsUseTheTallBoxAndStay165Wide) {
    TestEditor t;
    Document& d = t.doc;
    insertLabel(t.ed, true);
    cursorAt(t, 2000, 2000);
    timer1Tick(t.ed);
    clickAt(t, 2000, 2000);
    clickAt(t, 2000, 2000);
    ASSERT_TRUE(t.ed.text2.visible);
    EXPECT_FALSE(t.ed.text1.visible);
    t.ed.text2.text = "竖排";
    commitOpenEditors(t.ed);
    EXPECT_EQ(d.Label.find(9)->caption, "竖排");
    EXPECT_EQ(d.Label.find(9)->width, 165);
    EXPECT_EQ(d.Label.find(9)->height, 2 * 225);
}

TEST(LabelEditing, DraggingTheSelectedLabelKeepsItsOffsetAndDoesNotEdit) {
    TestEditor t;
    Document& d = t.doc;
    const LabelEl& number = *d.Label.find(1);  // "编号:" at (400, 400)
    clickAt(t, 450, 450);
    ASSERT_EQ(d.selKind, SelKind::Label);
    d.modified = 0;
    cursorAt(t, 450, 450);
    pointerDown(t.ed, 1, 0, 450, 450);
    EXPECT_TRUE(t.host.timer1);
    cursorAt(t, 1455, 960);  // whole pixels: 1005 right, 510 down
    timer1Tick(t.ed);
    pointerMove(t.ed, 1, 0, 1455, 960);
    pointerUp(t.ed, 1, 0, 1455, 960);
    EXPECT_EQ(number.left, 1405);
    EXPECT_EQ(number.top, 910);
    EXPECT_FALSE(t.ed.text1.visible);
    EXPECT_EQ(d.modified, -1);

    // A press on a label that is not selected starts no drag.
    pointerDown(t.ed, 1, 0, d.Label.find(3)->left + 5, d.Label.find(3)->top + 5);
    EXPECT_FALSE(t.host.timer1);
}

TEST(LabelEditing, ClickingAnotherLabelCommitsTheOpenEditorFirst) {
    TestEditor t;
    Document& d = t.doc;
    const LabelEl& a = *d.Label.find(3);
    const LabelEl& b = *d.Label.find(5);
    clickAt(t, a.left + 5, a.top + 5);
    clickAt(t, a.left + 5, a.top + 5);
    ASSERT_TRUE(t.ed.text1.visible);
    t.ed.text1.text = "作者";
    clickAt(t, b.left + 5, b.top + 5);
    EXPECT_EQ(a.caption, "作者");
    EXPECT_EQ(d.selIndex, 5);
    EXPECT_FALSE(t.ed.text1.visible);
}

TEST(LabelEditing, RightPressSelectsTheLabelThenOpensTheMenu) {
    TestEditor t;
    Document& d = t.doc;
    insertShape(t.ed, ShapeStyle::Rectangle);
    canvasPress(t.ed, 1, 0, 225, 225);
    ASSERT_EQ(d.selKind, SelKind::Shape);
    const LabelEl& l = *d.Label.find(6);
    // The menu takes the release, so the press alone selects.
    cursorAt(t, l.left + 5, l.top + 5);
    pointerDown(t.ed, 2, 0, l.left + 5, l.top + 5);
    EXPECT_EQ(t.host.menuPopups, 1);
    EXPECT_EQ(d.selKind, SelKind::Label);
    EXPECT_EQ(d.selIndex, 6);
    EXPECT_FALSE(looksSelected(d, {Part::Shape1, 1}));
}

TEST(LabelEditing, APressOnALabelEndsThePolylineBeingDrawn) {
    TestEditor t;
    Document& d = t.doc;
    insertPolylineArrow(t.ed);
    canvasMove(t.ed, 0, 0, 1000, 1000);
    canvasPress(t.ed, 1, 0, 1000, 1000);
    canvasRelease(t.ed, 1, 0, 1000, 1000);
    canvasMove(t.ed, 0, 0, 4000, 1000);
    const LabelEl& l = *d.Label.find(3);
    clickAt(t, l.left + 5, l.top + 5);
    EXPECT_FALSE(d.lneTemp.visible);
    EXPECT_EQ(d.arrowRec[1].count(), 1);
    EXPECT_TRUE(d.picRight.visible(1)) << "the arrow got its head";
    EXPECT_EQ(d.selKind, SelKind::Label);
}

TEST(Snap, ReachIsStrictAndShapesComeFirst) {
    TestEditor t;
    Document& d = t.doc;
    insertShape(t.ed, ShapeStyle::Rectangle);
    canvasMove(t.ed, 0, 0, 1000, 1000);  // divider at y 1607.5, left point (1000, 1607.5)
    insertShape(t.ed, ShapeStyle::Rectangle);
    canvasMove(t.ed, 0, 0, 1050, 1000);
    const auto left = snapTarget(d, 1099, 1608);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->x, 1000) << "the lower index wins";
    EXPECT_EQ(left->y, 1608);
    EXPECT_FALSE(snapTarget(d, 1150, 1608));  // 100 from shape 2's left point: out of reach
    EXPECT_FALSE(snapTarget(d, 1000, 1708));

    insertDiamond(t.ed);
    canvasMove(t.ed, 0, 0, 960, 1000);  // left vertex (960, 1600)
    EXPECT_EQ(snapTarget(d, 990, 1600)->x, 1000) << "any shape wins over any diamond";

    d.Shape1.setVisible(1, false);
    d.Shape1.setVisible(2, false);
    EXPECT_EQ(snapTarget(d, 990, 1600)->x, 960) << "hidden shapes never attract";
    EXPECT_EQ(snapTarget(d, 960 + 1200, 1010)->y, 1000) << "the diamond's top vertex";
}

TEST(Snap, AFlatRectangleOffersOnlyItsSidePoints) {
    TestEditor t;
    Document& d = t.doc;
    insertShape(t.ed, ShapeStyle::Rectangle);
    canvasMove(t.ed, 0, 0, 1000, 1000);
    d.Shape1.find(1)->height = 100;  // divider at 1607.5 stays: near the top too
    d.LineRect.find(1)->y1 = 1050;
    const auto p = snapTarget(d, 1000 + 1965 / 2, 1000);
    EXPECT_FALSE(p) << "near the divider level only left and right are tried";
}

TEST(Snap, TheTimerMovesTheCursorOnlyWhileDrawingAndWhenAllowed) {
    TestEditor t;
    insertShape(t.ed, ShapeStyle::Rectangle);
    canvasMove(t.ed, 0, 0, 1500, 1500);
    canvasPress(t.ed, 1, 0, 1500, 1500);
    cursorAt(t, 1530, 2100);  // near the left point (1500, 2107.5)
    timer2Tick(t.ed);
    EXPECT_EQ(t.host.cursorSets, 0) << "nothing is drawn";
    insertPolylineArrow(t.ed);
    t.host.snapAllowed = false;
    timer2Tick(t.ed);
    EXPECT_EQ(t.host.cursorSets, 0) << "a dialog is open or another window is in front";
    t.host.snapAllowed = true;
    timer2Tick(t.ed);
    EXPECT_EQ(t.host.cursorSets, 1);
    EXPECT_EQ(t.host.screenToCanvas(t.host.cursor).x, 100);
    EXPECT_EQ(t.host.screenToCanvas(t.host.cursor).y, 141);  // 2108 / 15, rounded
}

TEST(Snap, ZoomedInTheCursorIsReadAndPulledInScreenPixelsOfTheZoomedCanvas) {
    TestEditor t;
    insertShape(t.ed, ShapeStyle::Rectangle);
    canvasMove(t.ed, 0, 0, 1500, 1500);
    canvasPress(t.ed, 1, 0, 1500, 1500);  // left point (1500, 2107.5)
    insertPolylineArrow(t.ed);
    t.host.snapAllowed = true;
    t.ed.twipsPerScreenPixel = 3.75f;  // 400%: the pull reaches 25 twips
    t.host.cursor = t.host.canvasToScreen({408, 568});  // (1530, 2130) twips
    timer2Tick(t.ed);
    EXPECT_EQ(t.host.cursorSets, 0) << "30 twips away is out of reach";
    t.host.cursor = t.host.canvasToScreen({404, 565});  // (1515, 2118.75)
    timer2Tick(t.ed);
    EXPECT_EQ(t.host.cursorSets, 1);
    EXPECT_EQ(t.host.screenToCanvas(t.host.cursor).x, 400);
    EXPECT_EQ(t.host.screenToCanvas(t.host.cursor).y, 562);  // 2108 / 3.75, rounded
}

TEST(Arrowheads, ADragThatBeginsOnAHeadReachesTheCanvas) {
    TestEditor t;
    Document& d = t.doc;
    insertStraightArrow(t.ed, Dir::Right);
    canvasMove(t.ed, 0, 0, 1000, 1000);  // tip at (2200, 1000), head 2050..2200
    canvasPress(t.ed, 1, 0, 1000, 1000);
    canvasRelease(t.ed, 1, 0, 1000, 1000);
    canvasPress(t.ed, 1, 0, 1500, 1000);
    ASSERT_EQ(d.selKind, SelKind::Arrow);
    // The tip handle lies half under the head: the press there grabs it.
    pointerDown(t.ed, 1, kShift, 2190, 1000);
    EXPECT_EQ(d.selKind, SelKind::DraggingVertex);
    pointerMove(t.ed, 1, 0, 2190, 3000);
    pointerUp(t.ed, 1, 0, 2190, 3000);
    EXPECT_EQ(d.selKind, SelKind::Arrow);
    EXPECT_EQ(d.Line1.find(1)->y2, 3000);
    EXPECT_TRUE(d.picDown.visible(1));
    EXPECT_GT(t.host.canvasFocusCount, 0);
}

// Tab reaches every text the keyboard fills in: the number field and the title,
// the elements, the table and its cells row by row; typing opens the selected
// one's box, and in a shape's box Tab goes on to its other text.
TEST(Keyboard, TabVisitsTheTitleBlockTextsAndBothTextsOfAShape) {
    TestEditor t;
    Document& d = t.doc;
    insertShape(t.ed, ShapeStyle::Rectangle);
    test::drop(t.ed, 1000, 1000);
    clearSelection(t.ed);
    const auto label = [](int i) { return ElementRef{ElementKind::Label, i}; };
    const std::vector<ElementRef> order{label(kNumberLabel), label(kTitleLabel), {ElementKind::Shape, 1},
                                        {ElementKind::TitleBlock, 0}, label(3), label(6), label(4), label(7),
                                        label(5), label(8)};
    std::vector<ElementRef> visited;
    for (size_t k = 0; k <= order.size(); ++k) {
        selectNextElement(t.ed, 1);
        visited.push_back(selectedElements(d).at(0));
    }
    EXPECT_EQ(std::vector<ElementRef>(visited.begin(), visited.end() - 1), order);
    EXPECT_EQ(visited.back(), order.front()) << "round from the last to the first";
    selectNextElement(t.ed, -1);
    EXPECT_EQ(selectedElements(d).at(0), order.back());

    selectElement(t.ed, ElementKind::Label, kNumberLabel);
    ASSERT_TRUE(openSelectedText(t.ed));
    EXPECT_EQ(d.editLabel, kNumberLabel);
    EXPECT_EQ(t.ed.text1.keptPrefix, std::string(kNumberPrefix).size()) << "the cursor after the prefix";
    ASSERT_TRUE(commitOpenEditors(t.ed));
    selectElement(t.ed, ElementKind::TitleBlock, 0);
    ASSERT_TRUE(openSelectedText(t.ed));
    EXPECT_EQ(d.editLabel, cellLabel(0, 1));
    ASSERT_TRUE(commitOpenEditors(t.ed));

    const ShapeRecord& r = d.shapeRec[1];
    d.Label.setVisible(r.label2, false);
    selectElement(t.ed, ElementKind::Shape, 1);
    ASSERT_TRUE(openSelectedText(t.ed));
    t.ed.text1.text = "上";
    EXPECT_TRUE(editNextText(t.ed, 1));
    EXPECT_EQ(d.Label.find(r.label1)->caption, "上");
    EXPECT_EQ(d.editLabel, r.label2);
    EXPECT_TRUE(t.ed.text1.visible);
    EXPECT_TRUE(d.Label.visible(r.label2)) << "a hidden lower text shows";
    t.ed.text1.text = "下";
    EXPECT_TRUE(editNextText(t.ed, -1));
    EXPECT_EQ(d.Label.find(r.label2)->caption, "下");
    EXPECT_EQ(d.editLabel, r.label1);
    EXPECT_EQ(d.selKind, SelKind::Shape);
    ASSERT_TRUE(commitOpenEditors(t.ed));
    selectElement(t.ed, ElementKind::Label, kTitleLabel);
    ASSERT_TRUE(openSelectedText(t.ed));
    EXPECT_FALSE(editNextText(t.ed, 1)) << "the title has no next text: Tab leaves the box";
}

}  // namespace
}  // namespace qm
