// The drawing's history as the user meets it: one step per action, Undo and Redo
// compared by the bytes Save would write, the changed mark, and the bounds.
#include <gtest/gtest.h>

#include <functional>

#include "edit/file_commands.h"
#include "edit/insert.h"
#include "edit/quillmap_commands.h"
#include "edit/undo.h"
#include "interact/arrange.h"
#include "interact/label_editing.h"
#include "interact/pointer.h"
#include "interact/pointer_routing.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "interact/timers.h"
#include "io/document_io.h"
#include "model/sel_kind.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

// An editor with a history, driven as the shell drives it: every event through
// the routing, then settle().
struct Session {
    test::TestEditor t;
    Editor& ed = t.ed;
    explicit Session(HistoryLimits limits = {}) { startHistory(ed, Layout::Quillmap, limits); }

    void run(const std::function<void(Editor&)>& command) {
        command(ed);
        settle(ed);
    }
    void press(float x, float y, int button = 1, int shift = 0) {
        t.host.cursor = t.host.canvasToScreen({static_cast<int32_t>(x / 15), static_cast<int32_t>(y / 15)});
        pointerDown(ed, button, shift, x, y);
        settle(ed);
    }
    void moveTo(float x, float y, int buttons = 1) {
        t.host.cursor = t.host.canvasToScreen({static_cast<int32_t>(x / 15), static_cast<int32_t>(y / 15)});
        pointerMove(ed, buttons, 0, x, y);
        if (t.host.timer1) timer1Tick(ed);
        settle(ed);
    }
    void release(float x, float y, int button = 1) {
        pointerUp(ed, button, 0, x, y);
        settle(ed);
    }
    void click(float x, float y, int button = 1, int shift = 0) {
        press(x, y, button, shift);
        release(x, y, button);
    }
    void drag(float x0, float y0, float x1, float y1) {
        press(x0, y0);
        moveTo((x0 + x1) / 2, (y0 + y1) / 2);
        moveTo(x1, y1);
        release(x1, y1);
    }
    // The centre of selection handle k.
    std::pair<float, float> handle(int k) {
        const HandleEl& h = *ed.doc.handle(k);
        return {h.left + h.width / 2, h.top + h.height / 2};
    }
    std::string bytes() { return encodeDocument(ed.doc, Layout::Quillmap).value(); }
    size_t steps() { return ed.history->steps.steps(); }
};

struct Action {
    const char* what;
    std::function<void(Session&)> act;
};

// One of each kind of user action; each must make exactly one step.
const std::vector<Action>& actions() {
    static const std::vector<Action> all{
        {"insert and drop a rectangle",
         [](Session& s) {
             s.run([](Editor& ed) { insertShape(ed, ShapeStyle::Rectangle); });
             s.moveTo(3000, 2000, 0);
             s.click(3000, 2000);
         }},
        {"drag it", [](Session& s) { s.drag(3500, 2500, 4100, 2800); }},
        {"resize it by a corner",
         [](Session& s) {
             auto [x, y] = s.handle(3);
             s.drag(x, y, x + 900, y + 600);
         }},
        {"draw a polyline arrow",
         [](Session& s) {
             s.run(insertPolylineArrow);
             s.click(7000, 1000);
             s.moveTo(9000, 1000, 0);
             s.click(9000, 1000);
             s.moveTo(9000, 2500, 0);
             s.click(9000, 2500, 2);
         }},
        {"drag one of its vertices",
         [](Session& s) {
             s.click(8000, 1000);
             auto [x, y] = s.handle(0);
             s.drag(x, y, x, y + 450);
         }},
        {"insert and drop a label",
         [](Session& s) {
             s.run([](Editor& ed) { insertLabel(ed, false); });
             s.moveTo(2000, 6000, 0);
             s.click(2000, 6000);
         }},
        {"edit its caption",
         [](Session& s) {
             s.click(2050, 6050);
             s.click(2050, 6050);
             ASSERT_TRUE(s.ed.text1.visible);
             s.ed.text1.text = "开始";
             s.run([](Editor& ed) { commitEditor(ed, EditorBox::Text1); });
         }},
        {"delete a title cell text",
         [](Session& s) {
             const LabelEl& l = *s.ed.doc.Label.find(4);
             s.click(l.left + 10, l.top + 10);
             s.run(deleteCommand);
         }},
        {"reveal it with Shift", [](Session& s) { s.click(11530, 8600, 1, kShift); }},
        {"move the title block", [](Session& s) { s.drag(11530, 8030, 10030, 7030); }},
        {"nudge it with Shift and an arrow key",
         [](Session& s) {
             s.click(4200, 3000);
             s.run([](Editor& ed) { canvasKeyDown(ed, kRightKey, kShift); });
         }},
        {"band the rectangle and the label, then drag both",
         [](Session& s) {
             s.drag(1000, 1500, 6900, 7000);
             ASSERT_EQ(s.ed.doc.selKind, SelKind::Several);
             s.drag(4200, 3000, 4500, 3300);
         }},
        {"align everything left",
         [](Session& s) {
             s.run(selectAll);
             s.run([](Editor& ed) { alignSelection(ed, Alignment::Left); });
         }},
        {"delete the rectangle",
         [](Session& s) {
             s.click(4200, 3000);
             s.run(deleteCommand);
         }},
    };
    return all;
}

