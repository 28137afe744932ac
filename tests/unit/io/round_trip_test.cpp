// Drawings saved and opened again, compared element by element and record by record.
#include <gtest/gtest.h>

#include "model/relayout.h"
#include "io/codepage.h"
#include "io/document_build.h"
#include "io/document_io.h"
#include "model/labels.h"
#include "model/rounding.h"
#include "model/title_block.h"
#include "unit/io/sample_documents.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::TestEditor;

// Geometry goes through the file as rounded 16-bit integers.
float stored(float v) { return roundI16Sat(v); }

void expectSameLine(const LineEl& a, const LineEl& b, const std::string& what) {
    EXPECT_EQ(stored(a.x1), b.x1) << what;
    EXPECT_EQ(stored(a.y1), b.y1) << what;
    EXPECT_EQ(stored(a.x2), b.x2) << what;
    EXPECT_EQ(stored(a.y2), b.y2) << what;
    EXPECT_EQ(a.visible, b.visible) << what;
}

template <class Rec>
void expectSameInner(const Rec& a, const Rec& b, const std::string& what) {
    EXPECT_EQ(a.label1, b.label1) << what;
    EXPECT_EQ(a.label2, b.label2) << what;
    EXPECT_EQ(a.innerCount, b.innerCount) << what;
    EXPECT_EQ(a.innerLabel, b.innerLabel) << what;
    EXPECT_EQ(a.innerDX, b.innerDX) << what;
    EXPECT_EQ(a.innerDY, b.innerDY) << what;
}

// `b` is `a` saved in the quillmap layout and opened again.
void expectSameDrawing(const Document& a, const Document& b) {
    ASSERT_EQ(a.shapeCount, b.shapeCount);
    ASSERT_EQ(a.labelCount, b.labelCount);
    ASSERT_EQ(a.segCount, b.segCount);
    ASSERT_EQ(a.arrowCount, b.arrowCount);
    ASSERT_EQ(a.diamondCount, b.diamondCount);
    for (int i = 1; i <= a.shapeCount; ++i) {
        const std::string w = "shape " + std::to_string(i);
        const ShapeEl &x = *a.Shape1.find(i), &y = *b.Shape1.find(i);
        EXPECT_EQ(stored(x.left), y.left) << w;
        EXPECT_EQ(stored(x.top), y.top) << w;
        EXPECT_EQ(stored(x.width), y.width) << w;
        EXPECT_EQ(stored(x.height), y.height) << w;
        EXPECT_EQ(x.visible, y.visible) << w;
        EXPECT_EQ(x.style, y.style) << w;
        expectSameLine(*a.LineRect.find(i), *b.LineRect.find(i), w + " divider");
        const ShapeRecord &r = a.shapeRec[static_cast<size_t>(i)], &s = b.shapeRec[static_cast<size_t>(i)];
        EXPECT_EQ(r.selfIndex, s.selfIndex) << w;
        EXPECT_EQ(r.moved, s.moved) << w;
        EXPECT_EQ(r.lastLeft, s.lastLeft) << w;
        EXPECT_EQ(r.lastTop, s.lastTop) << w;
        EXPECT_EQ(r.shapeType, s.shapeType) << w;
        expectSameInner(r, s, w);
    }
    for (int i = 1; i <= a.labelCount; ++i) {
        const std::string w = "label " + std::to_string(i);
        const LabelEl &x = *a.Label.find(i), &y = *b.Label.find(i);
        EXPECT_EQ(stored(x.left), y.left) << w;
        EXPECT_EQ(stored(x.top), y.top) << w;
        EXPECT_EQ(x.width, y.width) << w;
        EXPECT_EQ(x.height, y.height) << w;
        EXPECT_EQ(x.visible, y.visible) << w;
        EXPECT_EQ(x.caption, y.caption) << w;
        EXPECT_EQ(x.wordWrap, y.wordWrap) << w;
        EXPECT_EQ(x.fontName, y.fontName) << w;
        EXPECT_EQ(x.fontSize, y.fontSize) << w;
        const LabelReserveRecord none{};
        EXPECT_EQ(static_cast<size_t>(i) < a.labelRec.size() ? a.labelRec[static_cast<size_t>(i)] : none,
                  b.labelRec.at(static_cast<size_t>(i)))
            << w;
    }
    for (int i = 1; i <= a.segCount; ++i)
        expectSameLine(*a.Line1.find(i), *b.Line1.find(i), "segment " + std::to_string(i));
    for (int i = 1; i <= a.arrowCount; ++i) {
        EXPECT_EQ(a.arrowRec[static_cast<size_t>(i)].slot, b.arrowRec[static_cast<size_t>(i)].slot) << i;
        for (int d = 0; d < 4; ++d) {
            const std::string w = "arrow " + std::to_string(i) + " head " + std::to_string(d);
            const PictureEl* x = a.heads(d)->find(i);
            const PictureEl* y = b.heads(d)->find(i);
            ASSERT_NE(y, nullptr) << w << ": all four pictures exist after opening";
            EXPECT_EQ(x ? stored(x->left) : 0.0f, y->left) << w;
            EXPECT_EQ(x ? stored(x->top) : 0.0f, y->top) << w;
            EXPECT_EQ(x && x->visible, y->visible) << w;
        }
    }
    for (int i = 1; i <= a.diamondCount; ++i) {
        const std::string w = "diamond " + std::to_string(i);
        for (int k = 0; k < 5; ++k) {
            const LineEl &x = *a.diamondLines()[static_cast<size_t>(k)]->find(i);
            const LineEl &y = *b.diamondLines()[static_cast<size_t>(k)]->find(i);
            EXPECT_TRUE(x.x1 == y.x1 && x.y1 == y.y1 && x.x2 == y.x2 && x.y2 == y.y2) << w << " lx" << k + 1;
            EXPECT_EQ(x.visible, y.visible) << w;
        }
        const DiamondRecord &r = a.diamondRec[static_cast<size_t>(i)], &s = b.diamondRec[static_cast<size_t>(i)];
        EXPECT_EQ(r.width, s.width) << w;
        EXPECT_EQ(r.height, s.height) << w;
        EXPECT_EQ(r.x, s.x) << w;
        EXPECT_EQ(r.y, s.y) << w;
        expectSameInner(r, s, w);
    }
    EXPECT_EQ(a.Shape2.left, b.Shape2.left);
    EXPECT_EQ(a.Shape2.top, b.Shape2.top);
    expectSameLine(a.Line2, b.Line2, "Line2");
    expectSameLine(a.Line3, b.Line3, "Line3");
    expectSameLine(a.Line4, b.Line4, "Line4");
    EXPECT_EQ(b.modified, 0);
}

