// The drawn icons: every one paints something of its own at each size and pixel
// ratio, straight outlines land on whole pixels, arrows point where they say, and
// the disabled look is grey.
#include <QApplication>
#include <QtTest>

#include "app/icons.h"

namespace qm {
namespace {

constexpr ToolIcon kAll[] = {
    ToolIcon::Rectangle, ToolIcon::Diamond,       ToolIcon::Ellipse, ToolIcon::LeftArrow, ToolIcon::RightArrow,
    ToolIcon::UpArrow,   ToolIcon::DownArrow,     ToolIcon::PolylineArrow, ToolIcon::Label,
    ToolIcon::VerticalLabel, ToolIcon::New,       ToolIcon::Open,    ToolIcon::Save,      ToolIcon::Arrow,
};

QImage image(const QIcon& icon, int size, qreal dpr = 1, QIcon::Mode mode = QIcon::Normal) {
    return icon.pixmap(QSize(size, size), dpr, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

int opaqueCount(const QImage& img, QRect region) {
    int n = 0;
    region &= img.rect();
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (qAlpha(img.pixel(x, y)) > 128) ++n;
    return n;
}

QRect opaqueBox(const QImage& img) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 0) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace

class TestIcons : public QObject {
    Q_OBJECT
private slots:
    void everyIconDrawsAtEverySizeAndRatio() {
        for (ToolIcon which : kAll) {
            const QIcon icon = toolbarIcon(which);
            QVERIFY(!icon.isNull());
            for (int size : {16, 24, 32, 48}) {
                for (qreal dpr : {1.0, 2.0}) {
                    const QPixmap pm = icon.pixmap(QSize(size, size), dpr);
                    QCOMPARE(pm.deviceIndependentSize(), QSizeF(size, size));
                    QCOMPARE(pm.size(), QSize(int(size * dpr), int(size * dpr)));
                    const QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
                    const QRect box = opaqueBox(img);
                    // Something drawn that fills most of the square, and a border
                    // of nothing around it.
                    QVERIFY2(box.width() >= img.width() / 2 || box.height() >= img.height() / 2,
                             qPrintable(QStringLiteral("icon %1 at %2@%3").arg(int(which)).arg(size).arg(dpr)));
                    QVERIFY(opaqueCount(img, img.rect()) < img.width() * img.height());
                }
            }
        }
    }

    void iconsDifferFromEachOther() {
        QList<QImage> seen;
        for (ToolIcon which : kAll) {
            for (int size : {16, 32}) {
                const QImage img = image(toolbarIcon(which), size);
                for (const QImage& other : std::as_const(seen))
                    if (other.size() == img.size()) QVERIFY2(other != img, qPrintable(QString::number(int(which))));
                seen << img;
            }
        }
    }

    void theTwiceSizedPixmapIsDrawnNotScaled() {
        // At 2x the ellipse's curve has its own anti-aliased edge; a 1x pixmap
        // blown up would repeat every pixel in 2 by 2 blocks.
        const QImage twice = image(toolbarIcon(ToolIcon::Ellipse), 16, 2);
        const QImage blownUp = image(toolbarIcon(ToolIcon::Ellipse), 16).scaled(32, 32);
        QCOMPARE(twice.size(), blownUp.size());
        QVERIFY(twice != blownUp);
    }

    void outlinesLieOnWholePixels() {
        // The rectangle's outline spans grid rows 3..13 of 16: at 16 px its top edge is
        // one opaque row at y 3; at 32 px (16@2x) two rows, 6 and 7; at 48 px three.
        const QIcon rect = toolbarIcon(ToolIcon::Rectangle);
        struct Case {
            QImage img;
            int top, width;
        };
        const Case cases[] = {{image(rect, 16), 3, 1}, {image(rect, 16, 2), 6, 2}, {image(rect, 48), 9, 3}};
        for (const Case& c : cases) {
            const int x = c.img.width() / 2;
            QCOMPARE(qAlpha(c.img.pixel(x, c.top - 1)), 0);
            for (int i = 0; i < c.width; ++i) QCOMPARE(qAlpha(c.img.pixel(x, c.top + i)), 255);
            // Inside the outline the fill is lighter than the outline.
            QVERIFY(qGray(c.img.pixel(x, c.top + c.width)) > qGray(c.img.pixel(x, c.top)) + 60);
        }
    }

    void straightArrowsPointTheirWay() {
        // The head is the widest part: the column (or row) with the most ink lies on
        // the side the arrow points to.
        auto heaviest = [](const QImage& img, bool columns) {
            int best = -1, at = -1;
            const int n = columns ? img.width() : img.height();
            for (int i = 0; i < n; ++i) {
                const int c = opaqueCount(img, columns ? QRect(i, 0, 1, img.height()) : QRect(0, i, img.width(), 1));
                if (c > best) best = c, at = i;
            }
            return at;
        };
        const QImage left = image(toolbarIcon(ToolIcon::LeftArrow), 32);
        const QImage right = image(toolbarIcon(ToolIcon::RightArrow), 32);
        const QImage up = image(toolbarIcon(ToolIcon::UpArrow), 32);
        const QImage down = image(toolbarIcon(ToolIcon::DownArrow), 32);
        QVERIFY(heaviest(left, true) < 16);
        QVERIFY(heaviest(right, true) >= 16);
        QVERIFY(heaviest(up, false) < 16);
        QVERIFY(heaviest(down, false) >= 16);
        // Quarter turns of one drawing: the same amount of ink.
        QCOMPARE(opaqueCount(left, left.rect()), opaqueCount(right, right.rect()));
        QCOMPARE(opaqueCount(up, up.rect()), opaqueCount(right, right.rect()));
    }

    void disabledIconsAreGrey() {
        const QImage img = image(toolbarIcon(ToolIcon::Save), 24, 1, QIcon::Disabled);
        const QImage normal = image(toolbarIcon(ToolIcon::Save), 24);
        QVERIFY(!opaqueBox(img).isNull());
        QVERIFY(opaqueBox(normal).contains(opaqueBox(img)));
        bool colouredNormally = false;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = img.pixel(x, y);
                QVERIFY(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));
                const QRgb n = normal.pixel(x, y);
                if (qRed(n) != qBlue(n)) colouredNormally = true;
            }
        }
        QVERIFY(colouredNormally);
    }

    void applicationIconScalesToLargeSizes() {
        const QIcon icon = applicationIcon();
        QVERIFY(!icon.isNull());
        const QImage small = image(icon, 16), large = image(icon, 256);
        QCOMPARE(large.size(), QSize(256, 256));
        // The rounded card fills the square up to its margin of 3 units in 48.
        const QRect box = opaqueBox(large);
        QVERIFY(qAbs(box.left() - 256 * 2 / 48) <= 2);
        QVERIFY(qAbs(box.right() - 256 * 46 / 48) <= 2);
        QVERIFY(opaqueCount(small, small.rect()) > 150);
        QVERIFY(large != toolbarIcon(ToolIcon::Rectangle).pixmap(256, 256).toImage().convertToFormat(QImage::Format_ARGB32));
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestIcons)
#include "icons_test.moc"
