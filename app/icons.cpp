#include "app/icons.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>

namespace qm {
namespace {

const QColor kInk{0x1f, 0x3a, 0x5f};        // outlines, arrows and letters
const QColor kShapeFill{0xdd, 0xe9, 0xf7};  // inside of the three shapes
const QColor kPaper{0xff, 0xff, 0xff};
const QColor kPaperEdge{0x5f, 0x66, 0x70};
const QColor kFolderBack{0xd9, 0xa4, 0x2b};
const QColor kFolderFront{0xf5, 0xc8, 0x5a};
const QColor kFolderEdge{0x8a, 0x5e, 0x0c};
const QColor kDiskBody{0x34, 0x65, 0xa4};
const QColor kDiskShutter{0xc8, 0xce, 0xd6};
const QColor kDecisionFill{0xfd, 0xe4, 0xa8};

// The design grid of an icon mapped onto the pixels it is painted into. Strokes
// along the axes are placed so that both their edges fall on pixel boundaries at
// every size; that is what keeps a 16 px icon from looking blurred.
struct Grid {
    double s;     // device pixels per grid unit
    double line;  // outline width in device pixels, a whole number

    Grid(int pixels, int units) : s(double(pixels) / units), line(std::max(1.0, std::round(s))) {}

    double px(double u) const { return u * s; }
    QPointF pt(double x, double y) const { return {x * s, y * s}; }
    // The centre of a stroke `width` pixels wide nearest to grid position u whose
    // edges lie on pixel boundaries.
    double snap(double u, double width) const { return std::round(u * s - width / 2) + width / 2; }
    // A rectangle outlined with the outline width whose outer edges are the given
    // grid lines; the outline stays inside them.
    QRectF box(double x0, double y0, double x1, double y1) const {
        const double l = std::round(px(x0)) + line / 2, t = std::round(px(y0)) + line / 2;
        const double r = std::round(px(x1)) - line / 2, b = std::round(px(y1)) - line / 2;
        return {QPointF(l, t), QPointF(r, b)};
    }
    QPen pen(const QColor& c) const { return QPen(c, line, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin); }
};

using DrawFn = void (*)(QPainter&, const Grid&);

// A straight arrow pointing right along the middle; the other directions are this
// one turned by quarter turns, which keeps the pixels on the grid.
void rightArrow(QPainter& p, const Grid& g) {
    const double thick = std::max(2.0, std::round(g.s * 2));
    const double y = g.snap(8, thick);
    p.fillRect(QRectF(std::round(g.px(1)), y - thick / 2, std::round(g.px(10)) - std::round(g.px(1)), thick), kInk);
    QPainterPath head;
    head.moveTo(std::round(g.px(9)), y - g.px(5));
    head.lineTo(std::round(g.px(15)), y);
    head.lineTo(std::round(g.px(9)), y + g.px(5));
    head.closeSubpath();
    p.fillPath(head, kInk);
}

void turned(QPainter& p, const Grid& g, int quarterTurns) {
    const double c = g.px(8);
    p.translate(c, c);
    p.rotate(90.0 * quarterTurns);
    p.translate(-c, -c);
    rightArrow(p, g);
}

// A polyline through grid points, drawn as a line with square corners, ending in
// a filled head at the last point. The segments must run along the axes.
void polyline(QPainter& p, const Grid& g, std::initializer_list<QPointF> points) {
    const double thick = std::max(2.0, std::round(g.s * 2));
    const std::vector<QPointF> pts(points);
    QPainterPath path;
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
        const QPointF a(g.snap(pts[i].x(), thick), g.snap(pts[i].y(), thick));
        if (i == 0) path.moveTo(a);
        else path.lineTo(a);
    }
    // The shaft stops where the head begins, 5 units before the tip.
    const QPointF tip = pts.back(), from = pts[pts.size() - 2];
    const QPointF dir = (tip - from) / std::hypot(tip.x() - from.x(), tip.y() - from.y());
    const QPointF base = tip - dir * 5;
    const QPointF shaftEnd(dir.x() != 0 ? g.px(base.x()) + dir.x() * g.s : g.snap(base.x(), thick),
                           dir.y() != 0 ? g.px(base.y()) + dir.y() * g.s : g.snap(base.y(), thick));
    path.lineTo(shaftEnd);
    p.strokePath(path, QPen(kInk, thick, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));

