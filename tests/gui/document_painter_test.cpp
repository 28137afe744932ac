// The painting routine on its own: what each element kind puts on the canvas,
// stacking, and what must never be drawn (hidden elements, templates).
#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPainterPathStroker>
#include <QtTest>

#include "edit/insert.h"
#include "edit/qmp_commands.h"
#include "edit/quillmap_commands.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "io/document_io.h"
#include "model/labels.h"
#include "model/null_host.h"
#include "pixels.h"
#include "render/document_painter.h"
#include "render/qt_text_metrics.h"
#include "render/twips.h"

namespace qm {

using test::at;
using test::isBlack;
using test::isWhite;

namespace {

const QColor kHighlight(1, 2, 200);
const QColor kCaption(200, 2, 1);

PaintOptions options() {
    PaintOptions o;
    o.highlight = kHighlight;
    o.activeCaption = kCaption;
    return o;
}

// A document with nothing visible: the title block frame hidden too.
Document blank() {
    Document d;
    d.Shape2.visible = false;
    d.Line2.visible = d.Line3.visible = d.Line4.visible = false;
    return d;
}

QImage paint(const Document& d, const PaintOptions& o = options()) {
    QImage img(957, 637, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    paintDocument(p, d, o);
    return img;
}

template <class T>
T& add(Collection<T>& c, int i) {
    c.create(i);
    c.setVisible(i, true);
    return *c.find(i);
}

bool sameColor(const QColor& a, const QColor& b) { return a.rgb() == b.rgb(); }

}  // namespace

class TestDocumentPainter : public QObject {
    Q_OBJECT
private slots:
    // Twips become pixels by the library's roundings (whole twips halves to even,
    // then pixels halves away from zero), done inline for speed: the same pixels.
    void twipsRoundAsTheLibraryRoundsThem() {
        const auto reference = [](double twips) {
            return static_cast<int>(std::lround(std::clamp(std::nearbyint(twips) / kTwipsPerPixel, -1.0e7, 1.0e7)));
        };
        for (int k = -300000; k <= 300000; ++k)
            for (const double f : {0.0, 0.25, 0.5, 0.75})
                QCOMPARE(pixels(k + f), reference(k + f));
        for (const double far : {1.0e9, -1.0e9, 1.0e20, -1.0e20, 7.5, -7.5, 22.5, -22.5}) QCOMPARE(pixels(far), reference(far));
        QCOMPARE(pixels(std::nan("")), 0);
    }

    // Positions that hold half twips are painted where the file puts them, so a
    // drawing opened again looks exactly as it did before it was saved: the title
    // centred on the canvas, a divider in the middle of a shape of odd height.
    void aReopenedDrawingLooksAsItDidBeforeTheSave() {
        NullHost host;
        QtTextMetrics metrics;
        for (Layout layout : {Layout::Quillmap, Layout::Qmp}) {
            Editor ed(host, metrics);
            if (layout == Layout::Quillmap) {
                startUp(ed);
                ed.doc.Label.find(2)->left = 6502.5f;
            } else {
                reduced::startUp(ed);
            }
            insertShape(ed, ShapeStyle::Rectangle);
            canvasMove(ed, 0, 0, 3007.5f, 2002.5f);
            canvasPress(ed, 1, 0, 3007.5f, 2002.5f);
            clearSelection(ed);
            const QImage before = paint(ed.doc);
            const std::string bytes = encodeDocument(ed.doc, layout).value();
            QCOMPARE(paint(decodeDocument(bytes, layout, metrics).value()), before);
        }
    }

    void nothingVisibleLeavesTheCanvasWhite() {
        Document d = blank();
        // Templates are never drawn, even when they say visible.
        d.Shape1.templ().visible = true;
        d.Label.templ().visible = true;
        d.Line1.templ().visible = true;
        d.lx1.templ().visible = true;
        d.picUp.templ().visible = true;
        // Hidden elements are not drawn either.
        add(d.Shape1, 1).visible = false;
        add(d.Label, 1).visible = false;
        add(d.Line1, 1).visible = false;
        add(d.picRight, 1).visible = false;
        add(d.spHandle, 1).visible = false;
        QCOMPARE(test::inkBox(paint(d), QRect(0, 0, 957, 637)), QRect());
    }

