// qmptool dump: the JSON is read back by Qt's own parser and compared field by
// field with the drawing that was written, in file order and under the format's names.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "drawings.h"
#include "io/document_io.h"
#include "tool_run.h"

namespace qm {
namespace {

using test::DrawingEditor;
using test::TempFolder;

QJsonObject parse(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << " at " << error.offset;
    return doc.object();
}

QString q(const std::string& s) { return QString::fromStdString(s); }

// Positions are stored as whole twips, halves to the even neighbour.
int stored(float v) { return static_cast<int>(std::nearbyint(v)); }

// The keys of the first one-line object that follows `"name": {` in the text.
QStringList keysOf(const QByteArray& json, const char* section, const char* group) {
    const qsizetype list = json.indexOf(QByteArray("\"") + section + "\": [");
    const qsizetype at = json.indexOf(QByteArray("\"") + group + "\": {", list);
    const QString objectLine = QString::fromUtf8(json.mid(at, json.indexOf('\n', at) - at));
    QStringList keys;
    static const QRegularExpression key(QStringLiteral("\"(\\w+)\": "));
    for (auto it = key.globalMatch(objectLine); it.hasNext();) keys << it.next().captured(1);
    keys.removeFirst();  // the group's own name
    return keys;
}

TEST(Dump, EveryFieldOfAQuillmapFileReadsBackWithTheDrawingsValues) {
    DrawingEditor d(Layout::Quillmap);
    test::drawEveryKind(d);
    d.doc.labelReserve(3).text = "\xB1\xA3\xC1\xF4\"\\\n";  // "保留" and characters JSON must escape
    TempFolder dir;
    ASSERT_TRUE(writeDocument(dir.path("a.QMP"), d.doc));

    const test::ToolRun run = test::runQmptool({QStringLiteral("dump"), dir.qpath("a.QMP")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QJsonObject o = parse(run.out);
    const Document& doc = d.doc;

    EXPECT_EQ(o[QStringLiteral("layout")].toString(), QStringLiteral("quillmap"));
    EXPECT_EQ(o[QStringLiteral("version")].toInt(), 1);
    EXPECT_EQ(o[QStringLiteral("tag")].toString(), QStringLiteral("QMP") + QString(252, QLatin1Char(' ')));
    EXPECT_EQ(o[QStringLiteral("shapeCount")].toInt(), doc.shapeCount);
    EXPECT_EQ(o[QStringLiteral("titleBlockLeft")].toDouble(), doc.Shape2.left);
    EXPECT_EQ(o[QStringLiteral("titleBlockTop")].toDouble(), doc.Shape2.top);

    const QJsonArray shapes = o[QStringLiteral("shapes")].toArray();
    ASSERT_EQ(shapes.size(), doc.shapeCount);
    EXPECT_EQ(shapes[0][QStringLiteral("offset")].toInt(), 259);
    EXPECT_EQ(shapes[1][QStringLiteral("offset")].toInt(), 259 + 1578);
    for (int i = 1; i <= doc.shapeCount; ++i) {
        const QJsonObject s = shapes[i - 1].toObject();
        const ShapeEl& el = *doc.Shape1.find(i);
        const QJsonObject entry = s[QStringLiteral("entry")].toObject();
        EXPECT_EQ(entry[QStringLiteral("left")].toInt(), stored(el.left)) << i;
        EXPECT_EQ(entry[QStringLiteral("top")].toInt(), stored(el.top)) << i;
        EXPECT_EQ(entry[QStringLiteral("width")].toInt(), stored(el.width)) << i;
        EXPECT_EQ(entry[QStringLiteral("style")].toInt(), el.style) << i;
        EXPECT_EQ(entry[QStringLiteral("visible")].toInt(), el.visible ? -1 : 0) << i;
        const QJsonObject rec = s[QStringLiteral("record")].toObject();
        EXPECT_EQ(rec[QStringLiteral("label1")].toInt(), doc.shapeRec[i].label1) << i;
        EXPECT_EQ(rec[QStringLiteral("innerLabel")].toArray().size(), 256);
        EXPECT_EQ(s[QStringLiteral("line")][QStringLiteral("y1")].toInt(), stored(doc.LineRect.find(i)->y1)) << i;
    }
    EXPECT_EQ(shapes[2][QStringLiteral("entry")][QStringLiteral("visible")].toInt(), 0) << "the deleted rectangle";

    const QJsonArray labels = o[QStringLiteral("labels")].toArray();
    ASSERT_EQ(labels.size(), doc.labelCount);
    for (int i = 1; i <= doc.labelCount; ++i) {
        const QJsonObject entry = labels[i - 1][QStringLiteral("entry")].toObject();
        const LabelEl& el = *doc.Label.find(i);
        EXPECT_EQ(entry[QStringLiteral("caption")].toString(), q(el.caption)) << i;
        EXPECT_EQ(entry[QStringLiteral("fontName")].toString(), q(el.fontName)) << i;
        EXPECT_EQ(entry[QStringLiteral("left")].toInt(), stored(el.left)) << i;
        EXPECT_EQ(entry[QStringLiteral("wordWrap")].toInt(), el.wordWrap ? -1 : 0) << i;
    }
    EXPECT_EQ(labels[2][QStringLiteral("reserve")][QStringLiteral("text")].toString(), QStringLiteral("保留\"\\\n"));
    EXPECT_EQ(labels[2][QStringLiteral("reserve")][QStringLiteral("bytes")].toArray().size(), 8);

    const QJsonArray arrows = o[QStringLiteral("arrows")].toArray();
    ASSERT_EQ(arrows.size(), 2);
    const QJsonArray slotValues = arrows[1][QStringLiteral("record")][QStringLiteral("slots")].toArray();
    ASSERT_EQ(slotValues.size(), 260);
    EXPECT_EQ(slotValues[256].toInt(), doc.arrowRec[2].count());
    EXPECT_EQ(slotValues[1].toInt(), doc.arrowRec[2].slot[1]);
    EXPECT_EQ(arrows[0][QStringLiteral("heads")][QStringLiteral("down")][QStringLiteral("visible")].toInt(), -1);
    EXPECT_EQ(o[QStringLiteral("segments")].toArray().size(), doc.segCount);
    const QJsonObject diamond = o[QStringLiteral("diamonds")][0][QStringLiteral("record")].toObject();
    EXPECT_EQ(diamond[QStringLiteral("width")].toInt(), 2400);
    EXPECT_EQ(diamond[QStringLiteral("x")].toInt(), doc.diamondRec[1].x);
}

TEST(Dump, FieldsComeInFileOrderUnderTheFormatsNames) {
    DrawingEditor d(Layout::Quillmap);
    test::drawEveryKind(d);
    TempFolder dir;
    ASSERT_TRUE(writeDocument(dir.path("a.QMP"), d.doc));
    const QByteArray json = test::runQmptool({QStringLiteral("dump"), dir.qpath("a.QMP")}).out;

    const QStringList top = [&] {
        QStringList keys;
        static const QRegularExpression key(QStringLiteral("^  \"(\\w+)\": "), QRegularExpression::MultilineOption);
        for (auto it = key.globalMatch(QString::fromUtf8(json)); it.hasNext();) keys << it.next().captured(1);
        return keys;
    }();
    EXPECT_EQ(top.join(QLatin1Char(',')),
              QStringLiteral("layout,tag,version,shapeCount,shapes,labelCount,labels,segCount,segments,arrowCount,"
                             "arrows,diamondCount,diamonds,titleBlockLeft,titleBlockTop"));
    const std::tuple<const char*, const char*, const char*> parts[] = {
        {"shapes", "entry", "left,top,visible,style,width,height"},
        {"shapes", "line", "x1,x2,y1,y2,visible"},
        {"shapes", "record", "selfIndex,moved,lastLeft,lastTop,label1,label2,shapeType,innerCount,innerLabel,innerDX,innerDY"},
        {"labels", "entry", "left,top,height,width,caption,visible,wordWrap,fontSize,fontName"},
        {"segments", "entry", "x1,y1,x2,y2,visible"},
        {"diamonds", "record", "label1,label2,width,height,x,y,innerCount,innerLabel,innerDX,innerDY"}};
    for (const auto& [section, part, keys] : parts)
        EXPECT_EQ(keysOf(json, section, part).join(QLatin1Char(',')), QString::fromLatin1(keys)) << section << ' ' << part;
}

TEST(Dump, AQmpFileHasNoVersionAndOnlyTheFieldsItStores) {
    DrawingEditor d(Layout::Qmp);
    test::drawEveryReducedKind(d);
    TempFolder dir;
    ASSERT_TRUE(writeQmpDocument(dir.path("old.qmp"), d.doc));
    const test::ToolRun run = test::runQmptool({QStringLiteral("dump"), dir.qpath("old.qmp")});
    EXPECT_EQ(run.exitCode, 0);
    const QJsonObject o = parse(run.out);
    EXPECT_EQ(o[QStringLiteral("layout")].toString(), QStringLiteral("qmp"));
    EXPECT_TRUE(o[QStringLiteral("version")].isNull());
    EXPECT_FALSE(o.contains(QStringLiteral("tag")));
    EXPECT_FALSE(o.contains(QStringLiteral("titleBlockLeft")));
    const QJsonObject shape = o[QStringLiteral("shapes")][0].toObject();
    EXPECT_EQ(shape[QStringLiteral("offset")].toInt(), 2);
    EXPECT_FALSE(shape[QStringLiteral("entry")].toObject().contains(QStringLiteral("width")));
    EXPECT_FALSE(shape[QStringLiteral("record")].toObject().contains(QStringLiteral("innerLabel")));
    EXPECT_EQ(shape[QStringLiteral("entry")][QStringLiteral("left")].toInt(), stored(d.doc.Shape1.find(1)->left));
    const QJsonObject label = o[QStringLiteral("labels")][d.doc.labelCount - 1][QStringLiteral("entry")].toObject();
    EXPECT_EQ(label[QStringLiteral("caption")].toString(), QStringLiteral("说明文字"));
    EXPECT_FALSE(label.contains(QStringLiteral("fontName")));
    EXPECT_EQ(o[QStringLiteral("diamonds")][0][QStringLiteral("record")].toObject().keys().size(), 2);
}

TEST(Dump, AStoredTextThatIsNoGbkKeepsItsBytesInHex) {
    DrawingEditor d(Layout::Quillmap);
    d.doc.labelReserve(1).text = std::string("\x81\xFF\x00z", 4);
    TempFolder dir;
    ASSERT_TRUE(writeDocument(dir.path("a.QMP"), d.doc));
    const test::ToolRun run = test::runQmptool({QStringLiteral("dump"), dir.qpath("a.QMP")});
    EXPECT_EQ(run.exitCode, 0);
    const QJsonObject reserve = parse(run.out)[QStringLiteral("labels")][0][QStringLiteral("reserve")].toObject();
    EXPECT_TRUE(reserve[QStringLiteral("text")].isNull());
    EXPECT_EQ(reserve[QStringLiteral("textHex")].toString(), QStringLiteral("81ff007a"));
}

TEST(Dump, AnInvalidFilePrintsNothingButTheFaultAndItsByte) {
    DrawingEditor d(Layout::Quillmap);
    test::drawEveryKind(d);
    std::string bytes = encodeDocument(d.doc, Layout::Quillmap).value();
    bytes[255 + 2 + 2 + 6] = 7;
    TempFolder dir;
    dir.write("bad.QMP", bytes);
    const test::ToolRun run = test::runQmptool({QStringLiteral("dump"), dir.qpath("bad.QMP")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    ASSERT_EQ(run.errLines().size(), 1);
    EXPECT_EQ(run.errLines()[0],
              QStringLiteral("qmptool: \"") + dir.qpath("bad.QMP") +
                  QStringLiteral("\" is not a valid quillmap document: shape 1: style 7 is not a shape style (0 to 5) "
                                 "(byte 265)"));

    const test::ToolRun missing = test::runQmptool({QStringLiteral("dump"), dir.qpath("none.QMP")});
    EXPECT_EQ(missing.exitCode, 1);
    ASSERT_EQ(missing.errLines().size(), 1);
    EXPECT_TRUE(missing.errLines()[0].startsWith(QStringLiteral("qmptool: cannot open")));
}

}  // namespace
}  // namespace qm
