// qmptool render: the picture of a file is the editor's canvas showing that
// drawing (a PNG the drawing inside the window's frame), compared pixel for pixel
// with a canvas widget in this process; vector formats keep their text as text,
// and other programs draw the SVG as we do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "app/canvas_widget.h"
#include "drawings.h"
#include "edit/file_commands.h"
#include "edit/qmp_commands.h"
#include "edit/quillmap_commands.h"
#include "io/document_io.h"
#include "render/picture_encoders.h"
#include "tool_run.h"

namespace qm {
namespace {

using test::DrawingEditor;
using test::TempFolder;

// An editor's canvas, sized as its window sizes it, as the BMP export renders it.
QImage editorCanvas(const Editor& ed) {
    CanvasWidget canvas;
    canvas.resize(qRound(ed.canvas.width / kTwipsPerPixel), qRound(ed.canvas.height / kTwipsPerPixel));
    canvas.setDocument(&ed.doc);
    QImage image = canvas.renderImage();
    canvas.setDocument(nullptr);
    return image;
}

// The canvas of the editor after its own Open command has read the file: what
// the user sees and what the editor's export writes.
QImage openedInEditor(Layout layout, const std::string& path) {
    DrawingEditor e(layout);
    e.host.dialogResults.push_back(path);
    EXPECT_TRUE(layout == Layout::Qmp ? reduced::fileOpen(e.ed) : fileOpen(e.ed)) << path;
    EXPECT_TRUE(e.host.asked.empty()) << "the editor opened the file without a message";
    return editorCanvas(e.ed);
}

// The first differing pixel, or an empty string when the images are equal.
std::string firstDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return "sizes differ";
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return "pixel " + std::to_string(x) + "," + std::to_string(y);
    return {};
}

QRect inkBox(const QImage& img) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
    return box;
}

uint16_t le16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

// Every stream of a PDF, inflated where it is compressed.
std::string pdfStreams(const std::string& pdf) {
    std::string all;
    for (size_t at = pdf.find("stream"); at != std::string::npos; at = pdf.find("stream", at + 1)) {
        if (at >= 3 && pdf.compare(at - 3, 3, "end") == 0) continue;
        size_t begin = at + 6;
        if (pdf.compare(begin, 2, "\r\n") == 0) begin += 2;
        else if (pdf[begin] == '\n') begin += 1;
        const size_t end = pdf.find("endstream", begin);
        if (end == std::string::npos) break;
        // qUncompress reads zlib data after a 4-byte size, which it takes as a first guess.
        QByteArray zlib("\x00\x01\x00\x00", 4);
        zlib.append(pdf.data() + begin, static_cast<qsizetype>(end - begin));
        const QByteArray inflated = qUncompress(zlib);
        if (!inflated.isEmpty()) all.append(inflated.constData(), static_cast<size_t>(inflated.size()));
        else all.append(pdf, begin, end - begin);
        all += '\n';
    }
    return all;
}

struct Rendered {
    DrawingEditor drawing;
    TempFolder dir;
    std::string file;
    explicit Rendered(Layout layout) : drawing(layout) {
        if (layout == Layout::Qmp) {
            test::drawEveryReducedKind(drawing);
            file = dir.path("old.qmp");
            EXPECT_TRUE(writeQmpDocument(file, drawing.doc));
        } else {
            test::drawEveryKind(drawing);
            file = dir.path("流程图.QMP");
            EXPECT_TRUE(writeDocument(file, drawing.doc));
        }
    }
    test::ToolRun render(const std::string& out, QStringList extra = {}) const {
        return test::runQmptool(QStringList{QStringLiteral("render"), QString::fromStdString(file), dir.qpath(out)} +
                                extra);
    }
};

