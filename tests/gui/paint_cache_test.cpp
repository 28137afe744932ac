// The cached layer of drags: which elements count as moving in each state, and a
// frame drawn from the layer looks exactly like a full repaint, at 1x and 2x,
// while the layer is reused rather than redrawn for every frame, also when it
// holds only the part of a zoomed canvas in view and the view moves on.
#include <QPainter>
#include <QtTest>
#include <algorithm>

#include "edit/insert.h"
#include "edit/quillmap_commands.h"
#include "interact/label_editing.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "model/labels.h"
#include "model/null_host.h"
#include "model/sel_kind.h"
#include "render/paint_cache.h"
#include "render/qt_text_metrics.h"

namespace qm {
namespace {

bool has(const std::vector<PartRef>& v, Part p, int i) {
    return std::find(v.begin(), v.end(), PartRef{p, i}) != v.end();
}

QSize canvasSize() { return {957, 637}; }

// An image of the canvas at `dpr` device pixels to a canvas pixel. Below one, the
// canvas is zoomed out on a screen of ratio 1, as the canvas widget paints it: the
// painter scales, for an image cannot hold a ratio below one.
QImage blankImage(qreal dpr) {
    QImage img((QSizeF(canvasSize()) * dpr).toSize(), QImage::Format_RGB32);
    img.setDevicePixelRatio(std::max<qreal>(dpr, 1));
    img.fill(Qt::white);
    return img;
}

void zoomOut(QPainter& p, qreal dpr) {
    if (dpr < 1) p.scale(dpr, dpr);
}

QImage fullPaint(const Document& doc, qreal dpr, const PaintOptions& options = defaultPaintOptions()) {
    QImage img = blankImage(dpr);
    QPainter p(&img);
    zoomOut(p, dpr);
    paintDocument(p, doc, options);
    return img;
}

QImage cachedPaint(PaintCache& cache, const Document& doc, const std::vector<PartRef>& moving, qreal dpr,
                   const PaintOptions& options = defaultPaintOptions()) {
    QImage img = blankImage(dpr);
    QPainter p(&img);
    zoomOut(p, dpr);
    cache.paint(p, doc, moving, canvasSize(), dpr, QRectF(), options);
    return img;
}

// Pixels in which two renderings differ.
int differences(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) n += ra[x] != rb[x];
    }
    return n;
}

}  // namespace

class TestPaintCache : public QObject {
    Q_OBJECT

    NullHost host;
    QtTextMetrics metrics;

    // Drops whatever follows the pointer at (x, y).
    static void drop(Editor& ed, float x, float y) {
        canvasMove(ed, 0, 0, x, y);
        canvasPress(ed, 1, 0, x, y);
        canvasRelease(ed, 1, 0, x, y);
    }

    // A new drawing with a rectangle and a diamond at these corners, nothing selected.
    static void rectangleAndDiamond(Editor& ed, float rx, float ry, float dx, float dy) {
        startUp(ed);
        insertShape(ed, ShapeStyle::Rectangle);
        drop(ed, rx, ry);
        insertDiamond(ed);
        drop(ed, dx, dy);
        canvasPress(ed, 1, 0, 14000, 9500);
    }

private slots:
    void aShapeMovesWithItsTextsInnerLabelsAndHandles() {
        Editor ed(host, metrics);
        startUp(ed);
        insertShape(ed, ShapeStyle::Rectangle);
        const ShapeRecord& rec = ed.doc.shapeRec[1];
        std::vector<PartRef> placing = movingParts(ed, false);
        QVERIFY(std::is_sorted(placing.begin(), placing.end()));
        for (const PartRef r : {PartRef{Part::Shape1, 1}, PartRef{Part::LineRect, 1}, PartRef{Part::Label, rec.label1},
                                PartRef{Part::Label, rec.label2}, PartRef{Part::spHandle, 1}, PartRef{Part::spHandle, 4}})
            QVERIFY(has(placing, r.part, r.index));
        QVERIFY(!has(placing, Part::Shape2, 0));
        QVERIFY(!has(placing, Part::Label, 1));  // the title stays where it is
        drop(ed, 3000, 3000);
        QCOMPARE(ed.doc.selKind, SelKind::Shape);

        // A free label dropped inside becomes an inner label and moves with it.
        insertLabel(ed, false);
        const int inner = ed.doc.selIndex;
        LabelEl& l = *ed.doc.Label.find(inner);
        l.left = 3300;
        l.top = 3100;
        labelRelease(ed, inner, 1);
        canvasPress(ed, 1, 0, 3000, 3000);
        QCOMPARE(ed.doc.selKind, SelKind::Shape);

        // Selected but not held: nothing moves, so nothing is cached.
        QVERIFY(movingParts(ed, false).empty());
        const std::vector<PartRef> dragged = movingParts(ed, true);
        QVERIFY(has(dragged, Part::Shape1, 1));
        QVERIFY(has(dragged, Part::Label, inner));
        QVERIFY(!has(dragged, Part::Label, 0));  // empty record slots name no label
    }

