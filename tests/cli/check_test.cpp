// qmptool check: one line per file with its layout and counts, or what is wrong
// and at which byte; the exit status says whether every file was valid.
#include <gtest/gtest.h>

#include "drawings.h"
#include "interact/pointer.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "io/document_io.h"
#include "model/sel_kind.h"
#include "tool_run.h"

namespace qm {
namespace {

using test::DrawingEditor;
using test::TempFolder;

// The counts check prints, with the deleted shapes and labels said apart.
std::string countsOf(const Document& d, int deletedShapes, int deletedLabels) {
    return "shapes " + std::to_string(d.shapeCount) + " (" + std::to_string(deletedShapes) + " deleted), labels " +
           std::to_string(d.labelCount) + " (" + std::to_string(deletedLabels) + " deleted), segments " +
           std::to_string(d.segCount) + ", arrows " + std::to_string(d.arrowCount) + ", diamonds " +
           std::to_string(d.diamondCount);
}

QString line(const std::string& s) { return QString::fromStdString(s); }

std::string quillmapBytes(DrawingEditor& d) { return encodeDocument(d.doc, Layout::Quillmap).value(); }
std::string qmpBytes(DrawingEditor& d) { return encodeDocument(d.doc, Layout::Qmp).value(); }

struct Drawings {
    DrawingEditor full{Layout::Quillmap};
    DrawingEditor reduced{Layout::Qmp};
    Drawings() {
        test::drawEveryKind(full);
        test::drawEveryReducedKind(reduced);
    }
};

TEST(Check, FilesTheEditorsWriteAreValidWithTheirLayoutAndCounts) {
    Drawings d;
    TempFolder dir;
    ASSERT_TRUE(writeDocument(dir.path("流程图.QMP"), d.full.doc));
    ASSERT_TRUE(writeQmpDocument(dir.path("old.qmp"), d.reduced.doc));
    ASSERT_EQ(d.full.doc.shapeCount, 3);
    ASSERT_EQ(d.reduced.doc.arrowCount, 1);

    const test::ToolRun run = test::runQmptool({QStringLiteral("check"), dir.qpath("流程图.QMP"), dir.qpath("old.qmp")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    // Each drawing has a deleted rectangle, whose two texts went with it.
    EXPECT_EQ(run.out.toStdString(),
              dir.path("流程图.QMP") + ": quillmap: " + countsOf(d.full.doc, 1, 2) + "\n" + dir.path("old.qmp") +
                  ": qmp: " + countsOf(d.reduced.doc, 1, 2) + "\n");

    // A deleted arrow: its head and its segments hidden.
    selectElement(d.full.ed, ElementKind::Arrow, 2);
    deleteCommand(d.full.ed);
    ASSERT_TRUE(writeDocument(dir.path("流程图.QMP"), d.full.doc));
    const std::string segments = std::to_string(d.full.doc.arrowRec[2].segmentCount());
    EXPECT_NE(test::runQmptool({QStringLiteral("check"), dir.qpath("流程图.QMP")})
                  .out.toStdString()
                  .find("segments " + std::to_string(d.full.doc.segCount) + " (" + segments +
                        " deleted), arrows 2 (1 deleted), diamonds 1"),
              std::string::npos);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
}

TEST(Check, BytesAfterAQuillmapDocumentAreNamedButKeepItValid) {
    Drawings d;
    TempFolder dir;
    dir.write("a.QMP", quillmapBytes(d.full) + "junk!");
    const test::ToolRun run = test::runQmptool({QStringLiteral("check"), dir.qpath("a.QMP")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("a.QMP: quillmap: shapes 3 (1 deleted),")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("the 5 bytes after the document are ignored")) << run.out.toStdString();
}

// Each malformed file with the byte its fault lies at.
TEST(Check, MalformedFilesNameTheLayoutTheFaultAndItsByte) {
    Drawings d;
    TempFolder dir;
    const std::string full = quillmapBytes(d.full), reduced = qmpBytes(d.reduced);

    std::string badStyle = full;  // the first shape's style: tag, version, count, left, top, visible
    badStyle[255 + 2 + 2 + 6] = 9;
    dir.write("style.QMP", badStyle);
    std::string badTag = full;
    badTag[100] = 'x';
    dir.write("tag.QMP", badTag);
    dir.write("short.QMP", full.substr(0, 300));  // three shapes promised, one begun
    dir.write("extra.qmp", reduced + "x");
    std::string badLabel = reduced;  // label1 of the first shape: count, entry 8, line 10, record 12
    badLabel[2 + 8 + 10 + 12] = 100;
    dir.write("label.qmp", badLabel);
    dir.write("empty.qmp", "");

    const test::ToolRun run = test::runQmptool({QStringLiteral("check"), dir.qpath("style.QMP"), dir.qpath("tag.QMP"),
                                                dir.qpath("short.QMP"), dir.qpath("extra.qmp"), dir.qpath("label.qmp"),
                                                dir.qpath("empty.qmp"), dir.qpath("missing.QMP")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 7) << run.out.toStdString();
    const auto expectLine = [&](int k, const std::string& start, const char* byte) {
        EXPECT_TRUE(lines[k].startsWith(line(start))) << lines[k].toStdString();
        EXPECT_TRUE(lines[k].endsWith(QString::fromLatin1(byte))) << lines[k].toStdString();
    };
    expectLine(0, dir.path("style.QMP") + ": not a valid quillmap document: shape 1: style 9", "(byte 265)");
    expectLine(1, dir.path("tag.QMP") + ": not a valid quillmap document: not a quillmap document", "(byte 100)");
    expectLine(2, dir.path("short.QMP") + ": not a valid quillmap document: shapeCount 3 needs", "(byte 257)");
    expectLine(3, dir.path("extra.qmp") + ": not a valid qmp document: ",
               ("(byte " + std::to_string(reduced.size()) + ")").c_str());
    expectLine(4, dir.path("label.qmp") + ": not a valid qmp document: shape 1: label1 100 refers to no label",
               "(byte 32)");
    expectLine(5, dir.path("empty.qmp") + ": not a valid qmp document: ", "(byte 0)");
    expectLine(6, dir.path("missing.QMP") + ": cannot open", "No such file or directory");
}

TEST(Check, OneBadFileAmongGoodOnesFailsTheRun) {
    Drawings d;
    TempFolder dir;
    ASSERT_TRUE(writeDocument(dir.path("good.QMP"), d.full.doc));
    dir.write("bad.QMP", "QMP");
    const test::ToolRun run =
        test::runQmptool({QStringLiteral("check"), dir.qpath("good.QMP"), dir.qpath("bad.QMP"), dir.qpath("good.QMP")});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(QStringLiteral(": quillmap: ")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("not a valid quillmap document")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral(": quillmap: ")));
}

// A name with a line break cannot forge a line of the report.
TEST(Check, EveryFileGetsExactlyOneLineWhateverItsName) {
    Drawings d;
    TempFolder dir;
    ASSERT_TRUE(writeDocument(dir.path("a\nb.QMP: quillmap"), d.full.doc));
    dir.write("c\x1b[2J.QMP", "broken");
    const test::ToolRun run = test::runQmptool(
        {QStringLiteral("check"), dir.qpath("a\nb.QMP: quillmap"), dir.qpath("c\x1b[2J.QMP")});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("a?b.QMP: quillmap: quillmap: ") + line(countsOf(d.full.doc, 1, 2))));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("c?[2J.QMP: not a valid qmp document")));
    EXPECT_FALSE(run.out.contains('\x1b'));

