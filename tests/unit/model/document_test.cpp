#include <gtest/gtest.h>

#include <utility>

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

// Records are made as they are written; whoever holds one keeps it meanwhile.
TEST(Document, ARecordStaysPutWhileOthersAreWritten) {
    Document d;
    const Document& seen = d;
    EXPECT_EQ(seen.arrowRec[200], ArrowRecord{}) << "a record nobody wrote reads as zero";
    ShapeRecord& first = d.shapeRec[1];
    first.innerLabel[255] = 7;
    for (int i = 2; i <= kMaxRecordIndex; ++i) d.shapeRec[static_cast<size_t>(i)].label1 = static_cast<int16_t>(i);
    EXPECT_EQ(&first, d.shapeRecord(1));
    EXPECT_EQ(seen.shapeRec[1].innerLabel[255], 7);
    EXPECT_EQ(seen.shapeRecord(200)->label1, 200);
    Document copy = d;
    copy.shapeRec[1].innerLabel[255] = 8;
    EXPECT_EQ(first.innerLabel[255], 7) << "a copy has records of its own";
    EXPECT_EQ(std::as_const(copy).shapeRec[200].label1, 200);
    const Document empty;
    d = empty;
    EXPECT_EQ(seen.shapeRec[200], ShapeRecord{}) << "assigning an empty drawing leaves no record behind";
    EXPECT_THROW(d.diamondRec[kRecordCount], std::out_of_range);
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