    void arrowsDiamondsTitleBlockAndLabels() {
        Editor ed(host, metrics);
        startUp(ed);
        insertDiamond(ed);
        QVERIFY(has(movingParts(ed, false), Part::lx5, 1));
        drop(ed, 6000, 1500);

        insertPolylineArrow(ed);
        canvasMove(ed, 0, 0, 1000, 6000);
        canvasRelease(ed, 1, 0, 1000, 6000);
        canvasMove(ed, 0, 0, 3000, 6000);
        canvasRelease(ed, 1, 0, 3000, 6000);
        canvasMove(ed, 0, 0, 3000, 7000);
        const ArrowRecord& r = ed.doc.arrowRec[1];
        QVERIFY(r.count() >= 2);
        const std::vector<PartRef> drawing = movingParts(ed, false);
        for (int k = 1; k <= r.count(); ++k) QVERIFY(has(drawing, Part::Line1, r.slot[static_cast<size_t>(k)]));
        QVERIFY(has(drawing, Part::lneTemp, 0));
        QVERIFY(has(drawing, Part::spHandle, 0));  // the tail handle is handle 0
        for (Part p : {Part::picUp, Part::picDown, Part::picLeft, Part::picRight}) QVERIFY(has(drawing, p, 1));
        QVERIFY(!has(drawing, Part::lx1, 1));
        canvasRelease(ed, 2, 0, 3000, 7000);
        QCOMPARE(ed.doc.selKind, SelKind::None);

        // The table of the title block moves with its six cell texts, not the title.
        canvasPress(ed, 1, 0, 12000, 8400);
        QCOMPARE(ed.doc.selKind, SelKind::TitleBlock);
        const std::vector<PartRef> title = movingParts(ed, true);
        QVERIFY(has(title, Part::Shape2, 0) && has(title, Part::Line2, 0) && has(title, Part::Line4, 0));
        QVERIFY(has(title, Part::Label, 3) && has(title, Part::Label, 8));
        QVERIFY(!has(title, Part::Label, 1) && !has(title, Part::Label, 2));
        canvasRelease(ed, 1, 0, 12000, 8400);

        insertLabel(ed, true);
        QCOMPARE(movingParts(ed, false), std::vector<PartRef>({{Part::Label, ed.doc.selIndex}}));
    }

    void aFrameFromTheLayerEqualsAFullRepaint_data() {
        QTest::addColumn<qreal>("dpr");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
        // Screens scaled by a fraction, where canvas pixels and device pixels meet
        // only now and then: the layer's edges and the cuts between its bands.
        QTest::newRow("1.25x") << 1.25;
        QTest::newRow("1.5x") << 1.5;
        // Zoomed out: fewer device pixels than canvas pixels.
        QTest::newRow("0.5x") << 0.5;
        QTest::newRow("0.75x") << 0.75;
    }

