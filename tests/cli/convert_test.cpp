// qmptool convert: a qmp drawing comes out as a quillmap document that the
// quillmap reader opens with every text and position kept; a quillmap document
// comes out as the editor saves it; the input is never written over. A chart
// comes out as a draw.io diagram and as an OpenDocument drawing that LibreOffice
// reads with its shapes, texts and glued arrows.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include "drawings.h"
#include "edit/insert.h"
#include "interact/selection.h"
#include "model/element_parts.h"
#include "render/canvas_painter.h"
#include "render/print_layout.h"
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
    fs::create_hard_link(dir.path("old.qmp"), dir.path("hard.drawio"));
    fs::create_directory(dir.path("sub"));

    for (const std::string out : {"old.qmp", "link.qmp", "hard.qmp", "sub/../old.qmp", "hard.drawio"}) {
        const test::ToolRun run = convert(dir, "old.qmp", out);
        EXPECT_EQ(run.exitCode, 1) << out;
        ASSERT_EQ(run.errLines().size(), 1) << run.err.toStdString();
        EXPECT_TRUE(run.errLines()[0].startsWith(QStringLiteral("qmptool: ")));
        EXPECT_TRUE(run.errLines()[0].contains(QStringLiteral("is the input file"))) << run.err.toStdString();
        EXPECT_EQ(dir.read("old.qmp"), original) << out;
    }
    EXPECT_TRUE(fs::is_symlink(dir.path("link.qmp")));
    EXPECT_EQ(dir.files().size(), 4) << "no temporary file left behind";
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
    for (const char* out : {"no/such/folder/new.QMP", "no/such/folder/new.odg", "no/such/folder/new.drawio"}) {
        const test::ToolRun run = convert(dir, "old.qmp", out);
        EXPECT_EQ(run.exitCode, 1);
        ASSERT_EQ(run.errLines().size(), 1);
        EXPECT_TRUE(run.errLines()[0].startsWith(QStringLiteral("qmptool: cannot save"))) << run.err.toStdString();
    }
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

namespace qm {
namespace {

// An XML file as a tree, enough to look for elements and their attributes.
struct XmlNode {
    QString name;
    QXmlStreamAttributes attrs;
    QString text;  // the character data inside, at any depth
    std::vector<XmlNode> kids;

    QString attr(const char* qualified) const { return attrs.value(QLatin1String(qualified)).toString(); }
    // Every element of that qualified name below this one, in document order.
    std::vector<const XmlNode*> all(const char* qualified) const {
        std::vector<const XmlNode*> out;
        for (const XmlNode& k : kids) {
            if (k.name == QLatin1String(qualified)) out.push_back(&k);
            const auto below = k.all(qualified);
            out.insert(out.end(), below.begin(), below.end());
        }
        return out;
    }
    // The text of every paragraph below, one per paragraph, <text:s> as spaces.
    QStringList paragraphs() const {
        QStringList out;
        for (const XmlNode* p : all("text:p")) out << p->text;
        return out;
    }
};

XmlNode parseXml(const std::string& bytes) {
    QXmlStreamReader r(QByteArray::fromStdString(bytes));
    XmlNode root;
    std::vector<XmlNode*> open{&root};
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            open.back()->kids.push_back({r.qualifiedName().toString(), r.attributes(), {}, {}});
            open.push_back(&open.back()->kids.back());
            if (open.back()->name == QLatin1String("text:s")) {
                const QString c = open.back()->attr("text:c");
                for (XmlNode* n : open) n->text += QString(c.isEmpty() ? 1 : c.toInt(), u' ');
            }
        } else if (r.isEndElement()) {
            open.pop_back();
        } else if (r.isCharacters()) {
            for (XmlNode* n : open) n->text += r.text();
        }
    }
    EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    return root;
}

QString qs(const std::string& s) { return QString::fromStdString(s); }

// drawEveryKind with two arrows glued at both ends: one straight, from the
// rectangle's right point to the ellipse's left one, and one bent, from the
// ellipse's bottom point round to the diamond's bottom corner; and a free
// polyline with a bend.
void drawGluedArrows(DrawingEditor& d) {
    test::drawEveryKind(d);
    // The dividers below the middle, as files may hold them: the side points
    // are no glue points LibreOffice has of its own.
    for (LineEl* divider : {d.doc.LineRect.find(1), d.doc.LineRect.find(2)})
        divider->y1 = divider->y2 = divider->y1 + 150;
    const auto rect = *connectionPoints(d.doc, {ElementKind::Shape, 1});
    const auto ellipse = *connectionPoints(d.doc, {ElementKind::Shape, 2});
    const auto diamond = *connectionPoints(d.doc, {ElementKind::Diamond, 1});
    d.polyline({rect[1], ellipse[0]});
    d.polyline({ellipse[3], {ellipse[3].x, 5400}, {diamond[3].x, 5400}, diamond[3]});
    d.polyline({{7500, 5000}, {9000, 5000}, {9000, 6500}});
    clearSelection(d.ed);
    ASSERT_EQ(d.doc.arrowCount, 5);
}