TEST(Render, BmpIsTheEditorsExportPixelForPixel) {
    Rendered r(Layout::Quillmap);
    const test::ToolRun run = r.render("图.bmp");
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());

    const std::string bmp = r.dir.read("图.bmp");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(le16(bmp, 28), 24) << "bits per pixel";
    const QImage picture = QImage::fromData(QByteArray::fromStdString(bmp), "BMP").convertToFormat(QImage::Format_RGB32);
    const QImage expected = openedInEditor(Layout::Quillmap, r.file);
    EXPECT_EQ(picture.size(), QSize(961, 641));
    EXPECT_EQ(firstDifference(picture, expected.convertToFormat(QImage::Format_RGB32)), "");
    EXPECT_EQ(bmp, encodeBmp24(expected).toStdString()) << "the bytes of the editor's export";
    EXPECT_TRUE(inkBox(picture).width() > 900) << "the drawing, its title block and the frame are on it";

}

TEST(Render, AQmpDrawingIsDrawnOnQmpsCanvasWithoutTitleBlock) {
    Rendered r(Layout::Qmp);
    ASSERT_EQ(r.render("old.BMP").exitCode, 0);
    const QImage picture = QImage(r.dir.qpath("old.BMP")).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(picture.size(), QSize(961, 601));
    const QImage expected = openedInEditor(Layout::Qmp, r.file).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(firstDifference(picture, expected), "");
    // The qmp canvas has no title block: nothing in its bottom-right corner.
    EXPECT_TRUE(inkBox(picture.copy(700, 450, 250, 140)).isNull());
}

TEST(Render, PngAtScaleTwoIsTheSameDrawingAtTwiceTheSize) {
    Rendered r(Layout::Quillmap);
    ASSERT_EQ(r.render("a.png").exitCode, 0);
    ASSERT_EQ(r.render("b.png", {QStringLiteral("--scale"), QStringLiteral("2")}).exitCode, 0);
    const QImage one = QImage(r.dir.qpath("a.png")).convertToFormat(QImage::Format_RGB32);
    const QImage two = QImage(r.dir.qpath("b.png")).convertToFormat(QImage::Format_RGB32);
    const QImage canvas = openedInEditor(Layout::Quillmap, r.file).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(firstDifference(one, canvas.copy(2, 2, 957, 637)), "")
        << "scale 1 is the canvas inside its window's frame";
    ASSERT_EQ(two.size(), QSize(1914, 1274));

    // The ink lies at twice the places, to within a pixel of rounding.
    const QRect ink1 = inkBox(one), ink2 = inkBox(two);
    EXPECT_NEAR(ink2.left(), 2 * ink1.left(), 2);
    EXPECT_NEAR(ink2.right(), 2 * ink1.right() + 1, 2);
    EXPECT_NEAR(ink2.bottom(), 2 * ink1.bottom() + 1, 2);
    // Drawn at the higher density, not enlarged: a one-pixel line stays thin, so
    // some ink rows of the big picture differ from their neighbours.
    int thinRows = 0;
    for (int y = 10; y + 1 < two.height() - 10; y += 2)
        if (two.copy(0, y, two.width(), 1) != two.copy(0, y + 1, two.width(), 1)) ++thinRows;
    EXPECT_GT(thinRows, 10);
}

// The <text> runs of an SVG picture: their text and the attributes named.
struct SvgText {
    QString text, space, families, length;
};
QList<SvgText> svgTexts(const std::string& svg) {
    QList<SvgText> texts;
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("text")) continue;
        const QXmlStreamAttributes a = xml.attributes();
        SvgText t{{}, a.value(QLatin1String("xml:space")).toString(), a.value(QLatin1String("font-family")).toString(),
                  a.value(QLatin1String("textLength")).toString()};
        t.text = xml.readElementText();
        texts << t;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return texts;
}

