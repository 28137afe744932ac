// Label measuring: the faces chosen for document font names, and sizes that
// follow the text the way the canvas draws it.
#include <QFontDatabase>
#include <QRawFont>
#include <QTextLayout>
#include <QtTest>

#include "render/fonts.h"
#include "render/qt_text_metrics.h"

namespace qm {

class TestTextMetrics : public QObject {
    Q_OBJECT
private slots:
    void fontSizeIsInLogicalPixels() {
        QCOMPARE(fontPixelSize(9), 12);
        QCOMPARE(fontPixelSize(12), 16);
        QCOMPARE(fontPixelSize(14), 19);
        QCOMPARE(fontPixelSize(0), 1);
        // Pixel-sized, so the screen's DPI setting cannot change a label's size.
        QCOMPARE(labelFont("宋体", 9).pixelSize(), 12);
        QCOMPARE(labelFont("黑体", 14).pixelSize(), 19);
    }

    void documentFontNamesGetFacesWithChineseGlyphs_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("default") << QString::fromUtf8("宋体");
        QTest::newRow("title") << QString::fromUtf8("黑体");
        QTest::newRow("unknown") << QStringLiteral("No Such Font 123");
        QTest::newRow("empty") << QString();
    }
    void documentFontNamesGetFacesWithChineseGlyphs() {
        QFETCH(QString, name);
        const QByteArray utf8 = name.toUtf8();
        const QRawFont raw = QRawFont::fromFont(labelFont(std::string_view(utf8.data(), utf8.size()), 9));
        QVERIFY2(raw.isValid(), qPrintable(resolveFamily(utf8.toStdString())));
        // One of our CJK faces, not the platform's default face, which follows the
        // locale (this test runs under C and under zh_CN).
        QVERIFY(resolveFamily(utf8.toStdString()) != QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
        for (const QChar c : QString::fromUtf8("编号单击这里添加标题制作人审核依据"))
            QVERIFY2(raw.supportsCharacter(c), qPrintable(raw.familyName() + QStringLiteral(": ") + c));
    }

    void aFaceIsFoundByEachOfItsNames() {
        // The names Qt knows a face by, in English and in Chinese, whichever of
        // them it lists under the locale; none of them a substitute.
        for (const char* name : {"WenQuanYi Micro Hei", "文泉驿微米黑", "DejaVu Sans", "宋体", "No Such Font 123"}) {
            const QString family = QString::fromUtf8(name);
            QCOMPARE(resolveFamily(name) == family, QFontDatabase::hasFamily(family));
        }
    }

    void captionWithoutWrapIsAsWideAsItsText() {
        const QtTextMetrics m;
        // Eight full-width characters of 12 px each.
        const TextExtent e = m.measure("单击这里添加文本", "宋体", 9, 0);
        QCOMPARE(e.width, 8 * 12 * 15.0f);
        QVERIFY(e.height >= 12 * 15.0f);
        QCOMPARE(std::fmod(e.height, 15.0f), 0.0f);  // whole pixels

        const TextExtent title = m.measure("单击这里添加标题", "黑体", 14, 0);
        QCOMPARE(title.width, 8 * 19 * 15.0f);

        const TextExtent empty = m.measure("", "宋体", 9, 0);
        QCOMPARE(empty.width, 0.0f);
        QCOMPARE(empty.height, e.height);  // an empty label still has one line
    }

    void lineBreaksStartNewLines() {
        const QtTextMetrics m;
        const TextExtent one = m.measure("制作人", "宋体", 9, 0);
        const TextExtent two = m.measure("制作人\n审核", "宋体", 9, 0);
        const TextExtent crlf = m.measure("制作人\r\n审核", "宋体", 9, 0);
        QCOMPARE(two.width, one.width);  // the wider line decides
        QVERIFY(two.height > one.height);
        QCOMPARE(crlf.width, two.width);
        QCOMPARE(crlf.height, two.height);
    }

    void verticalLabelPutsEveryCharacterOnItsOwnLine() {
        const QtTextMetrics m;
        const TextExtent wrapped = m.measure("竖向标签", "宋体", 9, 165);
        const TextExtent stacked = m.measure("竖\n向\n标\n签", "宋体", 9, 0);
        QCOMPARE(wrapped.width, 165.0f);  // the width stays as set
        QCOMPARE(wrapped.height, stacked.height);

        QCOMPARE(labelLines(labelFont("宋体", 9), QString::fromUtf8("竖向标签"), 11.0),
                 QString::fromUtf8("竖,向,标,签").split(QLatin1Char(',')));
        // Latin text narrower than the line keeps to one line; too long, it breaks.
        QCOMPARE(labelLines(labelFont("宋体", 9), QStringLiteral("ab"), 200.0).size(), 1);
        QVERIFY(labelLines(labelFont("宋体", 9), QStringLiteral("abcdefghij"), 11.0).size() >= 5);
    }

    // Long words are broken without Qt's search for a word boundary that no line
    // can reach; the lines must still be exactly those of Qt's own wrapping.
    void longWordsBreakExactlyWhereQtBreaksThem() {
        const QFont& font = labelFont("宋体", 9);
        auto qtLines = [&](const QString& paragraph, qreal width) {
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            QTextLayout layout(paragraph, font);
            layout.setTextOption(option);
            layout.beginLayout();
            QStringList lines;
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                lines << paragraph.mid(line.textStart(), line.textLength());
            }
            layout.endLayout();
            return lines;
        };
        const QString x(300, QLatin1Char('x')), y(90, QLatin1Char('y'));
        const QStringList texts = {x,
                                   QStringLiteral("ab ") + x + QStringLiteral(" cd ef gh"),
                                   y + QStringLiteral(" abcdefgh ijk lmn"),
                                   QString::fromUtf8("流程图") + x + QString::fromUtf8("审核，依据"),
                                   y + QChar(0x00A0) + y + QStringLiteral("   ") + y,
                                   QStringLiteral("short words wrap between words as they always did")};
        for (const QString& text : texts) {
            for (const qreal width : {0.5, 11.0, 40.0, 300.0, 640.0, 2000.0}) {
                const QStringList want = qtLines(text, width);
                QCOMPARE(labelLines(font, text, width), want);
                QCOMPARE(labelLines(font, text, width, 2), want.mid(0, 2));
            }
        }
    }

    void wideWrapKeepsOneLine() {
        const QtTextMetrics m;
        const TextExtent wrapped = m.measure("单击", "宋体", 9, 1440);
        const TextExtent plain = m.measure("单击", "宋体", 9, 0);
        QCOMPARE(wrapped.width, 1440.0f);
        QCOMPARE(wrapped.height, plain.height);
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestTextMetrics)
#include "text_metrics_test.moc"