std::vector<PointF> arrowPoints(const Document& doc, int a) {
    const ArrowRecord& r = doc.arrowRec[static_cast<size_t>(a)];
    std::vector<PointF> out;
    for (int k = 1; k <= r.segmentCount(); ++k) {
        const LineEl& s = *doc.Line1.find(r.slot[static_cast<size_t>(k)]);
        if (out.empty()) out.push_back({s.x1, s.y1});
        out.push_back({s.x2, s.y2});
    }
    return out;
}

QStringList captions(const Document& doc, int label1, int label2) {
    return {qs(doc.Label.find(label1)->caption), qs(doc.Label.find(label2)->caption)};
}

TEST(Convert, ADrawioDiagramHoldsTheChartWithItsGluedArrowsAndBends) {
    DrawingEditor d(Layout::Quillmap);
    drawGluedArrows(d);
    TempFolder dir;
    ASSERT_EQ(encodeDocument(d.doc, Layout::Quillmap).ok(), true);
    dir.write("图.QMP", encodeDocument(d.doc, Layout::Quillmap).value());
    const test::ToolRun run = convert(dir, "图.QMP", "图.drawio");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    // mxfile > diagram > mxGraphModel > root > mxCell, the first two the layers.
    const XmlNode file = parseXml(dir.read("图.drawio"));
    ASSERT_EQ(file.kids.size(), 1u);
    const XmlNode& mxfile = file.kids[0];
    ASSERT_EQ(mxfile.name, QStringLiteral("mxfile"));
    ASSERT_EQ(mxfile.kids.size(), 1u);
    ASSERT_EQ(mxfile.kids[0].name, QStringLiteral("diagram"));
    ASSERT_EQ(mxfile.kids[0].kids.size(), 1u);
    const XmlNode& model = mxfile.kids[0].kids[0];
    ASSERT_EQ(model.name, QStringLiteral("mxGraphModel"));
    ASSERT_EQ(model.kids.size(), 1u);
    ASSERT_EQ(model.kids[0].name, QStringLiteral("root"));
    const std::vector<XmlNode>& cells = model.kids[0].kids;
    ASSERT_GE(cells.size(), 2u);
    EXPECT_EQ(cells[0].attr("id"), QStringLiteral("0"));
    EXPECT_EQ(cells[1].attr("parent"), QStringLiteral("0"));
    std::map<QString, const XmlNode*> byId;
    for (const XmlNode& c : cells) {
        EXPECT_EQ(c.name, QStringLiteral("mxCell"));
        EXPECT_TRUE(byId.emplace(c.attr("id"), &c).second) << "id twice: " << c.attr("id").toStdString();
        if (&c != &cells[0]) {
            EXPECT_TRUE(byId.count(c.attr("parent"))) << "parent after child or missing";
        }
    }
    const auto geometry = [](const XmlNode& c) -> const XmlNode& { return *c.all("mxGeometry").at(0); };
    const auto px = [](float twips) { return twips / kTwipsPerPixel; };

    // Figures: vertices at the chart's pixels holding both texts; the deleted one
    // is not there.
    // The drawing as the file holds it, in whole twips.
    const Result<Document> read = readDocument(dir.path("图.QMP"), d.metrics);
    ASSERT_TRUE(read);
    const Document& doc = *read;
    const struct {
        const char* id;
        const char* style;
        QStringList texts;
        float left, top, width, height;
    } figures[] = {
        {"shape1", "rounded=0", captions(doc, doc.shapeRec[1].label1, doc.shapeRec[1].label2), doc.Shape1.find(1)->left,
         doc.Shape1.find(1)->top, doc.Shape1.find(1)->width, doc.Shape1.find(1)->height},
        {"shape2", "ellipse", captions(doc, doc.shapeRec[2].label1, doc.shapeRec[2].label2), doc.Shape1.find(2)->left,
         doc.Shape1.find(2)->top, doc.Shape1.find(2)->width, doc.Shape1.find(2)->height},
        {"diamond1", "rhombus", captions(doc, doc.diamondRec[1].label1, doc.diamondRec[1].label2), 1000, 3500,
         static_cast<float>(doc.diamondRec[1].width), static_cast<float>(doc.diamondRec[1].height)},
    };
    for (const auto& f : figures) {
        ASSERT_TRUE(byId.count(QLatin1String(f.id))) << f.id;
        const XmlNode& c = *byId[QLatin1String(f.id)];
        EXPECT_EQ(c.attr("vertex"), QStringLiteral("1"));
        EXPECT_EQ(c.attr("value"), f.texts.join(u'\n')) << f.id;
        EXPECT_TRUE(c.attr("style").startsWith(QLatin1String(f.style))) << c.attr("style").toStdString();
        const XmlNode& g = geometry(c);
        EXPECT_NEAR(g.attr("x").toFloat(), px(f.left), 0.001) << f.id;
        EXPECT_NEAR(g.attr("y").toFloat(), px(f.top), 0.001) << f.id;
        EXPECT_NEAR(g.attr("width").toFloat(), px(f.width), 0.001) << f.id;
        EXPECT_NEAR(g.attr("height").toFloat(), px(f.height), 0.001) << f.id;
    }
    EXPECT_FALSE(byId.count(QStringLiteral("shape3")));

    // Free labels as text vertices, the vertical one wrapping one character a line.
    QStringList texts;
    for (const XmlNode& c : cells)
        if (c.attr("style").startsWith(QLatin1String("text;")) && c.attr("parent") == QStringLiteral("1"))
            texts << c.attr("value") +
                         (c.attr("style").contains(QLatin1String("html=1;whiteSpace=wrap")) ? QStringLiteral("|wrap") : QString());
    EXPECT_EQ(texts, (QStringList{QStringLiteral("说明: a \"quoted\" note"), QStringLiteral("竖排文字|wrap")}));

    // Arrows: glued ends name their figure and the connection point (left,
    // right, top, bottom) as a fraction of its box, every bend a waypoint.
    const auto glueFraction = [&](const char* figure, int point) {
        const ElementRef e = figure[0] == 's' ? ElementRef{ElementKind::Shape, figure[5] - '0'}
                                              : ElementRef{ElementKind::Diamond, 1};
        const BoxF box = *outlineOf(doc, e);
        const PointF p = (*connectionPoints(doc, e))[static_cast<size_t>(point)];
        return PointF{(p.x - box.left) / (box.right - box.left), (p.y - box.top) / (box.bottom - box.top)};
    };
    const auto styleValue = [](const QString& style, const QString& key) {
        for (const QString& item : style.split(u';'))
            if (item.startsWith(key + u'=')) return item.mid(key.size() + 1).toFloat();
        return -1.0f;
    };
    const struct {
        int arrow;
        const char *source, *target;
        int exit, entry;
    } arrows[] = {
        {1, "shape1", "", 3, 0},  // a clicked straight arrow's tail lands on the point below it
        {2, "", "", 0, 0},
        {3, "shape1", "shape2", 1, 0},
        {4, "shape2", "diamond1", 3, 3},
        {5, "", "", 0, 0},
    };
    for (const auto& a : arrows) {
        const QString id = QStringLiteral("arrow%1").arg(a.arrow);
        ASSERT_TRUE(byId.count(id)) << a.arrow;
        const XmlNode& c = *byId[id];
        EXPECT_EQ(c.attr("edge"), QStringLiteral("1"));
        EXPECT_EQ(c.attr("source"), QLatin1String(a.source)) << a.arrow;
        EXPECT_EQ(c.attr("target"), QLatin1String(a.target)) << a.arrow;
        const QString style = c.attr("style");
        for (const auto& [figure, point, end] : {std::tuple{a.source, a.exit, "exit"}, {a.target, a.entry, "entry"}}) {
            if (!*figure) {
                EXPECT_FALSE(style.contains(QLatin1String(end))) << style.toStdString();
                continue;
            }
            const PointF want = glueFraction(figure, point);
            EXPECT_NEAR(styleValue(style, QLatin1String(end) + u'X'), want.x, 0.0001) << style.toStdString();
            EXPECT_NEAR(styleValue(style, QLatin1String(end) + u'Y'), want.y, 0.0001) << style.toStdString();
        }
        EXPECT_TRUE(c.attr("style").contains(QLatin1String("endArrow=block"))) << a.arrow;
        const std::vector<PointF> points = arrowPoints(doc, a.arrow);
        std::vector<PointF> written;
        for (const XmlNode* p : geometry(c).all("mxPoint"))
            written.push_back({p->attr("x").toFloat() * kTwipsPerPixel, p->attr("y").toFloat() * kTwipsPerPixel});
        // sourcePoint, targetPoint, then the waypoints.
        ASSERT_EQ(written.size(), points.size()) << a.arrow;
        for (size_t k = 0; k < points.size(); ++k) {
            const PointF want = points[k == 0 ? 0 : k == 1 ? points.size() - 1 : k - 1];
            EXPECT_NEAR(written[k].x, want.x, 0.1) << a.arrow << " point " << k;
            EXPECT_NEAR(written[k].y, want.y, 0.1) << a.arrow << " point " << k;
        }
    }
    EXPECT_EQ(arrowPoints(doc, 4).size(), 4u);
    EXPECT_EQ(arrowPoints(doc, 5).size(), 3u);

    // The title block: one group holding its frame, dividers and eight texts.
    std::vector<const XmlNode*> groups;
    for (const XmlNode& c : cells)
        if (c.attr("style").startsWith(QLatin1String("group"))) groups.push_back(&c);
    ASSERT_EQ(groups.size(), 1u);
    QStringList inGroup;
    int lines = 0;
    for (const XmlNode& c : cells) {
        if (c.attr("parent") != groups[0]->attr("id")) continue;
        if (c.attr("edge") == QStringLiteral("1")) ++lines;
        if (!c.attr("value").isEmpty()) inGroup << c.attr("value");
    }
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(inGroup.size(), 8);
    EXPECT_TRUE(inGroup.contains(QStringLiteral("单击这里添加标题")));
}

