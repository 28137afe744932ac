// qmptool diff and dump --text: the changes between two files as lines and as
// JSON, exit statuses as diff(1) has them, a qmp drawing compared with its
// quillmap version, and the drawing as lines.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "drawings.h"
#include "edit/insert.h"
#include "interact/deleting.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "io/document_io.h"
#include "model/labels.h"
#include "model/relayout.h"
#include "model/sel_kind.h"
#include "render/change_painter.h"
#include "tool_run.h"

namespace qm {
namespace {

using test::DrawingEditor;
using test::TempFolder;

test::ToolRun diff(const TempFolder& dir, const std::string& older, const std::string& newer, bool json = false) {
    QStringList args{QStringLiteral("diff"), dir.qpath(older), dir.qpath(newer)};
    if (json) args << QStringLiteral("--json");
    return test::runQmptool(args);
}

TEST(Diff, ExitStatusIsZeroForTheSameDrawingOneForADifferentOneTwoForTrouble) {
    DrawingEditor d(Layout::Quillmap);
    test::drawEveryKind(d);
    TempFolder dir;
    ASSERT_TRUE(writeDocument(dir.path("old.QMP"), d.doc));
    setCaption(*d.doc.Label.find(d.doc.shapeRec[1].label1), "开始处理", d.metrics);
    d.doc.Shape1.find(2)->left += 150;
    ASSERT_TRUE(writeDocument(dir.path("new.QMP"), d.doc));

    const test::ToolRun same = diff(dir, "old.QMP", "old.QMP");
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_TRUE(same.out.isEmpty() && same.err.isEmpty()) << same.err.toStdString();

    const test::ToolRun changed = diff(dir, "old.QMP", "new.QMP");
    EXPECT_EQ(changed.exitCode, 1);
    EXPECT_EQ(changed.out, QByteArray("rectangle 1: upper text \"开始\" → \"开始处理\"\n"
                                      "ellipse 2: moved by (10, 0) px to (310, 66.67)\n"));
    const test::ToolRun json = diff(dir, "old.QMP", "new.QMP", true);
    EXPECT_EQ(json.exitCode, 1);
    const QJsonObject o = QJsonDocument::fromJson(json.out).object();
    EXPECT_EQ(o[QStringLiteral("new")].toString(), dir.qpath("new.QMP"));
    EXPECT_FALSE(o[QStringLiteral("same")].toBool());
    const QJsonArray changes = o[QStringLiteral("changes")].toArray();
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes[0].toObject(), QJsonDocument::fromJson(R"({"change": "text", "element": "rectangle", "index": 1,
        "text": "upper text", "old": "开始", "new": "开始处理"})").object());
    EXPECT_EQ(changes[1].toObject()[QStringLiteral("dx")].toDouble(), 10);

    // A picture is never written over an input, whatever the input is called.
    const std::string bytes = dir.read("old.QMP");
    dir.write("chart.png", bytes);
    const test::ToolRun over = test::runQmptool({QStringLiteral("diff"), dir.qpath("chart.png"), dir.qpath("new.QMP"),
                                                 QStringLiteral("-o"), dir.qpath("chart.png")});
    EXPECT_EQ(over.exitCode, 2);
    EXPECT_EQ(dir.read("chart.png"), bytes);

    // Missing, a folder, damaged, no document at all: one line naming the file.
    dir.write("short.QMP", bytes.substr(0, bytes.size() / 2));
    dir.write("notes.txt", "not a chart\n");
    for (const std::string bad : {"missing.QMP", ".", "short.QMP", "notes.txt"}) {
        for (const bool first : {true, false}) {
            const test::ToolRun run = first ? diff(dir, bad, "new.QMP") : diff(dir, "old.QMP", bad, true);
            EXPECT_EQ(run.exitCode, 2) << bad;
            EXPECT_TRUE(run.out.isEmpty()) << bad;
            ASSERT_EQ(run.errLines().size(), 1) << run.err.toStdString();
            EXPECT_TRUE(run.errLines()[0].contains(QString::fromStdString("\"" + dir.path(bad) + "\"")))
                << run.err.toStdString();
        }
    }
}

// Compared after converting, the qmp drawing and its quillmap version are one
// drawing: only what was changed after the conversion shows.
TEST(Diff, AQmpDrawingIsComparedWithAQuillmapOneAfterConvertingIt) {
    DrawingEditor d(Layout::Qmp);
    test::drawEveryReducedKind(d);
    TempFolder dir;
    ASSERT_TRUE(writeQmpDocument(dir.path("old.qmp"), d.doc));
    ASSERT_EQ(test::runQmptool({QStringLiteral("convert"), dir.qpath("old.qmp"), dir.qpath("new.QMP")}).exitCode, 0);
    EXPECT_EQ(diff(dir, "old.qmp", "new.QMP").exitCode, 0) << diff(dir, "old.qmp", "new.QMP").out.toStdString();

    Document converted = readDocument(dir.path("new.QMP"), d.metrics).value();
    setCaption(*converted.Label.find(2), "审批流程", d.metrics);
    ASSERT_TRUE(writeDocument(dir.path("new.QMP"), converted));
    const test::ToolRun run = diff(dir, "new.QMP", "old.qmp");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QByteArray("标题: text \"审批流程\" → \"单击这里添加标题\"\n"));
}

