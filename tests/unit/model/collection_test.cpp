#include <gtest/gtest.h>

#include "model/collection.h"
#include "model/elements.h"

namespace qm {

TEST(Collection, CreateCopiesTheTemplateHiddenAndRefusesExistingIndices) {
    ShapeEl t;
    t.left = 225;
    t.width = 1965;
    t.visible = true;
    Collection<ShapeEl> c(t);
    ASSERT_EQ(c.create(3), ElemStatus::Ok);
    ASSERT_NE(c.find(3), nullptr);
    EXPECT_EQ(c.find(3)->left, 225);
    EXPECT_FALSE(c.find(3)->visible);
    c.find(3)->left = 10;
    EXPECT_EQ(c.create(3), ElemStatus::AlreadyExists);
    EXPECT_EQ(c.find(3)->left, 10) << "a refused create must not reset the element";
    EXPECT_FALSE(c.exists(2));
    EXPECT_EQ(c.templ().left, 225);
}

TEST(Collection, MissingIndicesAndTheTemplateAreNeverReachedAsElements) {
    Collection<LineEl> c;
    EXPECT_EQ(c.find(0), nullptr);
    EXPECT_EQ(c.find(-1), nullptr);
    EXPECT_EQ(c.find(40000), nullptr);
    EXPECT_EQ(c.create(0), ElemStatus::NoSuchElement);
    EXPECT_EQ(c.create(kMaxIndex + 1), ElemStatus::NoSuchElement);
    EXPECT_EQ(c.destroy(5), ElemStatus::NoSuchElement);
    EXPECT_FALSE(c.setVisible(5, true));
    ASSERT_EQ(c.create(kMaxIndex), ElemStatus::Ok);
    EXPECT_EQ(c.destroy(kMaxIndex), ElemStatus::Ok);
    EXPECT_FALSE(c.exists(kMaxIndex));
    EXPECT_EQ(c.end(), 1);
}

TEST(Collection, ElementsStayPutWhileOthersAreCreatedAndDestroyed) {
    Collection<LabelEl> c;
    ASSERT_EQ(c.create(1), ElemStatus::Ok);
    LabelEl& first = *c.find(1);
    first.caption = "first";
    for (int i = 2; i <= 5000; ++i) c.create(i);
    for (int i = 5000; i >= 2; --i) c.destroy(i);
    EXPECT_EQ(&first, c.find(1));
    EXPECT_EQ(first.caption, "first");
}

}  // namespace qm