TEST(Undo, EveryActionIsOneStepAndUndoRedoGiveBackTheBytesOfEachState) {
    Session s;
    std::vector<std::string> states{s.bytes()};
    for (const Action& a : actions()) {
        a.act(s);
        ASSERT_EQ(s.steps(), states.size()) << a.what;
        EXPECT_TRUE(s.bytes() != states.back()) << a.what;
        states.push_back(s.bytes());
        s.click(14000, 9000);  // only selects: no step
        s.click(4200, 3000);
        ASSERT_EQ(s.steps(), states.size() - 1) << a.what << ", then a click that only selects";
    }
    for (size_t k = states.size() - 1; k-- > 0;) {
        ASSERT_TRUE(canUndo(s.ed));
        s.run(undo);
        EXPECT_TRUE(s.bytes() == states[k]) << "undo back to " << k;
        EXPECT_EQ(s.ed.doc.selKind, SelKind::None);
    }
    EXPECT_FALSE(canUndo(s.ed));
    for (size_t k = 1; k < states.size(); ++k) {
        ASSERT_TRUE(canRedo(s.ed));
        s.run(redo);
        EXPECT_TRUE(s.bytes() == states[k]) << "redo to " << k;
    }
    EXPECT_FALSE(canRedo(s.ed));
    s.run(undo);
    s.run(undo);
    s.run([](Editor& ed) { insertShape(ed, ShapeStyle::Oval); });
    s.click(1000, 5000);
    EXPECT_FALSE(canRedo(s.ed)) << "a new step drops what could have been redone";
    const LabelEl& title = *s.ed.doc.Label.find(2);
    s.press(title.left + 10, title.top + 10, 2);
    EXPECT_EQ(s.t.host.menuPopups, 1);
    EXPECT_TRUE(atRest(s.ed)) << "Undo in the Edit menu of a right press on a label undoes a step";
    EXPECT_EQ(s.steps(), states.size() - 2);
}

TEST(Undo, InTheMiddleOfADragItBacksOutOfTheDrag) {
    Session s;
    actions()[0].act(s);
    const std::string before = s.bytes();
    s.press(3500, 2500);
    s.moveTo(5000, 4000);
    ASSERT_FALSE(atRest(s.ed));
    s.run(undo);
    EXPECT_TRUE(s.bytes() == before);
    s.moveTo(6000, 4000);
    s.release(6000, 4000);
    EXPECT_TRUE(s.bytes() == before) << "what is left of the gesture changes nothing";
    EXPECT_EQ(s.steps(), 1u);
}