    void titleBlockFrameAndDividersEndOnTheFrame() {
        Document d;  // frame and dividers visible
        QtTextMetrics m;
        d.Shape2.left = 11500;
        d.Shape2.top = 8000;
        d.Line3 = {11500, 8455, 14290, 8455, true};
        d.Line2 = {12430, 8000, 12430, 9365, true};
        const QImage img = paint(d);
        // Frame 2790 x 1365 twips at (11500, 8000): pixels 767..952 by 533..623.
        QVERIFY(isBlack(at(img, 767, 578)));
        QVERIFY(isBlack(at(img, 800, 533)));
        QVERIFY(isBlack(at(img, 952, 600)));
        QVERIFY(isBlack(at(img, 800, 623)));
        QVERIFY(isWhite(at(img, 766, 578)));
        QVERIFY(isWhite(at(img, 800, 532)));
        QVERIFY(isWhite(at(img, 800, 580)));
        // The dividers end on the frame, not a pixel past it.
        QVERIFY(isBlack(at(img, 900, 564)));
        QVERIFY(isWhite(at(img, 953, 564)));
        QVERIFY(isBlack(at(img, 829, 600)));
        QVERIFY(isWhite(at(img, 829, 624)));
    }

    void outlinesTakeTheirColourAndStyle() {
        Document d = blank();
        ShapeEl& rect = add(d.Shape1, 1);
        rect = {1500, 1500, 1965, 1215, true, 0, kGreen};  // pixels 100..230 by 100..180
        ShapeEl& oval = add(d.Shape1, 2);
        oval = {6000, 1500, 1500, 900, true, 2, kBlack};  // pixels 400..499 by 100..159
        const QImage img = paint(d);

        const QColor green(0, 255, 0);
        QVERIFY(sameColor(at(img, 100, 140), green));
        QVERIFY(sameColor(at(img, 230, 140), green));
        QVERIFY(sameColor(at(img, 160, 100), green));
        QVERIFY(sameColor(at(img, 160, 180), green));
        QVERIFY(isWhite(at(img, 160, 140)));  // transparent inside
        QVERIFY(isWhite(at(img, 231, 140)));

        QVERIFY(isBlack(at(img, 400, 129)) || isBlack(at(img, 400, 130)));  // left of the oval
        QVERIFY(isWhite(at(img, 401, 101)));  // its box's corner is outside it
        QVERIFY(isWhite(at(img, 450, 130)));
    }

    void dottedLineHasGaps() {
        Document d = blank();
        d.lneTemp = {1500, 6000, 4500, 6000, true, kBlack, LineStyle::Dotted};
        const QImage img = paint(d);
        const int dots = test::countIf(img, QRect(100, 400, 200, 1), test::isBlack);
        QVERIFY2(dots > 40 && dots < 160, qPrintable(QString::number(dots)));
        const QRect ink = test::inkBox(img, QRect(0, 0, 957, 637));
        QCOMPARE(ink.left(), 100);
        QVERIFY(QRect(100, 400, 200, 1).contains(ink));
    }

