// Files that are damaged or break the format's rules: each is refused with an error
// naming the byte where the fault lies, and nothing is built from it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "io/document_io.h"
#include "unit/io/sample_documents.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::TestEditor;

void setI16(std::string& b, size_t at, int16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

class IoMalformed : public ::testing::Test {
protected:
    IoMalformed() {
        test::addEveryKind(t.doc, t.metrics);
        full = *encodeDocument(t.doc, Layout::Quillmap);
        raw = *parseRawDocument(full, Layout::Quillmap);
        fresh = *encodeDocument(TestEditor().doc, Layout::Quillmap);
    }

    // The offset of the error that refuses `bytes`; fails the test when accepted.
    uint64_t refusedAt(const std::string& bytes, Layout l = Layout::Quillmap) {
        auto r = decodeDocument(bytes, l, t.metrics);
        EXPECT_FALSE(r.ok());
        if (r.ok()) return UINT64_MAX;
        EXPECT_TRUE(r.error().offset.has_value()) << r.error().message;
        EXPECT_FALSE(r.error().message.empty());
        return r.error().offset.value_or(UINT64_MAX);
    }

    uint64_t refusedAt(const RawDocument& changed) { return refusedAt(*encodeRawDocument(changed)); }

    bool accepted(const RawDocument& changed) {
        auto r = decodeDocument(*encodeRawDocument(changed), changed.layout, t.metrics);
        EXPECT_TRUE(r.ok()) << r.error().describe();
        return r.ok();
    }

    TestEditor t;
    std::string full, fresh;
    RawDocument raw;
};

TEST_F(IoMalformed, TruncatedAtEveryOffset) {
    for (size_t n = 0; n < raw.end; ++n) {
        const uint64_t at = refusedAt(full.substr(0, n));
        ASSERT_LE(at, n) << "cut at " << n;
    }
    Document reduced;
    test::addEveryReducedKind(reduced, t.metrics);
    const std::string small = *encodeDocument(reduced, Layout::Qmp);
    for (size_t n = 0; n < small.size(); ++n) ASSERT_LE(refusedAt(small.substr(0, n), Layout::Qmp), n) << n;
}

TEST_F(IoMalformed, CountsPastTheDataAndNegativeCounts) {
    const size_t shapeCount = 257, labelCount = 259, segCount = fresh.size() - 16, arrowCount = fresh.size() - 14,
                 diamondCount = fresh.size() - 12;
    for (size_t at : {shapeCount, labelCount, segCount, arrowCount, diamondCount}) {
        std::string b = fresh;
        setI16(b, at, -1);
        EXPECT_EQ(refusedAt(b), at);
        setI16(b, at, 300);
        EXPECT_EQ(refusedAt(b), at) << "300 items cannot fit in what remains";
    }
    std::string b = fresh;
    setI16(b, shapeCount, 256);
    EXPECT_EQ(refusedAt(b + std::string(256 * 1578, '\0')), shapeCount) << "at most 255 shapes";
    b = fresh;
    setI16(b, labelCount, 9);  // one label more than there is
    EXPECT_GE(refusedAt(b), 261u);
}

TEST_F(IoMalformed, TextLengthsPastTheData) {
    std::string b = fresh;
    setI16(b, 269, -1);  // label 1's caption: 65535 bytes
    EXPECT_EQ(refusedAt(b), 269u);
    b = fresh;
    setI16(b, 269 + 2 + 5 + 6, 30000);  // its font name
    EXPECT_EQ(refusedAt(b), 282u);
    b = fresh;
    setI16(b, 269 + 2 + 5 + 6 + 2 + 4 + 14, 1000);  // its reserved text
    EXPECT_EQ(refusedAt(b), 302u);
}

TEST_F(IoMalformed, ShapeRules) {
    RawDocument r = raw;
    r.shapes[0].entry.style = 6;
    EXPECT_EQ(refusedAt(r), 259u + 6);
    r = raw;
    r.shapes[0].entry.style = -1;
    EXPECT_EQ(refusedAt(r), 259u + 6);
    r = raw;
    r.shapes[0].entry.style = 5;
    EXPECT_TRUE(accepted(r));
    r = raw;
    r.shapes[1].entry.height = -1;
    EXPECT_EQ(refusedAt(r), 259u + 1578 + 10);
    r = raw;
    r.shapes[0].record.label2 = static_cast<int16_t>(raw.labels.size() + 1);
    EXPECT_EQ(refusedAt(r), 259u + 22 + 14);
    r = raw;
    r.shapes[0].record.innerCount = 256;
    EXPECT_EQ(refusedAt(r), 259u + 22 + 18);
    r = raw;
    r.shapes[0].record.innerLabel[1] = -2;
    EXPECT_EQ(refusedAt(r), 259u + 22 + 20 + 2);

    // What the editor's own files may hold: label 0 for "none", stale entries
    // past innerCount, records that were never filled in.
    r = raw;
    r.shapes[0].record.label1 = 0;
    r.shapes[0].record.innerLabel[2] = 9999;
    r.shapes[0].record.innerDX[200] = -32768;
    r.shapes[0].record.shapeType = 77;
    EXPECT_TRUE(accepted(r));
}

TEST_F(IoMalformed, ArrowAndDiamondRules) {
    const uint64_t arrow = raw.arrows[0].at;
    RawDocument r = raw;
    r.arrows[0].record.count() = 256;
    EXPECT_EQ(refusedAt(r), arrow + 512);
    r = raw;
    r.arrows[0].record.slot[2] = 0;
    EXPECT_EQ(refusedAt(r), arrow + 4);
    r = raw;
    r.arrows[0].record.slot[3] = static_cast<int16_t>(raw.segments.size() + 1);
    EXPECT_EQ(refusedAt(r), arrow + 6);
    r = raw;
    r.arrows[0].record.drawCursor() = 257;
    r.arrows[0].record.direction() = 99;
    r.arrows[0].record.head() = -4;
    r.arrows[0].record.slot[200] = -1;
    r.arrows[0].record.slot[0] = 12345;
    EXPECT_TRUE(accepted(r)) << "the drawing cursor, head and stale slots may hold anything";

    const uint64_t diamond = raw.diamonds[1].at;
    r = raw;
    r.diamonds[1].record.label2 = -3;
    EXPECT_EQ(refusedAt(r), diamond + 10 + 2);
    r = raw;
    r.diamonds[1].record.innerCount = 1;
    r.diamonds[1].record.innerLabel[1] = 32000;
    EXPECT_EQ(refusedAt(r), diamond + 10 + 22 + 2);
}

TEST_F(IoMalformed, TextsThatAreNotGbkOrGb18030) {
    RawDocument r = raw;
    r.labels[0].entry.caption = "ab\xFF";
    EXPECT_EQ(refusedAt(r), raw.labels[0].at + 8 + 2 + 2);
    r = raw;
    r.labels[1].entry.fontName = "\xCB";
    const uint64_t font = raw.labels[1].at + 8 + 2 + raw.labels[1].entry.caption.size() + 6;
    EXPECT_EQ(refusedAt(r), font + 2);
    // Reserved texts are bytes nobody interprets.
    r = raw;
    r.labels[1].reserve.text = "\xFF\xFF\x00";
    EXPECT_TRUE(accepted(r));
}

TEST_F(IoMalformed, TitleBlockPositionMustFit) {
    for (float v : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 32767.5f,
                    -40000.0f}) {
        RawDocument r = raw;
        r.titleBlockTop = v;
        EXPECT_EQ(refusedAt(r), raw.end - 4) << v;
        r = raw;
        r.titleBlockLeft = v;
        EXPECT_EQ(refusedAt(r), raw.end - 8) << v;
    }
    RawDocument r = raw;
    r.titleBlockLeft = 10000.5f;  // rounds half to even
    auto d = decodeDocument(*encodeRawDocument(r), Layout::Quillmap, t.metrics);
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d->Shape2.left, 10000);
}

// Random damage never crashes the reader, and every refusal names a byte inside the data.
TEST_F(IoMalformed, RandomDamageIsRefusedOrReadNeverCrashes) {
    std::mt19937 gen(20240607);
    Document reduced;
    test::addEveryReducedKind(reduced, t.metrics);
    const std::string small = *encodeDocument(reduced, Layout::Qmp);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        const bool qmp = round % 2 == 1;
        std::string b = qmp ? small : full;
        const int flips = 1 + static_cast<int>(gen() % 8);
        for (int k = 0; k < flips; ++k) b[gen() % b.size()] = static_cast<char>(gen());
        auto r = decodeDocument(b, qmp ? Layout::Qmp : Layout::Quillmap, t.metrics);
        if (!r.ok()) {
            ++refused;
            ASSERT_TRUE(r.error().offset.has_value()) << r.error().message;
            ASSERT_LE(*r.error().offset, b.size());
        }
    }
    EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace qm