Document reopened(const Document& d, const TextMetrics& m, Layout l = Layout::Quillmap) {
    auto bytes = encodeDocument(d, l);
    EXPECT_TRUE(bytes.ok()) << bytes.error().describe();
    auto back = decodeDocument(bytes.ok() ? *bytes : std::string(), l, m);
    EXPECT_TRUE(back.ok()) << back.error().describe();
    return back.ok() ? std::move(back).value() : Document();
}

TEST(IoRoundTrip, EveryElementKindComesBackFieldByField) {
    TestEditor t;
    test::addEveryKind(t.doc, t.metrics);
    t.doc.modified = -1;
    const Document back = reopened(t.doc, t.metrics);
    expectSameDrawing(t.doc, back);

    // Spot checks of what the comparison takes for granted.
    EXPECT_FALSE(back.Shape1.visible(2)) << "the deleted ellipse comes back hidden at its index";
    EXPECT_EQ(back.Shape1.find(2)->style, 2);
    const LabelEl& vertical = *back.Label.find(14);
    EXPECT_TRUE(vertical.wordWrap);
    EXPECT_EQ(vertical.width, 165) << "a word-wrapped label keeps its width";
    EXPECT_EQ(vertical.height, 4 * 225) << "and sizes its height to the text";
    EXPECT_EQ(back.Label.find(15)->caption, "完成 😀 𠀀");
    EXPECT_TRUE(back.picDown.visible(1));
    EXPECT_FALSE(back.picUp.visible(1));
    EXPECT_FALSE(back.picUp.visible(3)) << "the deleted arrow's head stays hidden";
    EXPECT_EQ(back.Shape2.left, 10000);
    EXPECT_EQ(back.Line2.x1, 10930);
}

TEST(IoRoundTrip, SavingAnOpenedFileAgainGivesTheSameBytes) {
    TestEditor t;
    test::addEveryKind(t.doc, t.metrics);
    for (Layout l : {Layout::Quillmap, Layout::Qmp}) {
        auto first = encodeDocument(t.doc, l);
        ASSERT_TRUE(first.ok()) << first.error().describe();
        auto doc = decodeDocument(*first, l, t.metrics);
        ASSERT_TRUE(doc.ok()) << doc.error().describe();
        auto second = encodeDocument(*doc, l);
        ASSERT_TRUE(second.ok());
        EXPECT_EQ(*first, *second);
    }
}

