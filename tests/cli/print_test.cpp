// qmptool print and the editor's Print: the page a chart is printed on, read back
// with poppler's tools (a PDF reader that is not ours): paper, the size of the
// picture on it in millimetres, and the text on it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include "app/canvas_widget.h"
#include "app/print_commands.h"
#include "drawings.h"
#include "edit/file_commands.h"
#include "edit/quillmap_commands.h"
#include "io/document_io.h"
#include "tool_run.h"

namespace qm {
namespace {

using test::DrawingEditor;
using test::TempFolder;

// Standard output of a poppler tool; empty and a failure when it did not run.
QString poppler(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed (poppler-utils installed?): "
                      << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct Page {
    int pages = 0;
    QString size;                     // as pdfinfo gives it: "842 x 595 pts"
    QRectF ink;                       // everything not white, in millimetres
    QSizeF paper;                     // millimetres
    QString text;
};

constexpr double kDpi = 300;

Page readPage(const QString& pdf) {
    Page page;
    const QString info = poppler(QStringLiteral("pdfinfo"), {pdf});
    page.pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    page.size = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+ x [0-9.]+ pts)")).match(info).captured(1);
    page.text = poppler(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    const QString prefix = pdf + QStringLiteral(".page");
    poppler(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"),
                                         QStringLiteral("-singlefile"), pdf, prefix});
    const QImage img(prefix + QStringLiteral(".pgm"));
    QRect box;
    for (int y = 0; y < img.height(); ++y) {
        const uchar* row = img.constScanLine(y);
        for (int x = 0; x < img.width(); ++x)
            if (row[x] < 255) box |= QRect(x, y, 1, 1);
    }
    const double mm = 25.4 / kDpi;
    page.paper = QSizeF(img.size()) * mm;
    page.ink = QRectF(box.x() * mm, box.y() * mm, box.width() * mm, box.height() * mm);
    return page;
}

struct Chart {
    DrawingEditor drawing{Layout::Quillmap};
    TempFolder dir;
    std::string file = dir.path("流程图.QMP");
    Chart() {
        test::drawEveryKind(drawing);
        EXPECT_TRUE(writeDocument(file, drawing.doc));
    }
    test::ToolRun print(const std::string& out, QStringList extra = {}) const {
        return test::runQmptool(QStringList{QStringLiteral("print"), QString::fromStdString(file), dir.qpath(out)} +
                                extra);
    }
};

// The canvas is 961 pixels wide at 96 to the inch; its outermost right column is
// white, so 960 of them show on paper.
constexpr double kTrueWidthMm = 961 * 25.4 / 96;

TEST(Print, TheChartAtTrueSizeCentredOrScaledDownWholeOnOnePage) {
    Chart c;
    const struct {
        QStringList args;
        QString size;
        double widthMm;
    } cases[] = {
        {{}, QStringLiteral("842 x 595 pts"), kTrueWidthMm},
        {{QStringLiteral("--paper"), QStringLiteral("A3")}, QStringLiteral("1191 x 842 pts"), kTrueWidthMm},
        // Printable width 420 - 2 x 10 pt: scaled down to fit.
        {{QStringLiteral("--paper=a5"), QStringLiteral("--portrait")}, QStringLiteral("420 x 595 pts"),
         400 * 25.4 / 72},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.args.join(QLatin1Char(' ')).toStdString());
        const test::ToolRun run = c.print("page.pdf", k.args);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        const Page page = readPage(c.dir.qpath("page.pdf"));
        EXPECT_EQ(page.pages, 1);
        EXPECT_EQ(page.size.toStdString(), k.size.toStdString());
        EXPECT_NEAR(page.ink.width(), k.widthMm, 0.5);
        EXPECT_NEAR(page.ink.height() / page.ink.width(), 641.0 / 961, 0.005) << "scaled uniformly";
        // Centred: as far from the left edge as from the right, and from top and bottom.
        EXPECT_NEAR(page.ink.left(), page.paper.width() - page.ink.right(), 0.5);
        EXPECT_NEAR(page.ink.top(), page.paper.height() - page.ink.bottom(), 0.5);
        for (const char* text : {"单击这里添加标题", "编号:", "制作人", "审核", "依据", "单击添加依据", "开始", "是否通过?"})
            EXPECT_TRUE(page.text.contains(QString::fromUtf8(text))) << text;
    }
}

TEST(Print, TheEditorsPrintWritesTheSameFileAsQmptool) {
    Chart c;
    ASSERT_EQ(c.print("tool.pdf").exitCode, 0);

    DrawingEditor e(Layout::Quillmap);
    e.host.dialogResults.push_back(c.file);
    ASSERT_TRUE(fileOpen(e.ed));
    CanvasWidget canvas;
    QPrinter& printer = windowPrinter(canvas);  // as Print finds it, before any dialog
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(c.dir.qpath("editor.pdf"));
    ASSERT_TRUE(printCanvas(e.ed, printer));
    EXPECT_TRUE(e.host.asked.empty());

    // The same bytes but for the moment they were made.
    static const QRegularExpression date(QStringLiteral("/CreationDate \\(D:[0-9+\\-Z']*\\)"));
    auto undated = [&](const std::string& name) {
        return QString::fromLatin1(QByteArray::fromStdString(c.dir.read(name))).replace(date, QString());
    };
    const QString tool = undated("tool.pdf"), editor = undated("editor.pdf");
    EXPECT_TRUE(tool.contains(QStringLiteral("/MediaBox")));
    EXPECT_TRUE(tool == editor) << "the editor's page differs from qmptool's";
}

TEST(Print, WrongRequestsAreRefusedAndWriteNothing) {
    Chart c;
    const struct {
        QStringList args;
        int status;
    } cases[] = {
        {{QStringLiteral("print"), QString::fromStdString(c.file)}, 2},
        {{QStringLiteral("print"), QString::fromStdString(c.file), c.dir.qpath("a.png")}, 2},
        {{QStringLiteral("print"), QString::fromStdString(c.file), c.dir.qpath("a.pdf"), QStringLiteral("--paper"),
          QStringLiteral("B5")},
         2},
        {{QStringLiteral("print"), QString::fromStdString(c.file), c.dir.qpath("a.pdf"), QStringLiteral("--paper")}, 2},
        {{QStringLiteral("render"), QString::fromStdString(c.file), c.dir.qpath("a.pdf"), QStringLiteral("--portrait")},
         2},
        {{QStringLiteral("print"), QString::fromStdString(c.file), c.dir.qpath("no/such/folder/a.pdf")}, 1},
        {{QStringLiteral("print"), c.dir.qpath("none.QMP"), c.dir.qpath("a.pdf")}, 1},
    };
    for (const auto& k : cases) {
        const test::ToolRun run = test::runQmptool(k.args);
        EXPECT_EQ(run.exitCode, k.status) << k.args.join(QLatin1Char(' ')).toStdString();
        ASSERT_EQ(run.errLines().size(), 1) << run.err.toStdString();
        EXPECT_TRUE(run.errLines()[0].startsWith(QStringLiteral("qmptool: "))) << run.err.toStdString();
    }
    EXPECT_EQ(c.dir.files(), QStringList{QString::fromUtf8("流程图.QMP")}) << "no PDF and no temporary file";
}

}  // namespace
}  // namespace qm