// A length as ODF writes it, in millimetres.
double millimetres(const QString& length) {
    const qsizetype unit = length.indexOf(QRegularExpression(QStringLiteral("[a-z]")));
    const double v = length.left(unit).toDouble();
    const QString u = length.mid(unit);
    if (u == QStringLiteral("cm")) return v * 10;
    if (u == QStringLiteral("in")) return v * 25.4;
    if (u == QStringLiteral("pt")) return v * 25.4 / 72;
    EXPECT_EQ(u, QStringLiteral("mm")) << length.toStdString();
    return v;
}

TEST(Convert, LibreOfficeKeepsTheShapesTheirTextsTheGluedArrowsAndThePage) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed: the drawings are not read back";
    DrawingEditor d(Layout::Quillmap);
    drawGluedArrows(d);
    TempFolder dir;
    dir.write("图.QMP", encodeDocument(d.doc, Layout::Quillmap).value());
    ASSERT_EQ(convert(dir, "图.QMP", "package.odg").exitCode, 0);
    ASSERT_EQ(convert(dir, "图.QMP", "flat.fodg").exitCode, 0);

    // Where Print puts the chart on its A4 landscape page.
    const QRectF placed = printedPictureRect(printPageLayout(), drawingSize(canvasPixelSize(d.ed.canvas)));
    const auto pageX = [&](float twips) { return placed.left() * 25.4 / 72 + twips * 25.4 / 1440; };
    const auto pageY = [&](float twips) { return placed.top() * 25.4 / 72 + twips * 25.4 / 1440; };
    const Result<Document> read = readDocument(dir.path("图.QMP"), d.metrics);
    ASSERT_TRUE(read);
    const Document& doc = *read;

    for (const char* name : {"package.odg", "flat.fodg"}) {
        SCOPED_TRACE(name);
        // LibreOffice's own reading of the file, written again as it keeps it.
        const QString out = dir.qpath(std::string("lo-") + name);
        test::programOutput(soffice, {QStringLiteral("-env:UserInstallation=file://") + dir.qpath("profile"),
                                QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("fodg"),
                                QStringLiteral("--outdir"), out, dir.qpath(name)});
        const QString kept = out + u'/' + QFileInfo(QString::fromUtf8(name)).completeBaseName() + QStringLiteral(".fodg");
        ASSERT_TRUE(QFileInfo::exists(kept)) << "LibreOffice wrote nothing";
        QFile f(kept);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const XmlNode lo = parseXml(f.readAll().toStdString());

        const auto layouts = lo.all("style:page-layout-properties");
        ASSERT_FALSE(layouts.empty());
        EXPECT_NEAR(millimetres(layouts[0]->attr("fo:page-width")), 297, 0.1);
        EXPECT_NEAR(millimetres(layouts[0]->attr("fo:page-height")), 210, 0.1);

        // Shapes by the names we gave them, with their texts, at their place.
        std::map<QString, QString> nameOfId;
        std::map<QString, const XmlNode*> byName;
        for (const char* kind : {"draw:rect", "draw:ellipse", "draw:custom-shape"})
            for (const XmlNode* s : lo.all(kind))
                if (!s->attr("draw:name").isEmpty()) {
                    byName[s->attr("draw:name")] = s;
                    nameOfId[s->attr("draw:id")] = s->attr("draw:name");
                }
        const struct {
            const char* name;
            const char* element;
            QStringList texts;
            float left, top;
        } figures[] = {
            {"shape1", "draw:rect", captions(doc, doc.shapeRec[1].label1, doc.shapeRec[1].label2),
             doc.Shape1.find(1)->left, doc.Shape1.find(1)->top},
            {"shape2", "draw:ellipse", captions(doc, doc.shapeRec[2].label1, doc.shapeRec[2].label2),
             doc.Shape1.find(2)->left, doc.Shape1.find(2)->top},
            {"diamond1", "draw:custom-shape", captions(doc, doc.diamondRec[1].label1, doc.diamondRec[1].label2),
             1000, 3500},
        };
        for (const auto& fig : figures) {
            ASSERT_TRUE(byName.count(QLatin1String(fig.name))) << fig.name;
            const XmlNode& s = *byName[QLatin1String(fig.name)];
            EXPECT_EQ(s.name, QLatin1String(fig.element));
            EXPECT_EQ(s.paragraphs(), fig.texts) << fig.name;
            EXPECT_NEAR(millimetres(s.attr("svg:x")), pageX(fig.left), 0.05) << fig.name;
            EXPECT_NEAR(millimetres(s.attr("svg:y")), pageY(fig.top), 0.05) << fig.name;
        }
        EXPECT_FALSE(byName.count(QStringLiteral("shape3")));
        const auto decisions = byName[QStringLiteral("diamond1")]->all("draw:enhanced-geometry");
        ASSERT_EQ(decisions.size(), 1u);
        EXPECT_EQ(decisions[0]->attr("draw:type"), QStringLiteral("flowchart-decision"));

        // The glued arrows are connectors naming their shapes, their ends on the
        // connection points LibreOffice finds from the glue.
        const auto connectors = lo.all("draw:connector");
        ASSERT_EQ(connectors.size(), 3u);
        const struct {
            int arrow;
            const char *start, *end;
        } glued[] = {{1, "shape1", ""}, {3, "shape1", "shape2"}, {4, "shape2", "diamond1"}};
        for (size_t k = 0; k < std::size(glued); ++k) {
            const XmlNode& c = *connectors[k];
            EXPECT_EQ(nameOfId[c.attr("draw:start-shape")], QLatin1String(glued[k].start)) << k;
            EXPECT_EQ(nameOfId[c.attr("draw:end-shape")], QLatin1String(glued[k].end)) << k;
            const std::vector<PointF> points = arrowPoints(doc, glued[k].arrow);
            EXPECT_NEAR(millimetres(c.attr("svg:x1")), pageX(points.front().x), 0.05) << k;
            EXPECT_NEAR(millimetres(c.attr("svg:y1")), pageY(points.front().y), 0.05) << k;
            EXPECT_NEAR(millimetres(c.attr("svg:x2")), pageX(points.back().x), 0.05) << k;
            EXPECT_NEAR(millimetres(c.attr("svg:y2")), pageY(points.back().y), 0.05) << k;
        }
        // The free polyline keeps its bends.
        const auto polylines = lo.all("draw:polyline");
        ASSERT_EQ(polylines.size(), 1u);
        EXPECT_EQ(polylines[0]->attr("draw:points").split(u' ').size(), 3);

        // Labels as text frames; the title block one group with its texts.
        QStringList frames;
        for (const XmlNode* fr : lo.all("draw:frame")) frames << fr->paragraphs();
        EXPECT_TRUE(frames.contains(QStringLiteral("说明: a \"quoted\" note")));
        EXPECT_TRUE(frames.contains(QStringLiteral("竖排文字")));
        std::vector<const XmlNode*> titleBlocks;
        for (const XmlNode* g : lo.all("draw:g"))
            if (g->paragraphs().contains(QStringLiteral("单击这里添加标题"))) titleBlocks.push_back(g);
        ASSERT_EQ(titleBlocks.size(), 1u);
        EXPECT_EQ(titleBlocks[0]->all("draw:frame").size(), 8u);
        EXPECT_EQ(titleBlocks[0]->all("draw:line").size(), 3u);
    }
}

}  // namespace
}  // namespace qm
