#include <gtest/gtest.h>

#include "interact/handles.h"
#include "model/relayout.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::addShape;
using test::TestEditor;

TEST(Handles, CornerHandlesAreCreatedOnceAndMovedAfterwards) {
    TestEditor t;
    Document& d = t.doc;
    addShape(d, 1);
    showShapeHandles(t.ed, 1);
    ASSERT_TRUE(d.spHandle.exists(4));
    EXPECT_EQ(d.spHandle.find(1)->left, 225 - 37.5);
    EXPECT_EQ(d.spHandle.find(3)->top, 225 + 1215 - 37.5);
    moveShapeTo(d, 1, 1000, 1000);
    showShapeHandles(t.ed, 1);
    EXPECT_EQ(d.spHandle.find(1)->left, 1000 - 37.5);
    EXPECT_FALSE(d.spHandle.exists(5));
    EXPECT_TRUE(t.host.asked.empty());
}

TEST(Handles, FailuresAreReportedInTheErrorBox) {
    TestEditor t;
    showShapeHandles(t.ed, 9);
    ASSERT_EQ(t.host.asked.size(), 1u);
    EXPECT_EQ(t.host.asked[0].title, "错误");
    EXPECT_EQ(t.host.asked[0].text, "错误号：340\n图形不存在");
    EXPECT_NE(t.host.asked[0].text.find('\n'), std::string::npos);
    EXPECT_EQ(placeHandle(t.doc, 30, 0, 0), ElemStatus::NoSuchElement);
}

TEST(Handles, DiamondCornersComeFromItsRecordBox) {
    TestEditor t;
    DiamondRecord& r = t.doc.diamondRec[2];
    r.x = 2925; r.y = 450; r.width = 2400; r.height = 1200;
    showDiamondHandles(t.ed, 2);
    EXPECT_EQ(t.doc.spHandle.find(2)->left, 5325 - 37.5);
    EXPECT_EQ(t.doc.spHandle.find(4)->top, 1650 - 37.5);
}

}  // namespace
}  // namespace qm
