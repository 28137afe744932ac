// qmptool print and the editor's Print: the page a chart is printed on, read back
// with poppler's tools (a PDF reader that is not ours): paper, the size of the
// picture on it in millimetres, and the text on it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPrinter>
#include <QRegularExpression>

#include "app/canvas_widget.h"
#include "app/print_commands.h"
#include "drawings.h"
#include "edit/file_commands.h"
#include "edit/quillmap_commands.h"
#include "gui/pixels.h"
#include "io/document_io.h"
#include "tool_run.h"

namespace qm {
namespace {

using test::DrawingEditor;
using test::TempFolder;

struct Page {
    int pages = 0;
    QString size;                     // as pdfinfo gives it: "842 x 595 pts"
    QString title;
    QRectF ink;                       // everything not white, in millimetres
    QSizeF paper;                     // millimetres
    QString text;
};

constexpr double kDpi = 300;

Page readPage(const QString& pdf) {
    Page page;
    const QString info = test::programOutput(QStringLiteral("pdfinfo"), {pdf});
    page.pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    page.size = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+ x [0-9.]+ pts)")).match(info).captured(1);
    page.title = QRegularExpression(QStringLiteral("Title:\\s+(.*)\n")).match(info).captured(1);
    page.text = test::programOutput(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    const QString prefix = pdf + QStringLiteral(".page");
    test::programOutput(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"),
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

// The drawing, the canvas without its window's frame, is 957 x 637 pixels at 96
// to the inch.
constexpr double kTrueWidthMm = 957 * 25.4 / 96;

// Where the ink of the chart lies on a page whose drawing is `widthMm` wide and
// centred: where the PNG picture of the drawing has it, in proportion.
QRectF expectedInk(const QRect& pictureInk, const QSizeF& paper, double widthMm) {
    const double mmPerPixel = widthMm / 957;
    const QPointF corner = QPointF(paper.width(), paper.height()) / 2 - QPointF(957, 637) * mmPerPixel / 2;
    return QRectF(corner + QPointF(pictureInk.topLeft()) * mmPerPixel, QSizeF(pictureInk.size()) * mmPerPixel);
}

TEST(Print, TheDrawingAtTrueSizeCentredOrScaledDownWholeOnOnePage) {
    Chart c;
    ASSERT_EQ(test::runQmptool({QStringLiteral("render"), QString::fromStdString(c.file), c.dir.qpath("a.png")}).exitCode,
              0);
    const QImage picture(c.dir.qpath("a.png"));
    ASSERT_EQ(picture.size(), QSize(957, 637));
    const QRect pictureInk = test::inkBox(picture, picture.rect());
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
        EXPECT_EQ(page.title, QString::fromUtf8("流程图.QMP"));
        // The chart's own ink, no window frame around it.
        const QRectF want = expectedInk(pictureInk, page.paper, k.widthMm);
        EXPECT_NEAR(page.ink.left(), want.left(), 0.5);
        EXPECT_NEAR(page.ink.right(), want.right(), 0.5);
        EXPECT_NEAR(page.ink.top(), want.top(), 0.5);
        EXPECT_NEAR(page.ink.bottom(), want.bottom(), 0.5);
        for (const char* text : {"单击这里添加标题", "编号:", "制作人", "审核", "依据", "单击添加依据", "开始", "是否通过?",
                                 "Step 1", "说明: a \"quoted\" note"})
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
    const Result<QPagedPaintDevice*> found = windowPrinter(canvas);  // as Print finds it, before any dialog
    ASSERT_TRUE(found) << found.error().message;
    auto& printer = dynamic_cast<QPrinter&>(**found);
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