TEST(Undo, TheMarkSaysWhetherTheDrawingDiffersFromTheSavedOne) {
    Session s;
    const Document& d = s.ed.doc;
    s.click(14000, 9000);
    s.click(11530, 8030);
    EXPECT_EQ(d.modified, 0) << "clicks that only select change nothing";
    actions()[0].act(s);
    EXPECT_EQ(d.modified, -1);
    markSaved(s.ed);
    actions()[1].act(s);
    EXPECT_EQ(d.modified, -1);
    s.run(undo);
    EXPECT_EQ(d.modified, 0) << "back at the saved state";
    s.run(redo);
    EXPECT_EQ(d.modified, -1);
    s.drag(4100 + 500, 2800 + 500, 3500 + 500, 2500 + 500);
    EXPECT_EQ(d.modified, 0) << "dragged back to where it was saved";
}

TEST(Undo, NewAnsweredNoLeavesNothingToAskAbout) {
    Session s;
    connectFileCommands(s.ed);
    actions()[0].act(s);
    s.t.host.answers = {Answer::No};
    s.run([](Editor& ed) { fileNew(ed); });
    ASSERT_EQ(s.t.host.asked.size(), 1u);
    EXPECT_EQ(s.ed.doc.modified, 0) << "an untouched new drawing";
    EXPECT_FALSE(canUndo(s.ed)) << "New starts an empty history";
    EXPECT_TRUE(closeRequest(s.ed));
    EXPECT_EQ(s.t.host.asked.size(), 1u) << "closing asks nothing";
}

// Esc in each state that can be backed out of.
TEST(Escape, BacksOutOfWhatIsUnderWay) {
    struct Case {
        const char* what;
        std::function<void(Session&)> begin;
        SelKind selKindAfter;
    };
    const std::vector<Case> cases{
        {"a new rectangle following the pointer",
         [](Session& s) {
             s.run([](Editor& ed) { insertShape(ed, ShapeStyle::Oval); });
             s.moveTo(6000, 5000, 0);
         },
         SelKind::None},
        {"a new label following the pointer",
         [](Session& s) {
             s.run([](Editor& ed) { insertLabel(ed, true); });
             s.moveTo(6000, 5000, 0);
         },
         SelKind::None},
        {"a new straight arrow following the pointer",
         [](Session& s) {
             s.run([](Editor& ed) { insertStraightArrow(ed, Dir::Left); });
             s.moveTo(6000, 5000, 0);
         },
         SelKind::None},
        {"a polyline arrow not yet begun", [](Session& s) { s.run(insertPolylineArrow); }, SelKind::None},
        {"a drag with the button held",
         [](Session& s) {
             s.press(3500, 2500);
             s.moveTo(5000, 4000);
         },
         SelKind::Shape},
        {"a resize with the button held",
         [](Session& s) {
             s.click(3500, 2500);
             auto [x, y] = s.handle(1);
             s.press(x, y);
             s.moveTo(x - 600, y - 600);
         },
         SelKind::Shape},
        {"a label dragged with the button held",
         [](Session& s) {
             s.click(11530, 8030);
             const LabelEl& l = *s.ed.doc.Label.find(1);
             s.click(l.left + 10, l.top + 10);
             s.press(l.left + 10, l.top + 10);
             s.moveTo(l.left + 900, l.top + 900);
         },
         SelKind::Label},
    };
    for (const Case& c : cases) {
        Session s;
        actions()[0].act(s);
        s.click(14000, 9000);
        const std::string before = s.bytes();
        c.begin(s);
        ASSERT_FALSE(atRest(s.ed)) << c.what;
        s.run(escape);
        EXPECT_TRUE(s.bytes() == before) << c.what;
        EXPECT_EQ(s.ed.doc.selKind, c.selKindAfter) << c.what;
        s.moveTo(7000, 6000);
        s.release(7000, 6000);
        EXPECT_TRUE(s.bytes() == before) << c.what << ": what is left of the gesture changes nothing";
        EXPECT_EQ(s.steps(), 1u) << c.what;
        EXPECT_EQ(s.ed.doc.modified, -1) << c.what << ": the rectangle is still new";
    }

    // An editor box closes and the caption stays; a polyline arrow already begun
    // ends as the right button would end it.
    Session s;
    s.click(11530 + 10, 8030);
    const LabelEl& number = *s.ed.doc.Label.find(1);
    s.click(number.left + 10, number.top + 10);
    s.click(number.left + 10, number.top + 10);
    ASSERT_TRUE(s.ed.text1.visible);
    s.ed.text1.text = "改了";
    s.run(escape);
    EXPECT_FALSE(s.ed.text1.visible);
    EXPECT_EQ(number.caption, "编号:");
    EXPECT_EQ(s.steps(), 0u);
    s.run(insertPolylineArrow);
    s.click(7000, 1000);
    s.moveTo(9000, 1000, 0);
    s.run(escape);
    EXPECT_EQ(s.ed.doc.selKind, SelKind::None);
    EXPECT_EQ(s.ed.doc.arrowRec[1].count(), 1);
    EXPECT_TRUE(s.ed.doc.heads(Dir::Right).visible(1)) << "its head made";
    EXPECT_EQ(s.steps(), 1u);
}