    // The rubber band shows its four sides at every zoom, dotted: zoomed out, an
    // outline thinner than a pixel would fall between the pixels' centres.
    void rubberBandShowsFourDottedSides() {
        Document d = blank();
        d.selKind = SelKind::SelectingArea;
        d.bandFromX = 1500, d.bandFromY = 1500, d.bandX = 4500, d.bandY = 3750;  // (100, 100) to (300, 250)
        for (const qreal scale : {0.25, 0.5, 0.75, 1.0, 1.25, 2.0}) {
            QImage img(700, 600, QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter p(&img);
            p.scale(scale, scale);
            paintRubberBand(p, d);
            p.end();
            const auto near = [scale](int v) { return QPoint(qFloor(v * scale) - 1, qCeil(v * scale) + 1); };
            const auto side = [&](QPoint xs, QPoint ys) {
                return test::countIf(img, QRect(QPoint(xs.x(), ys.x()), QPoint(xs.y(), ys.y())), test::isBlack);
            };
            const QPoint across = QPoint(qCeil(110 * scale), qFloor(240 * scale));
            const QPoint along = QPoint(qCeil(110 * scale), qFloor(290 * scale));
            const int sides[] = {side(near(100), across), side(near(300), across), side(along, near(100)),
                                 side(along, near(250))};
            for (const int inked : sides) {
                const int length = std::min(across.y() - across.x(), along.y() - along.x());
                const int wide = std::max(1, static_cast<int>(std::lround(scale)));
                QVERIFY2(inked > length / 5 && inked < 2 * length * wide / 3,
                         qPrintable(QStringLiteral("%1: a side has %2 black pixels").arg(scale).arg(inked)));
            }
        }
    }

    // Zoomed, straight lines are filled rather than stroked; they must still cover
    // exactly what the pen strokes.
    void zoomedLinesCoverWhatThePenStrokes() {
        Document d = blank();
        const std::vector<LineEl> lines = {{1500, 1515, 4500, 1515, true, kBlack, LineStyle::Solid},
                                           {1515, 1500, 1515, 4500, true, kBlack, LineStyle::Solid},
                                           {1500, 1500, 4200, 3300, true, kBlack, LineStyle::Solid},
                                           {1800, 4400, 4450, 1650, true, kBlack, LineStyle::Solid}};
        for (size_t k = 0; k < lines.size(); ++k) add(d.Line1, static_cast<int>(k) + 1) = lines[k];
        PaintOptions o = options();
        o.fillStrokes = true;
        for (const qreal scale : {0.25, 0.5}) {
            QImage drawn(400, 400, QImage::Format_RGB32), stroked = drawn;
            drawn.fill(Qt::white);
            stroked.fill(Qt::white);
            QPainter p(&drawn);
            p.scale(scale, scale);
            paintDocument(p, d, o);
            QPainter q(&stroked);
            q.scale(scale, scale);
            QPen pen(Qt::black, 1);
            pen.setCapStyle(Qt::FlatCap);
            for (const LineEl& l : lines) {
                QPainterPath path(QPointF(pixels(l.x1), pixels(l.y1)));
                path.lineTo(pixels(l.x2), pixels(l.y2));
                q.fillPath(QPainterPathStroker(pen).createStroke(path), Qt::black);
            }
            QVERIFY2(drawn == stroked, qPrintable(QString::number(scale)));
        }
    }

    // Enlarged, a line with a slope of one pixel is as thick along all its length:
    // at 125% one screen pixel, at 150% two, never alternating.
    void zoomedLinesAreEvenlyThick() {
        Document d = blank();
        add(d.Line1, 1) = {1500, 3000, 4500, 3015, true, kBlack, LineStyle::Solid};  // (100, 200) to (300, 201)
        add(d.Line1, 2) = {6000, 1500, 6015, 4500, true, kBlack, LineStyle::Solid};  // (400, 100) to (401, 300)
        PaintOptions o = options();
        o.fillStrokes = true;
        for (const qreal scale : {1.25, 1.5, 2.0}) {
            QImage img(1000, 800, QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter p(&img);
            p.scale(scale, scale);
            paintDocument(p, d, o);
            p.end();
            const int thick = static_cast<int>(std::lround(scale));
            const auto inked = [&img](int x, int y) { return isBlack(at(img, x, y)); };
            for (int x = qCeil(105 * scale); x < qFloor(295 * scale); ++x) {
                int n = 0;
                for (int y = qFloor(150 * scale); y < qFloor(250 * scale); ++y) n += inked(x, y) ? 1 : 0;
                QVERIFY2(n == thick, qPrintable(QStringLiteral("%1: column %2 has %3").arg(scale).arg(x).arg(n)));
            }
            for (int y = qCeil(105 * scale); y < qFloor(295 * scale); ++y) {
                int n = 0;
                for (int x = qFloor(380 * scale); x < qFloor(420 * scale); ++x) n += inked(x, y) ? 1 : 0;
                QVERIFY2(n == thick, qPrintable(QStringLiteral("%1: row %2 has %3").arg(scale).arg(y).arg(n)));
            }
        }
    }

    void handlesAreFilledWithTheSystemColours() {
        Document d = blank();
        add(d.spHandle, 1) = {3000, 3000, 75, 75, true, SystemColor::Highlight};
        add(d.spHandle, 2) = {4500, 3000, 75, 75, true, SystemColor::ActiveCaption};
        d.spHandle.templ() = {6000, 3000, 75, 75, true, SystemColor::Highlight};  // the arrow's tail handle
        const QImage img = paint(d);
        QCOMPARE(test::inkBox(img, QRect(190, 190, 30, 30)), QRect(200, 200, 5, 5));
        QVERIFY(sameColor(at(img, 202, 202), kHighlight));
        QVERIFY(sameColor(at(img, 302, 202), kCaption));
        QVERIFY(sameColor(at(img, 402, 202), kHighlight));
    }

    void arrowheadsPointTheirWay_data() {
        QTest::addColumn<int>("dir");
        QTest::newRow("up") << 0;
        QTest::newRow("down") << 1;
        QTest::newRow("left") << 2;
        QTest::newRow("right") << 3;
    }
    void arrowheadsPointTheirWay() {
        QFETCH(int, dir);
        Document d = blank();
        PictureEl& head = add(*d.heads(dir), 1);
        head.left = 4500;  // pixels 300..309
        head.top = 1500;   // pixels 100..109
        const QImage img = paint(d);
        QCOMPARE(test::inkBox(img, QRect(290, 90, 30, 30)).isNull(), false);
        // Tip in the middle of its side; the corners beside the tip white, the
        // base's corners black.
        const QPoint tipSide[4][2] = {{{300, 100}, {309, 100}}, {{300, 109}, {309, 109}},
                                      {{300, 100}, {300, 109}}, {{309, 100}, {309, 109}}};
        const QPoint base[4][2] = {{{300, 109}, {309, 109}}, {{300, 100}, {309, 100}},
                                   {{309, 100}, {309, 109}}, {{300, 100}, {300, 109}}};
        const QPoint tip[4] = {{304, 101}, {304, 108}, {301, 104}, {308, 104}};
        for (const QPoint& p : tipSide[dir]) QVERIFY(isWhite(img.pixelColor(p)));
        for (const QPoint& p : base[dir]) QVERIFY(isBlack(img.pixelColor(p)));
        QVERIFY(isBlack(img.pixelColor(tip[dir])));
        QVERIFY(isBlack(at(img, 304, 104)));
    }

    void stackingPutsHandlesAndHeadsAboveLines() {
        Document d = blank();
        add(d.Line1, 1) = {0, 1575, 9000, 1575, true, kGreen};  // row 105 across both
        add(d.spHandle, 1) = {3000, 1500, 75, 150, true, SystemColor::Highlight};
        add(d.picRight, 1).left = 4500;
        d.picRight.find(1)->top = 1500;
        const QImage img = paint(d);
        QVERIFY(sameColor(at(img, 202, 105), kHighlight));
        QVERIFY(isBlack(at(img, 304, 105)));
        QVERIFY(sameColor(at(img, 100, 105), QColor(0, 255, 0)));
    }

    void labelsDrawTheirTextInTheirColourWithoutBackground() {
        Document d = blank();
        QtTextMetrics m;
        // Both created before either is held: creating one may move the others.
        add(d.Label, 1);
        add(d.Label, 2);
        LabelEl& l = *d.Label.find(1);
        l = d.Label.templ();
        l.visible = true;
        l.left = 3000;
        l.top = 4500;
        l.foreColor = kGreen;
        setCaption(l, "测试文字", m);
        LabelEl& v = *d.Label.find(2);
        v = d.Label.templ();
        v.visible = true;
        v.left = 7500;
        v.top = 1500;
        setWordWrap(v, true, 165, m);
        setCaption(v, "竖向标签", m);
        const QImage img = paint(d);

        const QRect box = pixelRect(l.left, l.top, l.width, l.height);
        const QRect ink = test::inkBox(img, box.adjusted(-5, -5, 5, 5));
        QVERIFY(!ink.isNull());
        QVERIFY2(box.adjusted(-1, -1, 1, 1).contains(ink), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
        auto greenish = [](const QColor& c) { return c.green() > 150 && c.red() < 100 && c.blue() < 100; };
        int greens = 0;
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x) greens += greenish(img.pixelColor(x, y));
        QVERIFY(greens > 20);

        // No background: a line behind the label still shows between the strokes.
        Document behind = d;
        const int row = box.center().y();
        add(behind.Line1, 1) = {0, row * 15.0f, 9000, row * 15.0f, true, kBlack};
        const int lineInBox = test::countIf(paint(behind), QRect(box.left(), row, box.width(), 1), isBlack);
        QVERIFY2(lineInBox > box.width() / 3, qPrintable(QString::number(lineInBox)));

        // Four characters stacked in an 11-pixel column as tall as the label.
        const QRect vbox = pixelRect(v.left, v.top, v.width, v.height);
        const QRect vink = test::inkBox(img, vbox.adjusted(-5, -5, 5, 5));
        QVERIFY(vink.width() <= 13);
        QVERIFY(vink.height() > 3 * 12);
        QVERIFY(vink.bottom() <= vbox.bottom() + 1);
    }

    // A line of text drawn again may be stamped from a picture of it: on a drawing
    // moved by a frame, at 1x, 2x and 8x (a canvas at 400% on a screen of ratio 2)
    // and in any colour, the second paint must lay down exactly what drawing the
    // glyphs the first time did, on an image whose top edge cut through them.
    void textDrawnAgainIsTheSamePixels_data() {
        QTest::addColumn<qreal>("dpr");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
        QTest::newRow("8x") << 8.0;
    }

    void textDrawnAgainIsTheSamePixels() {
        QFETCH(qreal, dpr);
        Document d = blank();
        QtTextMetrics m;
        for (int i = 1; i <= 4; ++i) add(d.Label, i);
        for (int i = 1; i <= 4; ++i) {
            LabelEl& l = *d.Label.find(i);
            l = d.Label.templ();
            l.visible = true;
            l.left = 700.0f * static_cast<float>(i);
            l.top = 450.0f * static_cast<float>(i);
            l.foreColor = i % 2 ? kBlack : kGreen;
            setCaption(l, "图章 " + std::to_string(i) + " 再画 " + std::to_string(dpr), m);  // seen nowhere else
        }
        // From `top` down: the first label's line lies across pixel row 36.
        const auto picture = [&](int top) {
            QImage img(QSize(400, 200 - top) * dpr, QImage::Format_RGB32);
            img.setDevicePixelRatio(dpr);
            img.fill(Qt::white);
            QPainter p(&img);
            p.translate(2, 2 - top);
            paintDocument(p, d, options());
            return img;
        };
        constexpr int cut = 36;
        const QImage first = picture(cut);
        QVERIFY(!test::inkBox(first, QRect(0, 0, first.width(), static_cast<int>(2 * dpr))).isNull());  // cut through
        const QImage whole = picture(0);
        QImage below = whole.copy(QRect(QPoint(0, static_cast<int>(cut * dpr)), first.size()));
        below.setDevicePixelRatio(dpr);
        QCOMPARE(below, first);
        QCOMPARE(picture(0), whole);
    }

    void exposedAreaAndSkipLeaveTheRestAlone() {
        Document d;
        QtTextMetrics m;
        d.Shape2 = {11500, 8000, 2790, 1365, true};
        add(d.Shape1, 1) = {1500, 1500, 9000, 6000, true};
        add(d.Line1, 1) = {300, 300, 13000, 9000, true};
        LabelEl& l = add(d.Label, 1);
        l = d.Label.templ();
        l.visible = true;
        l.left = 7000;
        l.top = 4700;
        autosize(l, m);
        // Forty lines down across the tiles' edge: each tile lays out and draws only
        // the lines it shows.
        LabelEl& tall = add(d.Label, 2);
        tall = d.Label.templ();
        tall.visible = true;
        tall.left = tall.top = 300;
        setWordWrap(tall, true, 165, m);
        setCaption(tall, "竖排文字竖排文字竖排文字竖排文字竖排文字竖排文字竖排文字竖排文字竖排文字竖排文字", m);
        const QImage whole = paint(d);

        // Painted in four tiles, each with its own exposed area, the canvas is the same.
        QImage tiled(957, 637, QImage::Format_RGB32);
        tiled.fill(Qt::white);
        for (const QRect tile : {QRect(0, 0, 478, 318), QRect(478, 0, 479, 318), QRect(0, 318, 478, 319),
                                 QRect(478, 318, 479, 319)}) {
            QPainter p(&tiled);
            p.setClipRect(tile);
            PaintOptions o = options();
            o.exposed = tile;
            paintDocument(p, d, o);
        }
        QCOMPARE(tiled, whole);

        PaintOptions o = options();
        o.skip = [](PartRef r) { return r.part == Part::Shape1 && r.index == 1; };
        const QImage skipped = paint(d, o);
        QVERIFY(isBlack(at(whole, 100, 250)));
        QVERIFY(isWhite(at(skipped, 100, 250)));
        QCOMPARE(skipped.pixelColor(800, 533), whole.pixelColor(800, 533));
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestDocumentPainter)
#include "document_painter_test.moc"