    const QPointF side(-dir.y() * 4.5, dir.x() * 4.5);
    const QPointF centre(dir.x() != 0 ? g.px(tip.x()) : g.snap(tip.x(), thick),
                         dir.y() != 0 ? g.px(tip.y()) : g.snap(tip.y(), thick));
    QPainterPath head;
    head.moveTo(centre);
    head.lineTo(centre - dir * g.px(6) + side * g.s);
    head.lineTo(centre - dir * g.px(6) - side * g.s);
    head.closeSubpath();
    p.fillPath(head, kInk);
}

// The letter A as strokes, so that it looks the same whatever fonts are installed.
void letterA(QPainter& p, const Grid& g, QRectF r, double width) {
    QPainterPath a;
    a.moveTo(g.pt(r.left(), r.bottom()));
    a.lineTo(g.pt(r.center().x(), r.top()));
    a.lineTo(g.pt(r.right(), r.bottom()));
    const double barY = r.top() + r.height() * 0.64;
    const double inset = r.width() * 0.5 * 0.64;
    a.moveTo(g.pt(r.left() + r.width() / 2 - inset, barY));
    a.lineTo(g.pt(r.left() + r.width() / 2 + inset, barY));
    p.strokePath(a, QPen(kInk, std::max(1.2, width * g.s), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
}

void drawRectangle(QPainter& p, const Grid& g) {
    p.setPen(g.pen(kInk));
    p.setBrush(kShapeFill);
    p.drawRect(g.box(1, 3, 15, 13));
}

void drawDiamond(QPainter& p, const Grid& g) {
    p.setPen(g.pen(kInk));
    p.setBrush(kShapeFill);
    if (g.line == 1) {
        // One pixel wide, a 45-degree staircase through pixel centres is sharper
        // than an anti-aliased slope, which turns grey.
        p.setRenderHint(QPainter::Antialiasing, false);
        const double c = std::floor(g.px(8)) - 0.5, r = std::floor(g.px(6.5));
        const QPointF pts[] = {{c, c - r}, {c + r, c}, {c, c + r}, {c - r, c}};
        p.drawPolygon(pts, 4);
        return;
    }
    const double h = g.line / 2;
    const QPointF pts[] = {{g.px(8), g.px(1) + h}, {g.px(15) - h, g.px(8)}, {g.px(8), g.px(15) - h}, {g.px(1) + h, g.px(8)}};
    p.drawPolygon(pts, 4);
}

void drawEllipse(QPainter& p, const Grid& g) {
    p.setPen(QPen(kInk, g.line));
    p.setBrush(kShapeFill);
    p.drawEllipse(g.box(1, 3, 15, 13));
}

void drawLeft(QPainter& p, const Grid& g) { turned(p, g, 2); }
void drawRight(QPainter& p, const Grid& g) { rightArrow(p, g); }
void drawUp(QPainter& p, const Grid& g) { turned(p, g, 3); }
void drawDown(QPainter& p, const Grid& g) { turned(p, g, 1); }

void drawPolylineArrow(QPainter& p, const Grid& g) { polyline(p, g, {{1.5, 2.5}, {7, 2.5}, {7, 11}, {15, 11}}); }

// qmp's one arrow button: a polyline of two segments ending downwards.
void drawArrow(QPainter& p, const Grid& g) { polyline(p, g, {{2, 3}, {11, 3}, {11, 15}}); }

void drawLabel(QPainter& p, const Grid& g) { letterA(p, g, QRectF(3, 2, 10, 12), 2); }

// Letters stacked in a column beside a downward arrow: text that reads downwards.
void drawVerticalLabel(QPainter& p, const Grid& g) {
    letterA(p, g, QRectF(2, 1, 7, 6), 1.5);
    letterA(p, g, QRectF(2, 9, 7, 6), 1.5);
    const double x = g.snap(13, g.line);
    p.fillRect(QRectF(x - g.line / 2, std::round(g.px(1)), g.line, std::round(g.px(11)) - std::round(g.px(1))), kInk);
    QPainterPath head;
    head.moveTo(x - g.px(2.5), g.px(10.5));
    head.lineTo(x, g.px(15));
    head.lineTo(x + g.px(2.5), g.px(10.5));
    head.closeSubpath();
    p.fillPath(head, kInk);
}

// A sheet of paper with its top right corner folded over.
void drawNew(QPainter& p, const Grid& g) {
    const QRectF r = g.box(3, 1, 14, 15);
    const double fold = std::round(g.px(4));
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setPen(g.pen(kPaperEdge));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(Qt::NoBrush);
    p.drawPath(corner);
}

// An open folder: the back with its tab, and the front flap tilted open.
void drawOpen(QPainter& p, const Grid& g) {
    const QRectF r = g.box(1, 3, 15, 14);
    QPainterPath back;
    back.moveTo(r.left(), r.bottom());
    back.lineTo(r.left(), r.top());
    back.lineTo(g.px(6), r.top());
    back.lineTo(g.px(7.5), g.snap(5, g.line));
    back.lineTo(g.snap(13, g.line), g.snap(5, g.line));
    back.lineTo(g.snap(13, g.line), g.px(7));
    p.setPen(g.pen(kFolderEdge));
    p.setBrush(kFolderBack);
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(r.left(), r.bottom());
    front.lineTo(g.px(4), g.snap(7.5, g.line));
    front.lineTo(r.right(), g.snap(7.5, g.line));
    front.lineTo(g.px(12.5), r.bottom());
    front.closeSubpath();
    p.setBrush(kFolderFront);
    p.drawPath(front);
}

// A floppy disk: the body with a cut corner, the metal shutter and the label.
void drawSave(QPainter& p, const Grid& g) {
    const QRectF r = g.box(1, 1, 15, 15);
    const double cut = std::round(g.px(3));
    QPainterPath body;
    body.moveTo(r.topLeft());
    body.lineTo(r.right() - cut, r.top());
    body.lineTo(r.right(), r.top() + cut);
    body.lineTo(r.bottomRight());
    body.lineTo(r.bottomLeft());
    body.closeSubpath();
    p.setPen(g.pen(kInk));
    p.setBrush(kDiskBody);
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.fillRect(QRectF(QPointF(std::round(g.px(4)), r.top()), QPointF(std::round(g.px(11)), std::round(g.px(6)))),
               kDiskShutter);
    p.fillRect(QRectF(QPointF(std::round(g.px(8.5)), std::round(g.px(2.5))),
                      QPointF(std::round(g.px(10)), std::round(g.px(5)))),
               kInk);
    p.fillRect(QRectF(QPointF(std::round(g.px(3.5)), std::round(g.px(9))),
                      QPointF(std::round(g.px(12.5)), std::round(r.bottom() - g.line / 2))),
               kPaper);
}

// The application icon on a 48-unit grid: a process box, an arrow and a decision
// on a rounded card. packaging/desktop/quillmap.svg is the same drawing.
void drawApplication(QPainter& p, const Grid& g) {
    const double u = g.s;
    // SVG's stroke defaults: flat caps, mitred corners up to four times the width.
    QPen outline(kInk, 2 * u, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    outline.setMiterLimit(4);
    p.setPen(outline);
    p.setBrush(QColor(0xf7, 0xf9, 0xfc));
    p.drawRoundedRect(QRectF(3 * u, 3 * u, 42 * u, 42 * u), 7 * u, 7 * u);
    p.setBrush(kShapeFill);
    p.drawRect(QRectF(12 * u, 8 * u, 24 * u, 10 * u));
    p.setBrush(kDecisionFill);
    const QPointF decision[] = {g.pt(24, 28), g.pt(37, 34), g.pt(24, 40), g.pt(11, 34)};
    p.drawPolygon(decision, 4);
    p.drawLine(g.pt(24, 18), g.pt(24, 23));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    const QPointF head[] = {g.pt(20, 22), g.pt(28, 22), g.pt(24, 28)};
    p.drawPolygon(head, 3);
}

// Paints its drawing afresh for every pixel size asked for; results are kept in
// the application's pixmap cache.
class DrawnIconEngine : public QIconEngine {
public:
    DrawnIconEngine(DrawFn draw, int units, QString name) : draw_(draw), units_(units), name_(std::move(name)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        if (size.isEmpty()) return {};
        const QString key = QStringLiteral("qm-icon-%1-%2x%3-%4")
                                .arg(name_)
                                .arg(size.width())
                                .arg(size.height())
                                .arg(int(mode));
        QPixmap cached;
        if (QPixmapCache::find(key, &cached)) return cached;
        QPixmap pm = QPixmap::fromImage(render(size, mode));
        QPixmapCache::insert(key, pm);
        return pm;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap pm = pixmap((QSizeF(rect.size()) * dpr).toSize(), mode, state);
        pm.setDevicePixelRatio(dpr);
        painter->drawPixmap(rect, pm);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48)};
    }
    QString key() const override { return QStringLiteral("qm-drawn"); }
    QString iconName() override { return name_; }
    QIconEngine* clone() const override { return new DrawnIconEngine(*this); }

private:
    QImage render(QSize size, QIcon::Mode mode) const {
        QImage img(size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        const int side = std::min(size.width(), size.height());
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            p.translate((size.width() - side) / 2, (size.height() - side) / 2);
            draw_(p, Grid(side, units_));
        }
        if (mode == QIcon::Disabled) fade(img);
        return img;
    }

    // Grey and half transparent, as disabled toolbar buttons look.
    static void fade(QImage& img) {
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                const int a = qAlpha(line[x]) / 2;
                const int grey = (qGray(line[x]) + 255) / 2 * a / 255;
                line[x] = qRgba(grey, grey, grey, a);
            }
        }
    }