TEST(Undo, AtTheCollectionLimitsTheLastShapeComesAndGoes) {
    Session s;
    for (int i = 0; i < 255; ++i) {
        s.run([](Editor& ed) { insertShape(ed, ShapeStyle::Rectangle); });
        s.click(100 + 10.0f * static_cast<float>(i), 100);
    }
    ASSERT_EQ(s.ed.doc.shapeCount, 255);
    s.run(undo);
    EXPECT_EQ(s.ed.doc.shapeCount, 254);
    s.run([](Editor& ed) { insertShape(ed, ShapeStyle::Oval); });
    s.click(5000, 5000);
    EXPECT_EQ(s.ed.doc.shapeCount, 255);
    EXPECT_EQ(s.ed.doc.Shape1.find(255)->style, static_cast<int16_t>(ShapeStyle::Oval));
    EXPECT_TRUE(s.t.host.asked.empty());
}

// Bounds: the oldest steps go first, by count and by memory, and memory counts
// each shared block once.
TEST(History, KeepsItsBoundsByDroppingTheOldestSteps) {
    Session s(HistoryLimits{5, uint64_t{1} << 30});
    for (int i = 0; i < 8; ++i) {
        const float y = 8030 - 100.0f * static_cast<float>(i);
        s.drag(11530, y, 11530, y - 100);
    }
    EXPECT_EQ(s.steps(), 5u);
    int undone = 0;
    for (; canUndo(s.ed); ++undone) s.run(undo);
    EXPECT_EQ(undone, 5);
    EXPECT_EQ(s.ed.doc.Shape2.top, 7700) << "as it was five steps ago";

    Document& d = s.ed.doc;
    for (int i = 0; i < 600; ++i) {
        d.Label.create(++d.labelCount);
        d.Label.setVisible(d.labelCount, true);
    }
    CheckpointCoder coder(Layout::Quillmap);
    History shared;
    shared.reset(coder.encode(d).value());
    const uint64_t one = shared.memory();
    History tight(HistoryLimits{1000, one + one / 4});
    tight.reset(coder.encode(d).value());
    for (int k = 1; k <= 8; ++k) {
        d.Label.find(20 * k)->left += 15;
        shared.record(coder.encode(d).value());
        tight.record(coder.encode(d).value());
    }
    EXPECT_EQ(shared.steps(), 8u);
    EXPECT_LT(shared.memory(), one + one / 2) << "eight steps of one text each cost a fraction of one drawing";
    EXPECT_LT(tight.steps(), 8u);
    EXPECT_GT(tight.steps(), 0u);
    EXPECT_LE(tight.memory(), one + one / 4);
    const Checkpoint now = coder.encode(d).value();
    EXPECT_TRUE(tight.current() == now) << "the current state always stays";
}

}  // namespace
}  // namespace qm
