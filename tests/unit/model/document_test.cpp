#include <gtest/gtest.h>

#include "model/document.h"

namespace qm {
namespace {

TEST(Document, RecordsExistForIndices1To255Only) {
    Document d;
    EXPECT_EQ(d.shapeRecord(1), &d.shapeRec[1]);
    EXPECT_EQ(d.diamondRecord(255), &d.diamondRec[255]);
    EXPECT_EQ(d.arrowRecord(255), &d.arrowRec[255]);
    for (int i : {-1, 0, 256, 32767}) {
        EXPECT_EQ(d.shapeRecord(i), nullptr) << i;
        EXPECT_EQ(d.diamondRecord(i), nullptr) << i;
        EXPECT_EQ(d.arrowRecord(i), nullptr) << i;
    }
}

TEST(Document, TheChangedMarkIsKeptAsMinusOneOrZero) {
    Document d;
    EXPECT_FALSE(d.isModified());
    d.setModified(true);
    EXPECT_EQ(d.modified, -1);
    EXPECT_TRUE(d.isModified());
    d.setModified(false);
    EXPECT_EQ(d.modified, 0);
}

}  // namespace
}  // namespace qm
