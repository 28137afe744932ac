#include <gtest/gtest.h>

#include "model/labels.h"
#include "model/title_block.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::TestEditor;

TEST(TitleBlock, TableArithmeticAtTheDefaultCorner) {
    TestEditor t;
    const Document& d = t.doc;
    EXPECT_EQ(d.Shape2.left, 11500);
    EXPECT_EQ(d.Shape2.top, 8000);
    EXPECT_EQ(d.Line2.x1, 12430);
    EXPECT_EQ(d.Line2.x2, 12430);
    EXPECT_EQ(d.Line2.y1, 8000);
    EXPECT_EQ(d.Line2.y2, 9365);
    EXPECT_EQ(d.Line3.y1, 8455);
    EXPECT_EQ(d.Line3.x2, 14290);
    EXPECT_EQ(d.Line4.y1, 8910);

    // "审核" (2 chars, 9pt: 360 x 225) centred in the caption cell of the middle row.
    const LabelEl& review = *d.Label.find(4);
    EXPECT_FLOAT_EQ(review.left, 11500 + 930 / 2.0f - 180);
    EXPECT_FLOAT_EQ(review.top, 8455 + 455 / 2.0f - 112.5f);
    // "单击添加依据" (6 chars: 1080) in the value cell of the bottom row.
    const LabelEl& basis = *d.Label.find(8);
    EXPECT_FLOAT_EQ(basis.left, 12430 + 1860 / 2.0f - 540);
    EXPECT_FLOAT_EQ(basis.top, 8910 + 455 / 2.0f - 112.5f);
}

TEST(TitleBlock, MovingTheFrameCarriesDividersAndCellLabelsAlong) {
    TestEditor t;
    Document& d = t.doc;
    std::vector<std::pair<float, float>> before;
    for (int i = 3; i <= 8; ++i) before.emplace_back(d.Label.find(i)->left, d.Label.find(i)->top);
    layoutTitleBlock(d, 11500 - 1000, 8000 - 300);
    EXPECT_EQ(d.Line2.x1, 12430 - 1000);
    EXPECT_EQ(d.Line3.y1, 8455 - 300);
    EXPECT_EQ(d.Line4.x1, 10500);
    for (int i = 3; i <= 8; ++i) {
        EXPECT_FLOAT_EQ(d.Label.find(i)->left, before[i - 3].first - 1000) << i;
        EXPECT_FLOAT_EQ(d.Label.find(i)->top, before[i - 3].second - 300) << i;
    }
    EXPECT_EQ(titleBlockCellLabel(d, 10600, 7750), 3);
    EXPECT_EQ(titleBlockCellLabel(d, 12000, 8800), 8);
}

TEST(Labels, SizeFollowsTheTextAndWordWrapKeepsTheWidth) {
    test::FakeMetrics m;
    LabelEl l;
    l.fontSize = 9;
    setCaption(l, "abc", m);
    EXPECT_EQ(l.width, 270);
    EXPECT_EQ(l.height, 225);
    setWordWrap(l, true, 165, m);
    EXPECT_EQ(l.width, 165);
    EXPECT_EQ(l.height, 3 * 225) << "one character per line in a narrow label";
    setCaption(l, "竖向文字", m);
    EXPECT_EQ(l.width, 165);
    EXPECT_EQ(l.height, 4 * 225);
}

}  // namespace
}  // namespace qm
