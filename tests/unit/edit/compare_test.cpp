// The compare: one drawing, a series of edits, and the list a reviewer reads.
#include <gtest/gtest.h>

#include "edit/compare_words.h"
#include "edit/insert.h"
#include "interact/deleting.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "io/document_io.h"
#include "model/chart_elements.h"
#include "model/labels.h"
#include "model/relayout.h"
#include "model/sel_kind.h"
#include "model/title_block.h"
#include "model/vocabulary.h"
#include "unit/support/fakes.h"
#include "unit/support/reduced_editor.h"

namespace qm {
namespace {

void drop(Editor& ed, float x, float y, int button = 1) {
    canvasMove(ed, 0, 0, x, y);
    canvasPress(ed, button, 0, x, y);
    canvasRelease(ed, button, 0, x, y);
}

using test::addLabel;

std::vector<std::string> lines(const Document& older, const Document& newer) {
    const Comparison c = compareDrawings(older, newer);
    std::vector<std::string> out;
    for (const Change& change : c.changes) out.push_back(describeChange(c, change, kEnglishWords));
    return out;
}

// Rectangle 1, ellipse 2, diamond 1, a straight arrow 1 and a polyline arrow 2,
// and a free label 15.
struct Drawing : test::TestEditor {
    Drawing() {
        insertShape(ed, ShapeStyle::Rectangle);
        drop(ed, 1500, 1500);
        insertShape(ed, ShapeStyle::Oval);
        drop(ed, 4500, 1500);
        insertDiamond(ed);
        drop(ed, 1500, 4500);
        insertStraightArrow(ed, Dir::Down);
        drop(ed, 7500, 1500);
        insertPolylineArrow(ed);
        drop(ed, 9000, 1500);
        drop(ed, 9000, 3000);
        drop(ed, 10500, 3000, 2);
        addLabel(ed, "说明", 6000, 6000);
        clearSelection(ed);
    }
};

TEST(Compare, EveryKindOfChangeTitleBlockFirstThenByElement) {
    Drawing t;
    Document& d = t.doc;
    const Document older = d;
    EXPECT_TRUE(compareDrawings(older, d).same());
    ASSERT_EQ(d.labelCount, 15);

    setCaption(*d.Label.find(2), "报销流程", t.metrics);
    setCaption(*d.Label.find(7), "李四", t.metrics);
    layoutTitleBlock(d, 11500 + 150, 8000);  // its cells follow the frame and are not reported as moved
    moveShapeTo(d, 1, d.Shape1.find(1)->left + 150, d.Shape1.find(1)->top - 75);
    layoutOwnShapeTexts(d, 1);  // its texts move with it and are not reported on their own
    d.Shape1.find(2)->left -= 300;  // resized by its top-left corner: not also a move
    d.Shape1.find(2)->width += 300;
    setCaption(*d.Label.find(d.shapeRec[2].label1), "结束", t.metrics);
    selectElement(t.ed, ElementKind::Diamond, 1);
    deleteSelection(t.ed);
    d.Line1.find(1)->y2 += 450;  // the straight arrow's tip: a changed point
    for (int k = 1; k <= d.arrowRec[2].segmentCount(); ++k) {  // the polyline carried whole
        LineEl& l = *d.Line1.find(d.arrowRec[2].slot[k]);
        l.x1 += 30, l.x2 += 30;
    }
    d.picRight.find(2)->left += 30;
    setCaption(*d.Label.find(15), "说明 \"二\"", t.metrics);
    d.Label.find(15)->left += 7;  // less than a pixel is still a move
    insertShape(t.ed, ShapeStyle::Rectangle);
    drop(t.ed, 9000, 6000);

    EXPECT_EQ(lines(older, d), (std::vector<std::string>{
        R"(标题: text "单击这里添加标题" → "报销流程")",
        R"(审核: text "单击添加审核" → "李四")",
        "标题栏: moved by (10, 0) px to (776.67, 533.33)",
        "rectangle 1: moved by (10, -5) px to (110, 95)",
        "ellipse 2: resized from 131×81 to 151×81 px, at (280, 100)",
        R"(ellipse 2: upper text "单击这里添加文本" → "结束")",
        "rectangle 3: added at (600, 400) size 131×81 \"单击这里添加文本\" / \"单击这里添加文本\"",
        "diamond 1: deleted, was at (100, 300) size 160×80 \"添加文本\" / \"添加文本\"",
        "arrow 1: points (500, 100) (500, 180) → (500, 100) (500, 210)",
        "arrow 2: moved by (2, 0) px to (602, 100)",
        R"(label 15: moved by (0.47, 0) px to (400.47, 400))",
        R"(label 15: text "说明" → "说明 \"二\"")",
    }));
    // What a save stores, whole twips, is what is compared: the file just saved is the same drawing.
    const std::string bytes = encodeDocument(d, Layout::Quillmap).value();
    const Document saved = decodeDocument(bytes, Layout::Quillmap, t.metrics).value();
    EXPECT_TRUE(compareDrawings(saved, d).same());
}

TEST(Compare, ElementsAreMatchedByKindAndIndexAndHiddenOnesAreAbsent) {
    Drawing t;
    Document& d = t.doc;
    const Document older = d;
    // Deleted and drawn again: another index, so not a move.
    selectElement(t.ed, ElementKind::Shape, 1);
    deleteSelection(t.ed);
    insertShape(t.ed, ShapeStyle::Rectangle);
    drop(t.ed, 1500, 1500);
    // An ellipse where a rectangle was is another element; a label dropped on a
    // shape is a label of its own, the shape's texts are not.
    d.Shape1.find(2)->style = static_cast<int16_t>(ShapeStyle::Rectangle);
    addLabel(t.ed, "注", d.Shape1.find(2)->left + 100, d.Shape1.find(2)->top + 100);
    const std::string texts = R"("单击这里添加文本" / "单击这里添加文本")";
    EXPECT_EQ(lines(older, d), (std::vector<std::string>{
        "rectangle 1: deleted, was at (100, 100) size 131×81 " + texts,
        "ellipse 2: deleted, was at (300, 100) size 131×81 " + texts,
        "rectangle 2: added at (300, 100) size 131×81 " + texts,
        "rectangle 3: added at (100, 100) size 131×81 " + texts,
        R"(label 18: added at (306.67, 106.67) "注")",
    }));

    // Without a title block (a qmp drawing) labels 1 to 8 are labels like any other.
    test::ReducedEditor r;
    const Document empty = r.doc;
    addLabel(r.ed, "一", 300, 300);
    EXPECT_EQ(lines(empty, r.doc), (std::vector<std::string>{"label 1: added at (20, 20) \"一\""}));
}

// The compare, the accessible canvas and the keyboard's list ask one vocabulary:
// a circle is an ellipse, a word-wrapped label a vertical label, and an arrow
// whose first segment is hidden is still there while the painter draws the rest.
TEST(Compare, NamesAndPresenceAreThoseOfEveryOtherReader) {
    Drawing t;
    Document& d = t.doc;
    d.Shape1.find(2)->style = 3;
    d.Label.find(15)->wordWrap = true;
    d.Line1.find(d.arrowRec[2].slot[1])->visible = false;
    const std::vector<ChartElement> compared = comparedElements(d);
    std::vector<std::string> names;
    std::vector<ElementRef> refs;
    for (const ChartElement& e : compared) {
        if (e.kind == ChartKind::TitleText || e.kind == ChartKind::TitleRow) continue;
        names.push_back(elementName(e, kChineseWords));
        const ElementKind kind = e.kind == ChartKind::TitleBlock                                ? ElementKind::TitleBlock
                                 : e.kind == ChartKind::Diamond                                 ? ElementKind::Diamond
                                 : e.kind == ChartKind::Arrow                                   ? ElementKind::Arrow
                                 : e.kind == ChartKind::Label || e.kind == ChartKind::VerticalLabel ? ElementKind::Label
                                                                                                : ElementKind::Shape;
        refs.push_back({kind, e.index});
    }
    EXPECT_EQ(names, (std::vector<std::string>{"标题栏", "矩形 1", "椭圆 2", "菱形 1", "箭头 1", "箭头 2", "竖向标签 15"}));
    std::vector<ElementRef> listed = chartElements(d);
    std::sort(listed.begin(), listed.end());
    std::sort(refs.begin(), refs.end());
    EXPECT_EQ(listed, refs);
    EXPECT_EQ(userKind(d, {ElementKind::Shape, 2}), UserKind::Ellipse);
}

}  // namespace
}  // namespace qm