TEST(IoRoundTrip, LabelsStayWhereTheFileSaysEvenWhenDiamondOffsetsAreStale) {
    TestEditor t;
    test::addEveryKind(t.doc, t.metrics);
    Document& d = t.doc;
    // The diamond's inner label was moved by something else since its list was built.
    const int inner = d.diamondRec[1].innerLabel[1];
    d.Label.find(inner)->left = 200;
    d.Label.find(inner)->top = 300;
    const float textLeft = d.Label.find(d.diamondRec[1].label1)->left;
    const Document back = reopened(d, t.metrics);
    EXPECT_EQ(back.Label.find(inner)->left, 200);
    EXPECT_EQ(back.Label.find(inner)->top, 300);
    EXPECT_EQ(back.Label.find(back.diamondRec[1].label1)->left, stored(textLeft));
    EXPECT_EQ(back.diamondRec[1].innerDX[1], 100) << "the stale offsets themselves are kept";
}

// Text that measures wider or taller than 16 bits (a file from elsewhere, other
// fonts) opens whole, its label no larger than the file holds: it saves again.
TEST(IoRoundTrip, ALabelLargerThanTheFileHoldsOpensWithItsTextAndSavesAgain) {
    TestEditor t;
    std::string han;
    for (int k = 0; k < 200; ++k) han += "流";
    Document d = t.doc;
    d.Label.find(1)->caption = han;  // one line, 36000 twips wide
    LabelEl& tall = *d.Label.find(2);
    tall.caption = han;  // a line for each character: 200 lines
    tall.wordWrap = true;
    tall.width = 165;
    const Document back = reopened(d, t.metrics);
    EXPECT_EQ(back.Label.find(1)->caption, han);
    EXPECT_EQ(back.Label.find(1)->width, kMaxLabelExtent);
    EXPECT_EQ(back.Label.find(2)->caption, han);
    EXPECT_EQ(back.Label.find(2)->width, 165);
    EXPECT_EQ(back.Label.find(2)->height, kMaxLabelExtent);
    EXPECT_TRUE(encodeDocument(back, Layout::Quillmap).ok());
}

TEST(IoRoundTrip, WhatTheFileCannotHoldIsRefusedAndNothingIsEncoded) {
    TestEditor t;
    test::addEveryKind(t.doc, t.metrics);
    const auto refused = [&](const Document& d, const std::string& part) {
        auto r = encodeDocument(d, Layout::Quillmap);
        ASSERT_FALSE(r.ok()) << part;
        EXPECT_NE(r.error().message.find(part), std::string::npos) << r.error().message;
    };
    Document d = t.doc;
    d.Shape1.find(1)->left = 32767.5f;  // rounds to 32768
    refused(d, "shape 1: left");
    d = t.doc;
    d.Line1.find(2)->y2 = -40000;
    refused(d, "segment 2: y2");
    d = t.doc;
    d.diamondRec[2].width = 40000;
    refused(d, "diamond 2: width 40000");
    d = t.doc;
    d.Label.find(9)->caption.assign(65534, 'x');
    d.Label.find(9)->caption += "中";
    refused(d, "label 9: caption takes 65536 bytes");
    d = t.doc;
    d.Label.find(9)->caption = std::string(32768, 'x') + std::string(32768, 'y');
    refused(d, "label 9");
    d = t.doc;
    d.Label.find(10)->caption = "bad \xFF";
    refused(d, "label 10: caption");
    d = t.doc;
    d.shapeCount = 256;
    refused(d, "shapeCount 256");
    d = t.doc;
    d.Label.find(3)->fontSize = 1e6f;
    refused(d, "label 3: font size");

    // The reduced layout has no sizes, so a size out of range does not matter there.
    d = t.doc;
    d.Shape1.find(1)->width = 1e9f;
    EXPECT_TRUE(encodeDocument(d, Layout::Qmp).ok());
    EXPECT_FALSE(encodeDocument(d, Layout::Quillmap).ok());
}

