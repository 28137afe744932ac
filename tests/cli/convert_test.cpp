// qmptool convert: a qmp drawing comes out as a quillmap document that the
// quillmap reader opens with every text and position kept; a quillmap document
// comes out as the editor saves it; the input is never written over.
#include <gtest/gtest.h>

#include <filesystem>

#include "drawings.h"
#include "edit/quillmap_commands.h"
#include "io/document_io.h"
#include "tool_run.h"

namespace qm {
namespace {

using test::DrawingEditor;
using test::TempFolder;

test::ToolRun convert(const TempFolder& dir, const std::string& in, const std::string& out) {
    return test::runQmptool({QStringLiteral("convert"), dir.qpath(in), dir.qpath(out)});
}

TEST(Convert, AQmpDrawingOpensInQuillmapWithEveryTextAndPositionAndATitleBlock) {
    DrawingEditor d(Layout::Qmp);
    test::drawEveryReducedKind(d);
    TempFolder dir;
    ASSERT_TRUE(writeQmpDocument(dir.path("old.qmp"), d.doc));
    // The drawing as qmp opens it again: positions in whole twips.
    const Result<Document> reopened = readQmpDocument(dir.path("old.qmp"), d.metrics);
    ASSERT_TRUE(reopened);
    const Document& qmp = *reopened;
    ASSERT_EQ(qmp.Label.find(qmp.shapeRec[1].label1)->caption, "开始");

    const test::ToolRun run = convert(dir, "old.qmp", "新.QMP");
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    const Result<Document> read = readDocument(dir.path("新.QMP"), d.metrics);
    ASSERT_TRUE(read) << read.error().describe();
    const Document& q = *read;
    EXPECT_EQ(q.Label.find(1)->caption, "编号:");
    EXPECT_EQ(q.Label.find(2)->caption, "单击这里添加标题");
    EXPECT_TRUE(q.Shape2.visible);

    constexpr int kTitle = 8;
    ASSERT_EQ(q.labelCount, kTitle + qmp.labelCount);
    for (int i = 1; i <= qmp.labelCount; ++i) {
        const LabelEl &a = *qmp.Label.find(i), &b = *q.Label.find(kTitle + i);
        EXPECT_EQ(b.caption, a.caption) << i;
        EXPECT_EQ(b.left, a.left) << i;
        EXPECT_EQ(b.top, a.top) << i;
        EXPECT_EQ(b.visible, a.visible) << i;
    }
    ASSERT_EQ(q.shapeCount, qmp.shapeCount);
    for (int i = 1; i <= qmp.shapeCount; ++i) {
        const ShapeEl &a = *qmp.Shape1.find(i), &b = *q.Shape1.find(i);
        EXPECT_EQ(b.left, a.left) << i;
        EXPECT_EQ(b.top, a.top) << i;
        EXPECT_EQ(b.style, a.style) << i;
        EXPECT_EQ(b.visible, a.visible) << i;
        EXPECT_EQ(b.width, 1965) << i;
        EXPECT_EQ(q.shapeRec[i].label1, kTitle + qmp.shapeRec[i].label1) << i;
        EXPECT_EQ(q.LineRect.find(i)->y1, qmp.LineRect.find(i)->y1) << i;
    }
    EXPECT_FALSE(q.Shape1.find(3)->visible) << "the deleted rectangle stays deleted";
    ASSERT_EQ(q.diamondCount, 1);
    EXPECT_EQ(q.lx1.find(1)->x1, qmp.lx1.find(1)->x1);
    EXPECT_EQ(q.lx1.find(1)->y2, qmp.lx1.find(1)->y2);
    EXPECT_EQ(q.diamondRec[1].width, 2400);
    EXPECT_EQ(q.diamondRec[1].label1, kTitle + qmp.diamondRec[1].label1);
    ASSERT_EQ(q.segCount, qmp.segCount);
    for (int i = 1; i <= qmp.segCount; ++i) {
        EXPECT_EQ(q.Line1.find(i)->x1, qmp.Line1.find(i)->x1) << i;
        EXPECT_EQ(q.Line1.find(i)->y2, qmp.Line1.find(i)->y2) << i;
    }
    ASSERT_EQ(q.arrowCount, 1);
    EXPECT_EQ(q.arrowRec[1].count(), qmp.arrowRec[1].count());

    // quillmap's Open offers the same conversion: Yes opens it as a new untitled
    // drawing that Save As writes byte for byte as qmptool did.
    DrawingEditor e(Layout::Quillmap);
    e.host.answers = {Answer::Yes};
    e.host.dialogResults = {dir.path("old.qmp"), dir.path("editor.QMP")};
    ASSERT_TRUE(fileOpen(e.ed));
    EXPECT_EQ(e.host.asked.size(), 1u);
    EXPECT_TRUE(e.doc.fileName.empty());
    ASSERT_TRUE(fileSaveAs(e.ed));
    EXPECT_EQ(dir.read("editor.QMP"), dir.read("新.QMP"));
}

TEST(Convert, AQuillmapDocumentComesOutAsTheEditorSavesIt) {
    DrawingEditor d(Layout::Quillmap);
    test::drawEveryKind(d);
    std::string bytes = encodeDocument(d.doc, Layout::Quillmap).value();
    const std::string saved = bytes;
    bytes[255] = 2;  // another version, and bytes after the document: both read, neither kept
    bytes += "trailing";
    TempFolder dir;
    dir.write("in.QMP", bytes);
    ASSERT_EQ(convert(dir, "in.QMP", "out.QMP").exitCode, 0);
    EXPECT_EQ(dir.read("out.QMP"), saved);
    EXPECT_EQ(dir.read("in.QMP"), bytes);
}

TEST(Convert, NeverWritesOverItsInput) {
    DrawingEditor d(Layout::Qmp);
    test::drawEveryReducedKind(d);
    TempFolder dir;
    ASSERT_TRUE(writeQmpDocument(dir.path("old.qmp"), d.doc));
    const std::string original = dir.read("old.qmp");
    namespace fs = std::filesystem;
    fs::create_symlink(dir.path("old.qmp"), dir.path("link.qmp"));
    fs::create_hard_link(dir.path("old.qmp"), dir.path("hard.qmp"));
    fs::create_directory(dir.path("sub"));

    for (const std::string out : {"old.qmp", "link.qmp", "hard.qmp", "sub/../old.qmp"}) {
        const test::ToolRun run = convert(dir, "old.qmp", out);
        EXPECT_EQ(run.exitCode, 1) << out;
        ASSERT_EQ(run.errLines().size(), 1) << run.err.toStdString();
        EXPECT_TRUE(run.errLines()[0].startsWith(QStringLiteral("qmptool: ")));
        EXPECT_TRUE(run.errLines()[0].contains(QStringLiteral("is the input file"))) << run.err.toStdString();
        EXPECT_EQ(dir.read("old.qmp"), original) << out;
    }
    EXPECT_TRUE(fs::is_symlink(dir.path("link.qmp")));
    EXPECT_EQ(dir.files().size(), 3) << "no temporary file left behind";
}

TEST(Convert, AnInputThatDoesNotOpenWritesNothing) {
    DrawingEditor d(Layout::Qmp);
    test::drawEveryReducedKind(d);
    std::string bytes = encodeDocument(d.doc, Layout::Qmp).value();
    bytes[2 + 6] = 9;  // the first shape's style
    TempFolder dir;
    dir.write("bad.qmp", bytes);
    dir.write("keep.QMP", "what was here");
    const test::ToolRun run = convert(dir, "bad.qmp", "keep.QMP");
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.errLines().size(), 1);
    EXPECT_TRUE(run.errLines()[0].startsWith(QStringLiteral("qmptool: \"") + dir.qpath("bad.qmp") +
                                             QStringLiteral("\" is not a valid qmp document: ")));
    EXPECT_TRUE(run.errLines()[0].endsWith(QStringLiteral("(byte 8)"))) << run.err.toStdString();
    EXPECT_EQ(dir.read("keep.QMP"), "what was here");