// Pixels of exactly this colour in the canvas box (twips) of an element, one
// pixel around it; the picture's client area starts inside a 2-pixel frame.
int pixelsOf(const QImage& img, const QColor& c, float left, float top, float width, float height) {
    const QRect box(static_cast<int>(left / 15) + 1, static_cast<int>(top / 15) + 1, static_cast<int>(width / 15) + 3,
                    static_cast<int>(height / 15) + 3);
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) n += img.pixelColor(x, y) == c;
    return n;
}

TEST(Diff, ThePictureShowsAddedInGreenDeletedInRedChangedInOrangeOverItsOldDottedOutline) {
    DrawingEditor d(Layout::Quillmap);
    test::drawEveryKind(d);
    TempFolder dir;
    ASSERT_TRUE(writeDocument(dir.path("old.QMP"), d.doc));
    const ShapeEl before = *d.doc.Shape1.find(1), ellipse = *d.doc.Shape1.find(2);
    moveShapeTo(d.doc, 1, before.left + 450, before.top + 900);
    layoutOwnShapeTexts(d.doc, 1);
    selectElement(d.ed, ElementKind::Shape, 2);
    deleteSelection(d.ed);
    insertShape(d.ed, ShapeStyle::Rectangle);
    d.place(8000, 6000);  // stays selected, in the editor's green
    ASSERT_TRUE(writeDocument(dir.path("new.QMP"), d.doc));
    const ShapeEl &moved = *d.doc.Shape1.find(1), &added = *d.doc.Shape1.find(4);

    for (const char* name : {"change.png", "change.svg", "change.pdf"}) {
        const test::ToolRun run = test::runQmptool({QStringLiteral("diff"), dir.qpath("old.QMP"), dir.qpath("new.QMP"),
                                                    QStringLiteral("-o"), dir.qpath(name)});
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_EQ(run.out.count('\n'), 3) << "the list as without -o";
    }
    EXPECT_TRUE(dir.read("change.svg").starts_with("<?xml"));
    EXPECT_TRUE(dir.read("change.pdf").starts_with("%PDF"));
    const QImage img(dir.qpath("change.png"));
    ASSERT_EQ(img.size(), QSize(961, 641));
    const auto pixels = [&img](const QColor& c, const ShapeEl& s) {
        return pixelsOf(img, c, s.left, s.top, s.width, s.height);
    };
    EXPECT_GT(pixels(kAddedColour, added), 300) << "the added rectangle's outline, green";
    EXPECT_GT(pixels(kDeletedColour, ellipse), 300) << "the deleted ellipse drawn from the old chart, red";
    EXPECT_GT(pixels(kChangedColour, moved), 300) << "the moved rectangle, orange";
    const int dotted = pixels(kChangedColour, before);
    const int outline = 2 * static_cast<int>((before.width + before.height) / 15);
    EXPECT_GT(dotted, outline / 3) << "its old outline, dotted";
    EXPECT_LT(dotted, outline * 2 / 3) << "its old outline, dotted";
    const LineEl& unchanged = *d.doc.lx1.find(1);
    EXPECT_GT(pixelsOf(img, Qt::black, unchanged.x1, unchanged.y1, 0, 0), 0) << "the unchanged diamond, black";
    for (const QColor& c : {kAddedColour, kDeletedColour, kChangedColour})
        EXPECT_GT(pixelsOf(img, c, 0, 8000, 1500, 1600), 10) << "the legend at the bottom left";
}

TEST(DumpText, OneLinePerPresentElementTitleBlockFirst) {
    DrawingEditor d(Layout::Quillmap);
    test::drawEveryKind(d);
    TempFolder dir;
    ASSERT_TRUE(writeDocument(dir.path("a.QMP"), d.doc));
    const test::ToolRun run = test::runQmptool({QStringLiteral("dump"), QStringLiteral("--text"), dir.qpath("a.QMP")});
    EXPECT_EQ(run.exitCode, 0);
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList starts{QStringLiteral("标题 at "), QStringLiteral("编号 at "), QStringLiteral("制作人 \"制作人\" / "),
                             QStringLiteral("审核 "), QStringLiteral("依据 "), QStringLiteral("标题栏 at "),
                             QStringLiteral("rectangle 1 at (66.67, 66.67) size 131×81 \"开始\" / \"Step 1\""),
                             QStringLiteral("ellipse 2 at "), QStringLiteral("diamond 1 at "),
                             QStringLiteral("arrow 1 points "), QStringLiteral("arrow 2 points "),
                             QStringLiteral("label "), QStringLiteral("vertical label ")};
    ASSERT_EQ(lines.size(), starts.size()) << run.out.toStdString();  // no line for the deleted rectangle 3
    for (qsizetype k = 0; k < lines.size(); ++k) EXPECT_TRUE(lines[k].startsWith(starts[k])) << lines[k].toStdString();
    EXPECT_TRUE(lines[11].endsWith(QStringLiteral(R"("说明: a \"quoted\" note")"))) << lines[11].toStdString();
}

}  // namespace
}  // namespace qm