TEST(IoRoundTrip, MissingElementsAndRecordsAreWrittenAsZeros) {
    TestEditor t;
    Document& d = t.doc;
    d.labelCount = 10;  // labels 9 and 10 were never created
    d.arrowCount = 1;   // an arrow without any picture
    d.arrowRec[1].count() = 0;
    auto bytes = encodeDocument(d, Layout::Quillmap);
    ASSERT_TRUE(bytes.ok());
    auto raw = parseRawDocument(*bytes, Layout::Quillmap);
    ASSERT_TRUE(raw.ok());
    ASSERT_EQ(raw->labels.size(), 10u);
    EXPECT_EQ(raw->labels[9].entry.caption, "");
    EXPECT_EQ(raw->labels[9].entry.visible, 0);
    EXPECT_EQ(raw->labels[9].reserve, LabelReserveRecord{});
    for (const PictureEntry& p : raw->arrows[0].heads.pictures) EXPECT_EQ(p.left | p.top | p.visible, 0);

    auto back = decodeDocument(*bytes, Layout::Quillmap, t.metrics);
    ASSERT_TRUE(back.ok()) << back.error().describe();
    EXPECT_TRUE(back->Label.exists(10));
    EXPECT_FALSE(back->Label.visible(10));
    EXPECT_TRUE(back->picRight.exists(1));
}

TEST(ReducedLayout, EveryReducedKindComesBackWithTheFixedSizes) {
    TestEditor t;
    Document d;  // the reduced editor starts empty
    test::addEveryReducedKind(d, t.metrics);
    auto bytes = encodeDocument(d, Layout::Qmp);
    ASSERT_TRUE(bytes.ok()) << bytes.error().describe();
    // 10 bytes of counts; 36 per shape; 24 + caption per label; 10 per segment;
    // 544 per arrow; 10 per diamond.
    size_t labels = 0;
    for (int i = 1; i <= d.labelCount; ++i) labels += 24 + encodeDocumentText(d.Label.find(i)->caption)->size();
    EXPECT_EQ(bytes->size(), 10u + 36 * 2 + labels + 10 * 3 + 544 * 2 + 10 * 2);

    auto back = decodeDocument(*bytes, Layout::Qmp, t.metrics);
    ASSERT_TRUE(back.ok()) << back.error().describe();
    const Document& b = *back;
    ASSERT_EQ(b.shapeCount, 2);
    EXPECT_EQ(b.Shape1.find(1)->width, 1965);
    EXPECT_EQ(b.Shape1.find(1)->height, 1215);
    EXPECT_EQ(b.Shape1.find(1)->left, d.Shape1.find(1)->left);
    EXPECT_FALSE(b.Shape1.visible(2));
    EXPECT_EQ(b.shapeRec[1].lastLeft, d.shapeRec[1].lastLeft);
    EXPECT_EQ(b.shapeRec[1].label2, d.shapeRec[1].label2);
    for (int i = 1; i <= d.labelCount; ++i) {
        EXPECT_EQ(b.Label.find(i)->caption, d.Label.find(i)->caption);
        EXPECT_EQ(b.Label.find(i)->fontName, "宋体");
        EXPECT_EQ(b.Label.find(i)->width, d.Label.find(i)->width);
        EXPECT_EQ(b.Label.find(i)->left, stored(d.Label.find(i)->left));
        EXPECT_EQ(b.Label.find(i)->visible, d.Label.find(i)->visible);
    }
    EXPECT_EQ(b.arrowRec[1].slot, d.arrowRec[1].slot);
    EXPECT_FALSE(b.Line1.visible(3));
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(b.diamondRec[static_cast<size_t>(i)].width, 2400);
        EXPECT_EQ(b.diamondRec[static_cast<size_t>(i)].height, 1200);
        EXPECT_EQ(b.diamondRec[static_cast<size_t>(i)].x, 7000);
        EXPECT_EQ(b.lx3.find(i)->x1, 9400) << "laid out 2400 wide";
        EXPECT_EQ(b.lx3.find(i)->y2, d.diamondRec[static_cast<size_t>(i)].y + 1200);
    }
    EXPECT_FALSE(b.lx5.visible(2));
    EXPECT_FALSE(b.Shape2.visible) << "no title block in the reduced editor";
    EXPECT_EQ(b.modified, 0);
}

TEST(ReducedLayout, EmptyDocumentAndLeftoverBytes) {
    TestEditor t;
    Document empty;
    auto bytes = encodeDocument(empty, Layout::Qmp);
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(*bytes, std::string(10, '\0'));
    EXPECT_TRUE(decodeDocument(*bytes, Layout::Qmp, t.metrics).ok());
    auto extra = decodeDocument(*bytes + "x", Layout::Qmp, t.metrics);
    ASSERT_FALSE(extra.ok());
    EXPECT_EQ(extra.error().offset, 10u);
    EXPECT_FALSE(decodeDocument(bytes->substr(0, 9), Layout::Qmp, t.metrics).ok());
}

}  // namespace
}  // namespace qm