    EXPECT_EQ(convert(dir, "missing.qmp", "new.QMP").exitCode, 1);
    EXPECT_FALSE(dir.exists("new.QMP"));
}

TEST(Convert, AnOutputThatCannotBeWrittenIsReported) {
    DrawingEditor d(Layout::Qmp);
    test::drawEveryReducedKind(d);
    TempFolder dir;
    ASSERT_TRUE(writeQmpDocument(dir.path("old.qmp"), d.doc));
    const test::ToolRun run = convert(dir, "old.qmp", "no/such/folder/new.QMP");
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.errLines().size(), 1);
    EXPECT_TRUE(run.errLines()[0].startsWith(QStringLiteral("qmptool: cannot save"))) << run.err.toStdString();
}

// qmp allows as many labels as quillmap; the title block's eight do not fit then.
TEST(Convert, ADrawingWithNoRoomForTheTitleBlockIsRefused) {
    RawDocument raw;
    raw.layout = Layout::Qmp;
    raw.labels.resize(kMaxLabels);
    for (RawLabel& l : raw.labels) l.entry.caption = "x";
    TempFolder dir;
    dir.write("full.qmp", encodeRawDocument(raw).value());
    const test::ToolRun run = convert(dir, "full.qmp", "new.QMP");
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.errLines().size(), 1);
    EXPECT_TRUE(run.errLines()[0].contains(QStringLiteral("too many labels"))) << run.err.toStdString();
    EXPECT_FALSE(dir.exists("new.QMP"));
}

}  // namespace
}  // namespace qm