    DrawFn draw_;
    int units_;
    QString name_;
};

struct IconDesign {
    DrawFn draw;
    const char* name;
};

IconDesign design(ToolIcon which) {
    switch (which) {
        case ToolIcon::Rectangle: return {drawRectangle, "rectangle"};
        case ToolIcon::Diamond: return {drawDiamond, "diamond"};
        case ToolIcon::Ellipse: return {drawEllipse, "ellipse"};
        case ToolIcon::LeftArrow: return {drawLeft, "left-arrow"};
        case ToolIcon::RightArrow: return {drawRight, "right-arrow"};
        case ToolIcon::UpArrow: return {drawUp, "up-arrow"};
        case ToolIcon::DownArrow: return {drawDown, "down-arrow"};
        case ToolIcon::PolylineArrow: return {drawPolylineArrow, "polyline-arrow"};
        case ToolIcon::Label: return {drawLabel, "label"};
        case ToolIcon::VerticalLabel: return {drawVerticalLabel, "vertical-label"};
        case ToolIcon::New: return {drawNew, "new"};
        case ToolIcon::Open: return {drawOpen, "open"};
        case ToolIcon::Save: return {drawSave, "save"};
        case ToolIcon::Arrow: return {drawArrow, "arrow"};
    }
    return {drawRectangle, "rectangle"};
}

}  // namespace

QIcon toolbarIcon(ToolIcon which) {
    const IconDesign d = design(which);
    return QIcon(new DrawnIconEngine(d.draw, 16, QString::fromLatin1(d.name)));
}

QIcon applicationIcon() { return QIcon(new DrawnIconEngine(drawApplication, 48, QStringLiteral("quillmap"))); }

}  // namespace qm