    void aFrameFromTheLayerEqualsAFullRepaint() {
        QFETCH(qreal, dpr);
        Editor ed(host, metrics);
        startUp(ed);
        insertShape(ed, ShapeStyle::Rectangle);
        drop(ed, 1000, 1500);
        insertShape(ed, ShapeStyle::Oval);
        drop(ed, 8000, 4000);
        insertDiamond(ed);
        drop(ed, 1000, 5000);
        setCaption(*ed.doc.Label.find(ed.doc.shapeRec[1].label1), "开始", metrics);

        // Drag the ellipse by its inside; the first frame builds the layer.
        canvasPress(ed, 1, 0, 8500, 4500);
        QCOMPARE(ed.doc.selKind, SelKind::Shape);
        const std::vector<PartRef> moving = movingParts(ed, true);
        PaintCache cache;
        canvasMove(ed, 1, 0, 8700, 4600);
        QCOMPARE(differences(cachedPaint(cache, ed.doc, moving, dpr), fullPaint(ed.doc, dpr)), 0);
        QVERIFY(cache.hasLayer());

        // Later frames reuse it: a change the layer was not told of stays unseen...
        for (float x = 8800; x <= 10000; x += 400) {
            canvasMove(ed, 1, 0, x, 4700);
            QCOMPARE(differences(cachedPaint(cache, ed.doc, moving, dpr), fullPaint(ed.doc, dpr)), 0);
        }
        ed.doc.Shape1.find(1)->visible = false;
        const QImage stale = cachedPaint(cache, ed.doc, moving, dpr);
        QVERIFY(differences(stale, fullPaint(ed.doc, dpr)) > 0);
        // ...until the layer is dropped.
        cache.invalidate();
        QCOMPARE(differences(cachedPaint(cache, ed.doc, moving, dpr), fullPaint(ed.doc, dpr)), 0);
        // At rest a drawing this small is painted from the document and keeps no layer.
        QCOMPARE(differences(cachedPaint(cache, ed.doc, {}, dpr), fullPaint(ed.doc, dpr)), 0);
        QVERIFY(!cache.hasLayer());
    }

    // Whatever changes the document, a drag, an edit, the selection or a
    // replacement of the whole (as undo does), the layer catches up by repainting
    // only what differs, and ends up exactly as a full repaint.
    void catchingUpEqualsAFullRepaint_data() { aFrameFromTheLayerEqualsAFullRepaint_data(); }