TEST(Render, SvgHoldsTheDrawingAndEachLineOfTextAsOneRun) {
    Rendered r(Layout::Quillmap);
    ASSERT_EQ(r.render("a.svg").exitCode, 0);
    const std::string svg = r.dir.read("a.svg");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("viewBox=\"0 0 957 637\""), std::string::npos);
    EXPECT_NE(svg.find("<title>流程图.QMP</title>"), std::string::npos) << "the file's name, not its folder";
    const QList<SvgText> texts = svgTexts(svg);
    // Each line whole, its spaces kept, in a list of faces that ends in a generic
    // family and with the advance it has here.
    for (const char* line : {"开始", "Step 1", "是否通过?", "说明: a \"quoted\" note", "竖", "单击这里添加标题"}) {
        SCOPED_TRACE(line);
        const auto it = std::find_if(texts.begin(), texts.end(),
                                     [&](const SvgText& t) { return t.text == QString::fromUtf8(line); });
        ASSERT_NE(it, texts.end());
        EXPECT_EQ(it->space, QStringLiteral("preserve"));
        EXPECT_TRUE(it->families.endsWith(QLatin1String(", serif")) || it->families.endsWith(QLatin1String(", sans-serif")))
            << it->families.toStdString();
        EXPECT_GT(it->length.toDouble(), 0);
    }
}

// How much of the ink two renderers draw differently: both pictures in grey,
// blurred over 3 x 3 pixels so that an edge placed half a pixel apart counts for
// little; of the pixels darker than three quarters white in either, the share
// whose greys differ by more than a quarter.
double inkDifference(const QImage& a, const QImage& b) {
    auto blurred = [](const QImage& img) {
        const QImage grey = img.convertToFormat(QImage::Format_Grayscale8);
        QImage out(grey.size(), QImage::Format_Grayscale8);
        for (int y = 0; y < grey.height(); ++y)
            for (int x = 0; x < grey.width(); ++x) {
                int sum = 0, n = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (grey.rect().contains(x + dx, y + dy)) sum += grey.constScanLine(y + dy)[x + dx], ++n;
                out.scanLine(y)[x] = static_cast<uchar>(sum / n);
            }
        return out;
    };
    if (a.size() != b.size()) return 1;
    const QImage ga = blurred(a), gb = blurred(b);
    int ink = 0, differing = 0;
    for (int y = 0; y < ga.height(); ++y)
        for (int x = 0; x < ga.width(); ++x) {
            const int pa = ga.constScanLine(y)[x], pb = gb.constScanLine(y)[x];
            if (pa >= 192 && pb >= 192) continue;
            ++ink;
            if (std::abs(pa - pb) > 64) ++differing;
        }
    return ink ? double(differing) / ink : 1;
}

TEST(Render, OtherProgramsDrawTheSvgAsThePng) {
    Rendered r(Layout::Quillmap);
    ASSERT_EQ(r.render("a.svg").exitCode, 0);
    ASSERT_EQ(r.render("a.png").exitCode, 0);
    const QImage png(r.dir.qpath("a.png"));
    const QString svg = r.dir.qpath("a.svg");
    test::programOutput(QStringLiteral("rsvg-convert"),
                        {QStringLiteral("-w"), QStringLiteral("957"), QStringLiteral("-h"), QStringLiteral("637"),
                         QStringLiteral("-b"), QStringLiteral("white"), QStringLiteral("-o"), r.dir.qpath("rsvg.png"), svg});
    test::programOutput(QStringLiteral("inkscape"),
                        {svg, QStringLiteral("--export-type=png"), QStringLiteral("--export-background=white"),
                         QStringLiteral("--export-filename=") + r.dir.qpath("inkscape.png")},
                        r.dir.qpath(""));
    for (const char* drawn : {"rsvg.png", "inkscape.png"}) {
        const QImage other(r.dir.qpath(drawn));
        ASSERT_EQ(other.size(), png.size()) << drawn;
        const double share = inkDifference(png, other);
        std::printf("%s: %.2f%% of the ink differs from the PNG\n", drawn, 100 * share);
        EXPECT_LT(share, 0.03) << drawn;
    }
}