    const test::ToolRun dump = test::runQmptool({QStringLiteral("dump"), dir.qpath("c\x1b[2J.QMP")});
    ASSERT_EQ(dump.errLines().size(), 1);
    EXPECT_FALSE(dump.err.contains('\x1b'));
}

TEST(Check, AResultThatCannotBeWrittenIsAFailure) {
    Drawings d;
    TempFolder dir;
    ASSERT_TRUE(writeDocument(dir.path("good.QMP"), d.full.doc));
    const test::ToolRun run =
        test::runQmptool({QStringLiteral("check"), dir.qpath("good.QMP")}, QStringLiteral("/dev/full"));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.errLines().size(), 1);
    EXPECT_TRUE(run.errLines()[0].startsWith(QStringLiteral("qmptool: cannot write to standard output")));
}

TEST(CommandLine, UsageErrorsAreOneLineAndStatusTwo) {
    const QList<QStringList> wrong = {
        {QStringLiteral("check")},
        {QStringLiteral("dump")},
        {QStringLiteral("dump"), QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("render"), QStringLiteral("a.QMP")},
        {QStringLiteral("convert"), QStringLiteral("a.QMP")},
        {QStringLiteral("frobnicate"), QStringLiteral("a.QMP")},
        {QStringLiteral("check"), QStringLiteral("--verbose"), QStringLiteral("a.QMP")},
        {QStringLiteral("check"), QStringLiteral("--scale"), QStringLiteral("2"), QStringLiteral("a.QMP")},
        {QStringLiteral("diff"), QStringLiteral("a.QMP")},
        {QStringLiteral("diff"), QStringLiteral("--text"), QStringLiteral("a.QMP"), QStringLiteral("b.QMP")},
        {QStringLiteral("dump"), QStringLiteral("--json"), QStringLiteral("a.QMP")},
    };
    for (const QStringList& args : wrong) {
        const test::ToolRun run = test::runQmptool(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
        ASSERT_EQ(run.errLines().size(), 1) << run.err.toStdString();
        EXPECT_TRUE(run.errLines()[0].startsWith(QStringLiteral("qmptool: "))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST(CommandLine, HelpAndVersionGoToStandardOutput) {
    const test::ToolRun help = test::runQmptool({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.err.isEmpty());
    for (const char* example : {"qmptool check ", "qmptool dump ", "qmptool diff ", "qmptool render ", "qmptool convert "})
        EXPECT_TRUE(help.out.contains(example)) << example;
    EXPECT_EQ(test::runQmptool({QStringLiteral("render"), QStringLiteral("-h")}).out, help.out);

    const test::ToolRun bare = test::runQmptool({});
    EXPECT_EQ(bare.exitCode, 2) << "no command is no success";
    EXPECT_EQ(bare.err, help.out);

    const test::ToolRun version = test::runQmptool({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QByteArray("qmptool " QM_PROJECT_VERSION "\n"));
    EXPECT_TRUE(version.err.isEmpty());
}

}  // namespace
}  // namespace qm
