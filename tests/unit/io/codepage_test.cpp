#include <gtest/gtest.h>

#include <algorithm>

#include "io/binary.h"
#include "io/codepage.h"

namespace qm {
namespace {

std::string enc(std::string_view utf8) {
    auto r = encodeDocumentText(utf8);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().describe());
    return r.ok() ? r.value() : std::string();
}

std::string dec(std::string_view bytes) {
    auto r = decodeDocumentText(bytes);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().describe());
    return r.ok() ? r.value() : std::string();
}

TEST(Codepage, GbkTextsAreTheBytesAGbkSystemWrites) {
    EXPECT_EQ(enc("宋体"), "\xCB\xCE\xCC\xE5");
    EXPECT_EQ(enc("黑体"), "\xBA\xDA\xCC\xE5");
    EXPECT_EQ(enc("编号:"), "\xB1\xE0\xBA\xC5:");
    EXPECT_EQ(enc("流程开始").size(), 8u);
    EXPECT_EQ(enc("A\n\t\x01"), "A\n\t\x01");
    EXPECT_EQ(enc(std::string("a\0b", 3)), std::string("a\0b", 3));
    // Code page 936 has the euro sign as the single byte 0x80.
    EXPECT_EQ(enc("€"), "\x80");
    EXPECT_EQ(dec("\x80"), "€");
    EXPECT_EQ(dec("\xCB\xCE\xCC\xE5"), "宋体");
    EXPECT_EQ(enc(""), "");
}

TEST(Codepage, CharactersGbkLacksTakeTheGb18030FormAndComeBack) {
    EXPECT_EQ(enc("😀"), "\x94\x39\xFC\x36");
    EXPECT_EQ(dec("\x94\x39\xFC\x36"), "😀");
    // An extension-B ideograph and a tag character, which glibc's CP936 would drop.
    for (const char* s : {"𠀀", "\xF3\xA0\x80\x81", "ǹ", "ḿ", "完成 😀 𠀀 ok"}) {
        const std::string b = enc(s);
        EXPECT_FALSE(b.empty()) << s;
        EXPECT_EQ(dec(b), s);
    }
    EXPECT_EQ(enc("𠀀").size(), 4u);
}

TEST(Codepage, WhatCannotBeStoredOrReadIsAnErrorWithItsOffset) {
    // Private-use characters that GB18030 has no code for.
    auto r = encodeDocumentText("ab\xEE\x9E\x8D");  // U+E78D
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().offset, 2u);
    EXPECT_NE(r.error().message.find("U+E78D"), std::string::npos);

    for (auto [bad, at] : std::initializer_list<std::pair<std::string_view, uint64_t>>{
             {"ok\xC3", 2}, {"ok\xC3(", 2}, {"\xE6\xB5", 0}, {"a\xED\xA0\x80", 1}, {"\xC0\x80", 0}, {"x\xFF", 1}}) {
        auto e = encodeDocumentText(bad);
        ASSERT_FALSE(e.ok()) << bad;
        EXPECT_EQ(e.error().offset, at) << bad;
    }
    for (auto [bad, at] : std::initializer_list<std::pair<std::string_view, uint64_t>>{
             {"ab\xFF", 2},              // no character starts with FF
             {"\xCB\xCE\xCC", 2},        // ends inside a character
             {"\xCB\x0A", 0},            // a lead byte without its trail byte
             {"\xCB\x7F", 0},            // 7F is never a trail byte
             {"xy\x94\x39\xFC", 2},      // a four-byte form cut short
             {"\x84\x31\xA5\x30", 0}}) {  // past the end of GB18030's four-byte range
        auto d = decodeDocumentText(bad);
        ASSERT_FALSE(d.ok()) << ::testing::PrintToString(bad);
        EXPECT_EQ(d.error().offset, at) << ::testing::PrintToString(bad);
    }
}

// Every character the reader accepts is written back as the very same bytes, so an
// opened file saved again is unchanged. The exceptions are a handful of characters
// GB18030 has a second code for (A2E3 for the euro sign, which code page 936 writes
// as 80; four-byte forms of ideographs it also has as two bytes): their text is kept
// and they are written in code page 936's form.
TEST(Codepage, EveryAcceptedSequenceEncodesBackToItself) {
    int accepted2 = 0, accepted4 = 0;
    std::vector<std::string> changed;
    const auto check = [&](const std::string& s, int& accepted) {
        auto d = decodeDocumentText(s);
        if (!d) return;
        ++accepted;
        auto e = encodeDocumentText(*d);
        ASSERT_TRUE(e.ok()) << ::testing::PrintToString(s);
        if (*e == s) return;
        changed.push_back(s);
        EXPECT_EQ(dec(*e), *d) << ::testing::PrintToString(s);
    };
    // Two-byte characters are read from what reading them once learnt: the second
    // reading must agree with the first.
    const auto twice = [](const std::string& s) {
        const auto first = decodeDocumentText(s), second = decodeDocumentText(s);
        ASSERT_EQ(first.ok(), second.ok()) << ::testing::PrintToString(s);
        if (first) {
            EXPECT_EQ(*first, *second) << ::testing::PrintToString(s);
        }
    };
    for (int a = 0x81; a <= 0xFE; ++a)
        for (int b = 0x40; b <= 0xFE; ++b) {
            twice({static_cast<char>(a), static_cast<char>(b)});
            check({static_cast<char>(a), static_cast<char>(b)}, accepted2);
        }
    for (int a = 0x81; a <= 0xFE; ++a)
        for (int b = 0x30; b <= 0x39; ++b)
            for (int c = 0x81; c <= 0xFE; ++c)
                for (int e4 = 0x30; e4 <= 0x39; ++e4)
                    check({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), static_cast<char>(e4)},
                          accepted4);
    EXPECT_LE(changed.size(), 8u);
    EXPECT_NE(std::find(changed.begin(), changed.end(), "\xA2\xE3"), changed.end());
    EXPECT_GT(accepted2, 21000);  // GBK's double-byte characters and more
    EXPECT_GT(accepted4, 1000000);
}

TEST(IoBinary, LittleEndianValuesAndBoundsWithOffsets) {
    ByteWriter w;
    w.i16(-2);
    w.i32(0x01020304);
    w.f32(10.5f);
    w.u16(65535);
    EXPECT_EQ(w.data(), std::string("\xFE\xFF\x04\x03\x02\x01\x00\x00\x28\x41\xFF\xFF", 12));

    ByteReader r(w.data());
    int16_t a = 0;
    int32_t b = 0;
    float c = 0;
    uint16_t d = 0;
    ASSERT_TRUE(r.i16(a) && r.i32(b) && r.f32(c) && r.u16(d));
    EXPECT_EQ(a, -2);
    EXPECT_EQ(b, 0x01020304);
    EXPECT_EQ(c, 10.5f);
    EXPECT_EQ(d, 65535);
    EXPECT_EQ(r.remaining(), 0u);

    ByteReader shortOne(std::string_view("\x01\x02\x03", 3));
    ASSERT_TRUE(shortOne.i16(a));
    EXPECT_FALSE(shortOne.i32(b, "lastLeft"));
    ASSERT_TRUE(shortOne.failed());
    EXPECT_EQ(shortOne.error().offset, 2u);
    EXPECT_NE(shortOne.error().message.find("lastLeft"), std::string::npos);
    EXPECT_EQ(shortOne.pos(), 2u) << "a failed read consumes nothing";
    EXPECT_FALSE(shortOne.i16(a)) << "the first error sticks";
}

}  // namespace
}  // namespace qm