TEST(Render, PdfIsOnePageOfTheDrawingWithRealText) {
    Rendered r(Layout::Quillmap);
    ASSERT_EQ(r.render("a.pdf").exitCode, 0);
    const std::string pdf = r.dir.read("a.pdf");
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF", pdf.size() - 8), std::string::npos);
    static const QRegularExpression mediaBox(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
    const QRegularExpressionMatch box = mediaBox.match(QString::fromLatin1(pdf.data(), qsizetype(pdf.size())));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_NEAR(box.captured(1).toDouble(), 957 * 0.75, 1);
    EXPECT_NEAR(box.captured(2).toDouble(), 637 * 0.75, 1);

    // Text is drawn with text operators and its glyphs map back to the captions'
    // characters (开 U+5F00, 始 U+59CB, 竖 U+7AD6): selectable, searchable text.
    const std::string streams = pdfStreams(pdf);
    EXPECT_NE(streams.find("BT"), std::string::npos);
    EXPECT_NE(streams.find("Tj"), std::string::npos);
    for (const char* code : {"5F00", "59CB", "7AD6"}) {
        const bool mapped = streams.find(std::string("<") + code + ">") != std::string::npos ||
                            streams.find(std::string("<") + QByteArray(code).toLower().toStdString() + ">") !=
                                std::string::npos;
        EXPECT_TRUE(mapped) << code;
    }
}

TEST(Render, WrongRequestsAreRefusedAndWriteNothing) {
    Rendered r(Layout::Quillmap);
    const std::string input = r.dir.read("流程图.QMP");
    const struct {
        std::string out;
        QStringList extra;
        int status;
    } cases[] = {
        {"a.gif", {}, 2},
        {"a", {}, 2},
        {"a.svg", {QStringLiteral("--scale"), QStringLiteral("2")}, 2},
        {"a.png", {QStringLiteral("--scale"), QStringLiteral("0")}, 2},
        {"a.png", {QStringLiteral("--scale=9")}, 2},
        {"a.png", {QStringLiteral("--scale"), QStringLiteral("2x")}, 2},
        {"a.png", {QStringLiteral("--scale")}, 2},
        {"no/such/folder/a.png", {}, 1},
    };
    for (const auto& c : cases) {
        const test::ToolRun run = r.render(c.out, c.extra);
        EXPECT_EQ(run.exitCode, c.status) << c.out;
        ASSERT_EQ(run.errLines().size(), 1) << run.err.toStdString();
        EXPECT_TRUE(run.errLines()[0].startsWith(QStringLiteral("qmptool: "))) << run.err.toStdString();
    }
    EXPECT_EQ(r.dir.files(), QStringList{QStringLiteral("流程图.QMP")}) << "no picture and no temporary file";

    // A picture never replaces its own input, whatever its name says.
    const std::string named = r.dir.path("drawing.png");
    ASSERT_TRUE(writeDocument(named, r.drawing.doc));
    const test::ToolRun self = test::runQmptool({QStringLiteral("render"), r.dir.qpath("drawing.png"),
                                                 r.dir.qpath("drawing.png")});
    EXPECT_EQ(self.exitCode, 1);
    ASSERT_EQ(self.errLines().size(), 1);
    EXPECT_TRUE(self.errLines()[0].contains(QStringLiteral("is the input file")));
    EXPECT_EQ(r.dir.read("drawing.png"), input);

    const test::ToolRun missing =
        test::runQmptool({QStringLiteral("render"), r.dir.qpath("none.QMP"), r.dir.qpath("none.png")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.errLines().size(), 1);
    EXPECT_FALSE(r.dir.exists("none.png"));

    // A program without its SVG module beside it or in its private folder says so.
    ASSERT_TRUE(QDir(r.dir.qpath("")).mkpath(QStringLiteral("alone")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QMPTOOL_PATH), r.dir.qpath("alone/qmptool")));
    const test::ToolRun alone = test::runQmptool(
        {QStringLiteral("render"), QString::fromStdString(r.file), r.dir.qpath("a.svg")}, {}, r.dir.qpath("alone/qmptool"));
    EXPECT_TRUE(alone.finished);
    EXPECT_EQ(alone.exitCode, 1);
    ASSERT_EQ(alone.errLines().size(), 1) << alone.err.toStdString();
    EXPECT_TRUE(alone.errLines()[0].contains(QStringLiteral("cannot load the module \"quillmap_svg.so\"")))
        << alone.err.toStdString();
    EXPECT_FALSE(r.dir.exists("a.svg"));
}

}  // namespace
}  // namespace qm
