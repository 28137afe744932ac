// The file layout checked byte by byte against the format's tables, independently
// of the codec's own description of it.
#include <gtest/gtest.h>

#include <cstring>

#include "io/document_io.h"
#include "model/labels.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::TestEditor;

int16_t i16At(const std::string& b, size_t at) {
    return static_cast<int16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

float f32At(const std::string& b, size_t at) {
    uint32_t u = 0;
    for (int k = 3; k >= 0; --k) u = u << 8 | static_cast<unsigned char>(b[at + static_cast<size_t>(k)]);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

void setI16(std::string& b, size_t at, int16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

std::string encoded(const Document& d, Layout l = Layout::Quillmap) {
    auto r = encodeDocument(d, l);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().describe());
    return r.ok() ? *r : std::string();
}

TEST(IoLayout, NewDocumentSavedAtOnceByteByByte) {
    TestEditor t;
    const std::string b = encoded(t.doc);
    // 275 bytes of header, counts and title block position, plus eight labels of
    // 34 bytes and their texts: captions 5+16+6+4+4+14+12+12 bytes, fonts 8 x 4.
    ASSERT_EQ(b.size(), 275u + 8 * 34 + 73 + 32);
    EXPECT_EQ(b.substr(0, 255), "QMP" + std::string(252, ' '));
    EXPECT_EQ(i16At(b, 255), 1) << "version";
    EXPECT_EQ(i16At(b, 257), 0) << "shape count";
    EXPECT_EQ(i16At(b, 259), 8) << "label count";

    // Label 1, "编号:" at 12 pt: Left, Top, Height, Width, caption, Visible,
    // word wrap, font size, font name, then 16 zero bytes of reserved record.
    size_t at = 261;
    EXPECT_EQ(i16At(b, at), 400);
    EXPECT_EQ(i16At(b, at + 2), 400);
    EXPECT_EQ(i16At(b, at + 4), 300) << "height comes before width";
    EXPECT_EQ(i16At(b, at + 6), 600);
    EXPECT_EQ(i16At(b, at + 8), 5);
    EXPECT_EQ(b.substr(at + 10, 5), "\xB1\xE0\xBA\xC5:");
    EXPECT_EQ(i16At(b, at + 15), -1) << "visible";
    EXPECT_EQ(i16At(b, at + 17), 0) << "word wrap";
    EXPECT_EQ(i16At(b, at + 19), 12) << "font size";
    EXPECT_EQ(i16At(b, at + 21), 4);
    EXPECT_EQ(b.substr(at + 23, 4), "\xCB\xCE\xCC\xE5");
    EXPECT_EQ(b.substr(at + 27, 16), std::string(16, '\0'));
    at += 43;
    // Label 2, the title in "黑体", centred at 7207.5 + 75 - 1120, stored half to even.
    EXPECT_EQ(i16At(b, at), 6162);
    EXPECT_EQ(i16At(b, at + 8), 16);
    EXPECT_EQ(i16At(b, at + 10 + 16 + 6), 4);
    EXPECT_EQ(b.substr(at + 10 + 16 + 8, 4), "\xBA\xDA\xCC\xE5");

    const size_t tail = b.size() - 16;
    EXPECT_EQ(i16At(b, tail), 0) << "segment count";
    EXPECT_EQ(i16At(b, tail + 2), 0) << "arrow count";
    EXPECT_EQ(i16At(b, tail + 4), 0) << "diamond count";
    EXPECT_EQ(f32At(b, tail + 8), 11500.0f);
    EXPECT_EQ(f32At(b, tail + 12), 8000.0f);
}

TEST(IoLayout, EntriesAndRecordsOfEachKindAtTheirOffsets) {
    TestEditor t;
    Document& d = t.doc;
    d.labelCount = 0;
    d.Label.clear();
    d.shapeCount = 1;
    d.Shape1.create(1);
    ShapeEl& s = *d.Shape1.find(1);
    s.left = 2.5f, s.top = 3.5f, s.width = 1965, s.height = 1215, s.style = 2;
    d.LineRect.create(1);
    LineEl& div = *d.LineRect.find(1);
    div.x1 = 1, div.y1 = 2, div.x2 = 3, div.y2 = 4;
    d.shapeRec[1].lastLeft = 70000;
    d.shapeRec[1].innerCount = 1;
    d.shapeRec[1].innerDY[255] = -7;
    d.segCount = 1;
    d.Line1.create(1);
    LineEl& seg = *d.Line1.find(1);
    seg.x1 = 10, seg.y1 = 20, seg.x2 = 30, seg.y2 = 40, seg.visible = true;
    d.arrowCount = 1;
    d.arrowRec[1].slot[1] = 1;
    d.arrowRec[1].count() = 1;
    d.arrowRec[1].drawCursor() = 257;
    d.picLeft.create(1);
    d.picLeft.find(1)->left = 500, d.picLeft.find(1)->top = 600, d.picLeft.find(1)->visible = true;
    d.diamondCount = 1;
    d.lx1.create(1);
    d.lx1.find(1)->x1 = 100, d.lx1.find(1)->y2 = 200;
    d.diamondRec[1].width = 2400, d.diamondRec[1].height = 1200, d.diamondRec[1].y = -5;

    const std::string b = encoded(d);
    ASSERT_EQ(b.size(), 275u + 1578 + 10 + 544 + 1568);
    size_t at = 259;  // the shape entry
    EXPECT_EQ(i16At(b, at), 2) << "2.5 rounds to even";
    EXPECT_EQ(i16At(b, at + 2), 4) << "3.5 rounds to even";
    EXPECT_EQ(i16At(b, at + 4), 0) << "hidden";
    EXPECT_EQ(i16At(b, at + 6), 2) << "oval";
    EXPECT_EQ(i16At(b, at + 8), 1965);
    EXPECT_EQ(i16At(b, at + 10), 1215);
    EXPECT_EQ(i16At(b, at + 12), 1) << "X1";
    EXPECT_EQ(i16At(b, at + 14), 3) << "X2 before Y1";
    EXPECT_EQ(i16At(b, at + 16), 2);
    EXPECT_EQ(i16At(b, at + 18), 4);
    at += 22;  // the record
    EXPECT_EQ(i16At(b, at + 4) | i16At(b, at + 6) << 16, 70000);
    EXPECT_EQ(i16At(b, at + 18), 1) << "innerCount";
    EXPECT_EQ(i16At(b, at + 1044 + 255 * 2), -7) << "all 256 slots are written";
    at += 1556;
    EXPECT_EQ(i16At(b, at), 0) << "label count";
    EXPECT_EQ(i16At(b, at + 2), 1) << "segment count";
    EXPECT_EQ(i16At(b, at + 4), 10);
    EXPECT_EQ(i16At(b, at + 6), 20) << "Y1 before X2 in a segment";
    EXPECT_EQ(i16At(b, at + 12), -1);
    at += 14;
    EXPECT_EQ(i16At(b, at), 1) << "arrow count";
    at += 2;  // the record comes before the arrowhead entry
    EXPECT_EQ(i16At(b, at + 2), 1);
    EXPECT_EQ(i16At(b, at + 512), 1) << "count";
    EXPECT_EQ(i16At(b, at + 514), 257) << "drawing cursor";
    at += 520;
    for (int k = 0; k < 12; ++k) {
        const int16_t want = k == 6 ? 500 : k == 7 ? 600 : k == 8 ? -1 : 0;  // only the left picture exists
        EXPECT_EQ(i16At(b, at + 2 * static_cast<size_t>(k)), want) << k;
    }
    at += 24;
    EXPECT_EQ(i16At(b, at), 1) << "diamond count";
    EXPECT_EQ(i16At(b, at + 2), 100);
    EXPECT_EQ(i16At(b, at + 4), 200);
    EXPECT_EQ(i16At(b, at + 8), 2400);
    EXPECT_EQ(i16At(b, at + 10), 1200);
    EXPECT_EQ(i16At(b, at + 12 + 4), 2400) << "record width (i32)";
    EXPECT_EQ(i16At(b, at + 12 + 16), -5) << "record y";
    EXPECT_EQ(i16At(b, at + 12 + 18), -1) << "y's high half";
}

TEST(IoLayout, ChineseCaptionCountsBytesAndFontSizeRoundsHalfToEven) {
    TestEditor t;
    LabelEl& l = *t.doc.Label.find(1);
    setCaption(l, "流程开始", t.metrics);
    setFontSize(l, 10.5f, t.metrics);
    const std::string b = encoded(t.doc);
    EXPECT_EQ(i16At(b, 261 + 8), 8);
    EXPECT_EQ(i16At(b, 261 + 10 + 8 + 4), 10);
    auto back = decodeDocument(b, Layout::Quillmap, t.metrics);
    ASSERT_TRUE(back.ok()) << back.error().describe();
    EXPECT_EQ(back->Label.find(1)->fontSize, 10);
    EXPECT_EQ(back->Label.find(1)->caption, "流程开始");

    setFontSize(l, 11.5f, t.metrics);
    EXPECT_EQ(i16At(encoded(t.doc), 261 + 10 + 8 + 4), 12);
}

TEST(IoLayout, TheTagMustBeExactAndTheVersionIsNotChecked) {
    TestEditor t;
    const std::string good = encoded(t.doc);
    for (size_t k : {0u, 2u, 3u, 100u, 254u}) {
        std::string b = good;
        b[k] = k < 3 ? 'q' : '.';
        auto r = decodeDocument(b, Layout::Quillmap, t.metrics);
        ASSERT_FALSE(r.ok()) << k;
        EXPECT_EQ(r.error().offset, k);
    }
    std::string v2 = good;
    setI16(v2, 255, 2);
    auto r = decodeDocument(v2, Layout::Quillmap, t.metrics);
    ASSERT_TRUE(r.ok()) << r.error().describe();
    EXPECT_EQ(encoded(*r), good) << "read like version 1, and saved as version 1";

    EXPECT_FALSE(decodeDocument("", Layout::Quillmap, t.metrics).ok());
    EXPECT_FALSE(decodeDocument("QMP   ", Layout::Quillmap, t.metrics).ok());
}

TEST(IoLayout, BytesAfterTheTitleBlockPositionAreIgnored) {
    TestEditor t;
    const std::string good = encoded(t.doc);
    auto r = decodeDocument(good + std::string("\xFF\x00garbage", 9), Layout::Quillmap, t.metrics);
    ASSERT_TRUE(r.ok()) << r.error().describe();
    EXPECT_EQ(encoded(*r), good);
}

TEST(IoLayout, NeitherLayoutReadsTheOther) {
    TestEditor t;
    const std::string full = encoded(t.doc);
    Document empty;
    const std::string reduced = encoded(empty, Layout::Qmp);
    EXPECT_EQ(reduced, std::string(10, '\0'));

    auto a = decodeDocument(reduced, Layout::Quillmap, t.metrics);
    ASSERT_FALSE(a.ok());
    EXPECT_EQ(a.error().offset, 0u);
    auto b = decodeDocument(full, Layout::Qmp, t.metrics);
    ASSERT_FALSE(b.ok());
    EXPECT_TRUE(b.error().offset.has_value());
}

}  // namespace
}  // namespace qm
