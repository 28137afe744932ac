// Find and replace as a user meets it: what matches what, the order the hits come
// in, and a replacement of all that is whole or nothing and one undo step.
#include <gtest/gtest.h>

#include "edit/find_replace.h"
#include "edit/insert.h"
#include "edit/undo.h"
#include "interact/selection.h"
#include "model/labels.h"
#include "model/title_block.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

std::vector<std::string> found(std::string_view text, std::string_view pattern, SearchOptions o = {}) {
    std::vector<std::string> out;
    for (const TextMatch& m : TextPattern(pattern, o).matches(text)) out.emplace_back(text.substr(m.begin, m.end - m.begin));
    return out;
}

TEST(FindReplace, WidthAlwaysFoldsCaseOnlyWhenAsked) {
    EXPECT_EQ(found("表ＡＢＣ１２３，财务abc123", "abc123"), (std::vector<std::string>{"ＡＢＣ１２３", "abc123"}));
    EXPECT_EQ(found("ＡＢＣ１２３", "abc123", {.matchCase = true}), std::vector<std::string>{});
    EXPECT_EQ(found("ＡＢＣ１２３", "ABC１23", {.matchCase = true}), std::vector<std::string>{"ＡＢＣ１２３"});
    EXPECT_EQ(found("财务部　审核,财务部 审核", "财务部 审核"), (std::vector<std::string>{"财务部　审核", "财务部 审核"}));
    EXPECT_EQ(found("aaaa", "aa"), (std::vector<std::string>{"aa", "aa"}));  // never overlapping
    EXPECT_TRUE(found("人事", "").empty());
    // A damaged byte is searched as itself, never read past the text.
    EXPECT_EQ(found(std::string("x\xE4y"), "y"), std::vector<std::string>{"y"});
}

struct Chart : test::TestEditor {
    Chart() {
        insertShape(ed, ShapeStyle::Rectangle);
        test::drop(ed, 3000, 6000);  // low on the canvas
        setCaption(*doc.Label.find(doc.shapeRec[1].label1), "财务部审批", metrics);
        setCaption(*doc.Label.find(doc.shapeRec[1].label2), "交财务部", metrics);
        clearSelection(ed);
        right = test::addLabel(ed, "财务部", 9000, 1200);
        left = test::addLabel(ed, "送财务部", 1000, 1200);  // the same height: left comes first
        setCaption(*doc.Label.find(kTitleLabel), "财务部流程", metrics);
    }
    int right = 0, left = 0;
};

TEST(FindReplace, HitsComeInReadingOrderEachWithItsElement) {
    Chart c;
    const std::vector<TextHit> hits = findInChart(c.doc, TextPattern("财务部", {}));
    std::vector<ElementText> order;
    for (const TextHit& h : hits) order.push_back(h.text);
    const ElementRef shape{ElementKind::Shape, 1};
    EXPECT_EQ(order, (std::vector<ElementText>{{{ElementKind::TitleBlock, 0}, kTitleLabel},
                                             {{ElementKind::Label, c.left}, c.left},
                                             {{ElementKind::Label, c.right}, c.right},
                                             {shape, c.doc.shapeRec[1].label1},
                                             {shape, c.doc.shapeRec[1].label2}}));
}

TEST(FindReplace, ReplacingAllIsOneStepAndWholeOrNothing) {
    Chart c;
    startHistory(c.ed, Layout::Quillmap);
    const LabelEl upper = *c.doc.Label.find(c.doc.shapeRec[1].label1);
    const Document before = c.doc;

    // A label wider than the file can hold: nothing changes, and the message names
    // the first text in reading order that could not take it.
    std::string wide;
    for (int k = 0; k < 200; ++k) wide += "长";
    ReplaceOutcome no = replaceAll(c.ed, TextPattern("财务部", {}), wide);
    EXPECT_EQ(no.texts, 0);
    EXPECT_EQ(no.refusal.rfind("标题：", 0), 0u) << no.refusal;
    EXPECT_EQ(c.doc.Label.find(kTitleLabel)->caption, "财务部流程");
    EXPECT_FALSE(c.doc.isModified());

    ReplaceOutcome yes = replaceAll(c.ed, TextPattern("财务部", {}), "计划财务处");
    settle(c.ed);
    EXPECT_EQ(yes.texts, 5);
    EXPECT_TRUE(yes.refusal.empty());
    const LabelEl& now = *c.doc.Label.find(c.doc.shapeRec[1].label1);
    EXPECT_EQ(now.caption, "计划财务处审批");
    // Laid out as after editing in place: wider, and still centred on its shape.
    const ShapeEl& s = *c.doc.Shape1.find(1);
    EXPECT_GT(now.width, upper.width);
    EXPECT_NEAR(now.left + now.width / 2, s.left + s.width / 2, 1);
    EXPECT_EQ(c.doc.Label.find(c.left)->caption, "送计划财务处");

    undo(c.ed);
    for (int i = 1; i <= c.doc.labelCount; ++i) EXPECT_EQ(c.doc.Label.find(i)->caption, before.Label.find(i)->caption);
}

}  // namespace
}  // namespace qm