    void catchingUpEqualsAFullRepaint() {
        QFETCH(qreal, dpr);
        Editor ed(host, metrics);
        rectangleAndDiamond(ed, 1000, 1500, 6000, 1500);
        const Document before = ed.doc;
        PaintCache cache(0);  // a layer kept at rest, as for a large drawing
        std::vector<PartRef> moving;
        cachedPaint(cache, ed.doc, moving, dpr, canvasPaintOptions(ed.doc));  // the layer
        QRegion dirty;
        const auto catchUp = [&] {
            const PaintOptions look = canvasPaintOptions(ed.doc);
            dirty = cache.catchUp(ed.doc, moving, canvasSize(), look);
            QCOMPARE(differences(cachedPaint(cache, ed.doc, moving, dpr, look), fullPaint(ed.doc, dpr, look)), 0);
        };
        const auto small = [&dirty] {
            const QRect r = dirty.boundingRect();
            return !r.isEmpty() && r.width() * r.height() * 8 < canvasSize().width() * canvasSize().height();
        };

        canvasPress(ed, 1, 0, 1300, 1800);  // the rectangle, by its inside: only selected so far
        moving = movingParts(ed, true);
        catchUp();
        QVERIFY(small());
        for (float x = 1400; x <= 2600; x += 400) canvasMove(ed, 1, 0, x, 2000);
        canvasRelease(ed, 1, 0, 2600, 2000);
        moving = movingParts(ed, false);
        catchUp();
        QVERIFY(small());
        // Pressed again, to be dragged, it looks as it did: only the layer loses it,
        // and the screen has nothing to show anew.
        canvasPress(ed, 1, 0, 2700, 2100);
        moving = movingParts(ed, true);
        catchUp();
        QVERIFY(!moving.empty() && dirty.isEmpty());
        canvasRelease(ed, 1, 0, 2700, 2100);
        moving = movingParts(ed, false);
        catchUp();

        LabelEl& text = *ed.doc.Label.find(ed.doc.shapeRec[1].label1);
        setCaption(text, "开始", metrics);
        ed.doc.Shape1.find(1)->borderColor = kGreen;
        ed.doc.lx3.find(1)->visible = false;
        catchUp();
        QVERIFY(small());
        text.caption = "结束";  // the same size: only the text tells
        catchUp();

        ed.doc = before;
        catchUp();
        QVERIFY(small());

        // Moved without ever counting as moving, as an undo moves them: the rectangle
        // onto the diamond, then the diamond, which lies above it, green, off it, and
        // an arrow. Handles and heads go with them, and slanting sides are repainted
        // where they cross the boxes repainted.
        const auto drag = [&ed](float x, float y, float toX, float toY) {
            canvasPress(ed, 1, 0, x, y);
            canvasMove(ed, 1, 0, toX, toY);
            canvasRelease(ed, 1, 0, toX, toY);
        };
        const ShapeEl& rect = *ed.doc.Shape1.find(1);
        const float rx = rect.left + 300, ry = rect.top + 300;
        const float dx = static_cast<float>(ed.doc.diamondRec[1].x) + 600, dy = static_cast<float>(ed.doc.diamondRec[1].y) + 800;
        drag(rx, ry, dx, dy);
        catchUp();
        drag(dx, dy, rx, ry);
        QCOMPARE(ed.doc.selKind, SelKind::Diamond);
        catchUp();
        insertPolylineArrow(ed);
        for (const float x : {1000.0f, 3000.0f}) {
            canvasMove(ed, 0, 0, x, 6000);
            canvasRelease(ed, 1, 0, x, 6000);
        }
        canvasRelease(ed, 2, 0, 3000, 6000);
        catchUp();
        drag(2000, 6000, 2000, 7000);
        QCOMPARE(ed.doc.selKind, SelKind::Arrow);
        catchUp();

        // All of it raised out of the layer, dragged together and lowered again by a
        // click on empty canvas: the layer they left is taken back and brought in line.
        selectAll(ed);
        catchUp();
        drag(rx, ry, rx + 915, ry + 600);  // an odd number of pixels: texts at half twips round the other way
        QCOMPARE(ed.doc.selKind, SelKind::Several);
        catchUp();
        canvasPress(ed, 1, 0, 14000, 9500);
        QCOMPARE(ed.doc.selKind, SelKind::None);
        catchUp();

        // A free text inside the rectangle is raised with it, in its own colour,
        // until Ctrl+click selects it too: then it is drawn in the selection's.
        insertLabel(ed, false);
        const int inner = ed.doc.selIndex;
        ed.doc.Label.find(inner)->left = rect.left + 200;
        ed.doc.Label.find(inner)->top = rect.top + 100;
        labelRelease(ed, inner, 1);
        selectElements(ed, {{ElementKind::Shape, 1}, {ElementKind::Diamond, 1}});
        catchUp();
        toggleSelected(ed, {ElementKind::Label, inner});
        QCOMPARE(ed.doc.group.size(), size_t{3});
        catchUp();

        // Dropped onto a text it did not hold, the group takes it in: the rectangle
        // carries it from then on, raised with the rest, and the group's layer
        // paints it in where it lies instead of being painted anew.
        insertLabel(ed, false);
        const int landing = ed.doc.selIndex;
        const float from = rect.left + 300, y = rect.top + 300, by = 30 * std::ceil((rect.width + 300) / 30);
        ed.doc.Label.find(landing)->left = rect.left + rect.width + 600;
        ed.doc.Label.find(landing)->top = rect.top + 100;
        labelRelease(ed, landing, 1);
        selectElements(ed, {{ElementKind::Shape, 1}, {ElementKind::Diamond, 1}, {ElementKind::Label, inner}});
        catchUp();
        drag(from, y, from + by, y);
        const ShapeRecord& carrier = ed.doc.shapeRec[1];
        QCOMPARE(std::count(carrier.innerLabel.begin() + 1, carrier.innerLabel.begin() + 1 + carrier.innerCount, landing), 1);
        const PaintOptions dropped = canvasPaintOptions(ed.doc);
        cache.catchUp(ed.doc, moving, canvasSize(), dropped);
        QVERIFY(cache.hasRaisedLayer());
        QCOMPARE(differences(cachedPaint(cache, ed.doc, moving, dpr, dropped), fullPaint(ed.doc, dpr, dropped)), 0);
        // Its fingerprint took the text in too: the next look finds it holds.
        cache.catchUp(ed.doc, moving, canvasSize(), dropped);
        QVERIFY(cache.hasRaisedLayer());
        canvasPress(ed, 1, 0, 14000, 9500);
        catchUp();

        // Prepared at rest a slice at a time, as the canvas does between events, the
        // layer 全选 raises is laid down as it was painted.
        const PaintOptions all = canvasPaintOptions(ed.doc, selectedByAll(ed));
        int slices = 0;
        while (cache.prepareRaised(ed.doc, canvasSize(), dpr, all)) ++slices;
        QVERIFY(cache.raisedPrepared());
        QVERIFY(slices > 2);  // cut between rows more than once
        selectAll(ed);
        const PaintOptions raised = canvasPaintOptions(ed.doc);
        QCOMPARE(raised.raised, all.raised);
        cache.catchUp(ed.doc, moving, canvasSize(), raised);
        QVERIFY(cache.hasRaisedLayer());
        QCOMPARE(differences(cachedPaint(cache, ed.doc, moving, dpr, raised), fullPaint(ed.doc, dpr, raised)), 0);
        QVERIFY(!QTest::currentTestFailed());
    }

    void aLayerOfThePartInViewKeepsWhatItHoldsAsTheViewMoves() {
        constexpr qreal dpr = 2;  // a canvas at 200%
        Editor ed(host, metrics);
        rectangleAndDiamond(ed, 1500, 1500, 5400, 2400);
        PaintCache cache(0);
        const auto inView = [&](const QRectF& view) {
            QImage img = blankImage(dpr);
            QPainter p(&img);
            cache.paint(p, ed.doc, {}, canvasSize(), dpr, view, defaultPaintOptions(), view);
            p.end();
            const QRect device = QRectF(view.topLeft() * dpr, view.size() * dpr).toRect();
            return differences(img.copy(device), fullPaint(ed.doc, dpr).copy(device));
        };
        QCOMPARE(inView(QRectF(0, 0, 300, 200)), 0);
        // A change in view and out of it, then the view moves half off what the
        // layer holds: the half it keeps is as the change left it.
        canvasPress(ed, 1, 0, 1600, 1600);
        canvasMove(ed, 1, 0, 5200, 1900);
        canvasRelease(ed, 1, 0, 5200, 1900);
        cache.catchUp(ed.doc, {}, canvasSize(), defaultPaintOptions());
        QCOMPARE(inView(QRectF(150, 100, 300, 200)), 0);
        QCOMPARE(inView(QRectF(0, 0, 300, 200)), 0);
    }

    void onlyTheExposedAreaIsPainted() {
        Editor ed(host, metrics);
        startUp(ed);
        insertShape(ed, ShapeStyle::Rectangle);
        canvasMove(ed, 0, 0, 1500, 1500);
        const std::vector<PartRef> moving = movingParts(ed, false);
        PaintCache cache;
        QImage img = blankImage(1);
        img.fill(Qt::red);
        {
            QPainter p(&img);
            cache.paint(p, ed.doc, moving, canvasSize(), 1, QRectF(90, 90, 60, 60), defaultPaintOptions());
        }
        // Outside the exposed square nothing was touched; inside it is the canvas.
        QCOMPARE(img.pixelColor(10, 10), QColor(Qt::red));
        QCOMPARE(img.pixelColor(140, 95).rgb(), QColor(Qt::white).rgb());
        QCOMPARE(img.pixelColor(100, 110).rgb(), QColor(Qt::black).rgb());  // the rectangle's left edge
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestPaintCache)
#include "paint_cache_test.moc"
