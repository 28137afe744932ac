#include "render/document_painter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>

#include "model/editor.h"
#include "model/selection_look.h"
#include "model/vocabulary.h"
#include "render/bands.h"
#include "render/device_pixels.h"
#include "render/fonts.h"
#include "render/paint_order.h"
#include "render/qt_text_metrics.h"
#include "render/text_stamps.h"
#include "render/twips.h"

namespace qm {
namespace {

QPoint pxPoint(float x, float y) { return {pixels(x), pixels(y)}; }

QString captionText(const LabelEl& l) {
    return QString::fromUtf8(l.caption.data(), static_cast<qsizetype>(l.caption.size()));
}

// The same wrap width the metrics used, so the lines break where the label's
// height says they do.
qreal wrapWidthPx(const LabelEl& l) { return l.wordWrap ? static_cast<qreal>(l.width) / kTwipsPerPixel : 0; }

// A handle `scale` times its size about its centre, in canvas client pixels.
QRectF scaledHandle(const HandleEl& h, qreal scale) {
    const QRectF r(pixelRect(h.left, h.top, h.width, h.height));
    const QSizeF size = r.size() * scale;
    return QRectF(r.center() - QPointF(size.width(), size.height()) / 2, size);
}

// Draws a family's elements in index order, leaving out hidden ones, those outside
// the exposed area and those the caller skips.
class Pass {
public:
    Pass(QPainter& painter, const PaintOptions& options) : p(painter), opt(options) {}

    bool wanted(Part part, int index, const QRect& bounds) const {
        if (bounds.isEmpty()) return false;
        // Stroked outlines filled reach into the canvas pixel past their box (an
        // ellipse's pen is centred on its box's edge): an area ending just short of
        // the box still holds those device pixels, as the record's boxes grow by them.
        const QRectF reach = opt.fillStrokes ? QRectF(bounds.adjusted(-1, -1, 1, 1)) : QRectF(bounds);
        if (!opt.exposed.isNull() && !opt.exposed.intersects(reach)) return false;
        return !opt.skip || !opt.skip(PartRef{part, index});
    }

    // The element's own colour, or the selection's.
    QColor colourOf(Part part, int index, Color own) const {
        const bool selected = std::binary_search(opt.selected.begin(), opt.selected.end(), PartRef{part, index});
        return selected ? opt.selectionColour : toQColor(own);
    }

    void draw(PartRef r, const ShapeEl& s) { shape(r.part, r.index, s); }
    void draw(PartRef r, const LineEl& l) { line(r.part, r.index, l); }
    void draw(PartRef r, const LabelEl& l) { label(r.index, l); }
    void draw(PartRef r, const HandleEl& h) { handle(r.index, h); }
    void draw(PartRef r, const PictureEl& pic) { picture(r.part, r.index, pic); }

    void setPenColor(const QColor& c, Qt::PenStyle style = Qt::SolidLine) {
        if (penSet && c == penColor && style == penStyle) return;
        // Flat caps leave out a line's last pixel, so a line from a frame's corner to
        // the opposite corner ends on the frame rather than one pixel past it.
        QPen pen(c, 1, style);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        penSet = true;
        filling = false;
        penColor = c;
        penStyle = style;
    }

    void shape(Part part, int index, const ShapeEl& s) {
        const QRect r = paintedBounds(s);
        if (!wanted(part, index, r)) return;
        const QColor c = colourOf(part, index, s.borderColor);
        switch (s.style) {
            case 1: case 3: case 5: {  // square, circle, rounded square: centred in the box
                const int side = std::min(r.width(), r.height());
                const QRect sq(r.x() + (r.width() - side) / 2, r.y() + (r.height() - side) / 2, side, side);
                outline(sq, s.style, c);
                break;
            }
            default: outline(r, s.style, c);
        }
    }

    void line(Part part, int index, const LineEl& l) {
        if (!wanted(part, index, paintedBounds(l))) return;
        const QPoint a = pxPoint(l.x1, l.y1), b = pxPoint(l.x2, l.y2);
        const QColor c = colourOf(part, index, l.borderColor);
        if (opt.fillStrokes && l.style == LineStyle::Solid && a != b) {
            fillLine(a, b, c);
            return;
        }
        setPenColor(c, l.style == LineStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
        if (opt.fillStrokes && a != b) {
            // Stroked, Qt lays a dotted line's dots out anew for each painter's
            // device: smoothed, they come out a grey level apart on an image the
            // size of a few areas and on one the size of the canvas.
            QPainterPath path(a);
            path.lineTo(b);
            fillStroke(path, c);
            return;
        }
        // Qt draws nothing for a line of length zero; such a line is still a dot.
        if (a == b)
            p.drawPoint(a);
        else
            p.drawLine(a, b);
    }

    void label(int index, const LabelEl& l) {
        if (!wanted(Part::Label, index, paintedBounds(l))) return;
        const QPoint topLeft = pxPoint(l.left, l.top);
        useFont(l.fontName, l.fontSize);
        setPenColor(colourOf(Part::Label, index, l.foreColor));
        // A caption of one line, as most are, is drawn as it is stored.
        if (!l.wordWrap && l.caption.find('\n') == std::string::npos) {
            const bool above = !opt.exposed.isNull() && topLeft.y() + lineSpacing < opt.exposed.top();
            if (!above) drawTextLine(p, QPointF(topLeft), *font, std::string_view(l.caption));
            return;
        }
        // Lines that start below the area painted are not even laid out, and those
        // above it are not drawn: of a caption of thousands of lines, the canvas
        // shows a handful.
        qsizetype maxLines = std::numeric_limits<qsizetype>::max();
        if (!opt.exposed.isNull()) {
            const qreal shown = (opt.exposed.bottom() - topLeft.y()) / std::max(lineSpacing, 1.0);
            maxLines = static_cast<qsizetype>(std::max(0.0, shown)) + 1;
        }
        QStringList lines;
        {
            const std::lock_guard lock(fontLock());
            lines = labelLines(*font, captionText(l), wrapWidthPx(l), maxLines);
        }
        qreal top = topLeft.y();
        for (const QString& text : lines) {
            const bool above = !opt.exposed.isNull() && top + lineSpacing < opt.exposed.top();
            if (!text.isEmpty() && !above) drawTextLine(p, QPointF(topLeft.x(), top), *font, text);
            top += lineSpacing;
        }
    }

    void handle(int index, const HandleEl& h) {
        const QRect r = paintedBounds(h, opt.handleScale);
        if (!opt.handles || !wanted(Part::spHandle, index, r)) return;
        const QColor& fill = h.fill == SystemColor::ActiveCaption ? opt.activeCaption : opt.highlight;
        if (opt.handleScale == 1) {
            p.fillRect(r, fill);
            return;
        }
        // A sharp square of whole screen pixels, however the canvas is scaled.
        // Its corner, often on half a pixel, is rounded the same way wherever the
        // area painted begins (std::round takes -1.5 down and 1.5 up).
        const QTransform& device = p.deviceTransform();
        const QRectF on = device.mapRect(scaledHandle(h, opt.handleScale));
        const QRectF snapped(QPointF(std::floor(on.left() + 0.5), std::floor(on.top() + 0.5)),
                             QSizeF(std::max(1.0, std::round(on.width())), std::max(1.0, std::round(on.height()))));
        // Unsmoothed: mapped back, its edges lie a hair off the pixels, and a zoomed
        // out canvas, which smooths, would tint the pixels along them by as much,
        // differently wherever the area painted begins.
        const bool smooth = p.testRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(device.inverted().mapRect(snapped), fill);
        p.setRenderHint(QPainter::Antialiasing, smooth);
    }

    void picture(Part part, int index, const PictureEl& pic) {
        const QRect r = paintedBounds(pic);
        if (!wanted(part, index, r)) return;
        p.fillRect(r, Qt::white);
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(arrowheadTriangle(part, r));
        p.restore();
    }

private:
    void outline(const QRect& r, int16_t style, const QColor& c) {
        if (style == 0 || style == 1) {
            // Four one-pixel strips: exact at any device pixel ratio and cheaper than
            // stroking a path.
            p.fillRect(QRect(r.left(), r.top(), r.width(), 1), c);
            p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), c);
            p.fillRect(QRect(r.left(), r.top(), 1, r.height()), c);
            p.fillRect(QRect(r.right(), r.top(), 1, r.height()), c);
            return;
        }
        setPenColor(c);
        p.setBrush(Qt::NoBrush);
        const QRect inner(r.left(), r.top(), r.width() - 1, r.height() - 1);
        const bool ellipse = isEllipseStyle(style);
        const qreal radius = std::min(r.width(), r.height()) / 6.0;
        if (opt.fillStrokes) {
            QPainterPath path;
            if (ellipse) path.addEllipse(inner);
            else path.addRoundedRect(inner, radius, radius);
            fillStroke(path, c);
        } else if (ellipse) {
            p.drawEllipse(inner);
        } else {
            p.drawRoundedRect(inner, radius, radius);
        }
    }

    // The outline the pen would stroke, filled: the same pixels however the area
    // painted is clipped.
    void fillStroke(const QPainterPath& path, const QColor& c) {
        QPainterPathStroker stroker(p.pen());
        p.fillPath(stroker.createStroke(path), c);
    }

    // What the pen strokes along a straight line, filled: the four corners
    // QPainterPathStroker gives a flat-capped line one pixel wide, and so the same
    // pixels, without building and stroking a path for each of the drawing's
    // thousands of segments.
    void fillLine(QPoint a, QPoint b, const QColor& c) {
        const qreal dx = b.x() - a.x(), dy = b.y() - a.y(), length = std::sqrt(dx * dx + dy * dy);
        qreal nx = -dy / length / 2, ny = dx / length / 2;
        if (const qreal device = devicePixels(); device >= 1) {
            // Enlarged, a line a pixel wide across its slope would cover one device
            // pixel in some columns and two in others. Cut straight across its main
            // direction and a whole number of device pixels wide, it covers the same
            // number in each.
            const qreal half = static_cast<qreal>(std::lround(device)) / device / 2;
            const bool flat = std::fabs(dx) >= std::fabs(dy);
            nx = flat ? 0 : half;
            ny = flat ? half : 0;
        }
        const QPointF corners[4] = {{a.x() + nx, a.y() + ny}, {b.x() + nx, b.y() + ny}, {b.x() - nx, b.y() - ny},
                                    {a.x() - nx, a.y() - ny}};
        if (!filling || c != fillColor) {
            p.setPen(Qt::NoPen);
            p.setBrush(c);
            penSet = false;
            filling = true;
            fillColor = c;
        }
        p.drawPolygon(corners, 4, Qt::WindingFill);
    }

    // Device pixels to a pixel of the drawing, as the painter is scaled.
    qreal devicePixels() {
        if (devicePerPixel == 0) devicePerPixel = std::fabs(p.deviceTransform().m11());
        return devicePerPixel;
    }

    // Labels mostly share one font; looking it up and setting it once per run of
    // equal fonts keeps a large drawing fast.
    void useFont(const std::string& name, float size) {
        if (font && name == fontName && size == fontSize) return;
        const std::lock_guard lock(fontLock());
        font = &labelFont(name, size);
        fontName = name;
        fontSize = size;
        const QFontMetricsF fm(*font);
        ascent = fm.ascent();
        lineSpacing = fm.lineSpacing();
        p.setFont(*font);
    }

    QPainter& p;
    const PaintOptions& opt;
    const QFont* font = nullptr;
    std::string fontName;
    float fontSize = 0;
    qreal ascent = 0, lineSpacing = 0;
    bool penSet = false;
    QColor penColor;
    bool filling = false;  // the pen is off and the brush is fillColor
    qreal devicePerPixel = 0;  // not known yet
    QColor fillColor;
    Qt::PenStyle penStyle = Qt::SolidLine;
};

}  // namespace

PaintOptions defaultPaintOptions() {
    PaintOptions o;
    const QPalette pal = QGuiApplication::palette();
    o.highlight = pal.color(QPalette::Active, QPalette::Highlight);
    // Qt has no caption colour; the classic navy of an active title bar.
    o.activeCaption = QColor(10, 36, 106);
    o.selectionColour = toQColor(kGreen);
    return o;
}

PaintOptions canvasPaintOptions(const Document& doc, PaintOptions memory) {
    PaintOptions o = defaultPaintOptions();
    o.selected = selectionLook(doc, std::move(memory.selected));
    o.raised = groupParts(doc, std::move(memory.raised));
    return o;
}

PaintOptions canvasPaintOptions(const Document& doc, std::span<const ElementRef> selected) {
    PaintOptions o = defaultPaintOptions();
    o.selected = selectionLook(doc, selected);
    if (selected.size() > 1) o.raised = groupParts(doc, selected);
    return o;
}

PaintOptions chartPaintOptions() {
    PaintOptions o = defaultPaintOptions();
    o.handles = false;
    return o;
}

QPolygonF arrowheadTriangle(Part part, const QRect& box) {
    const qreal x0 = box.x(), y0 = box.y(), x1 = x0 + box.width(), y1 = y0 + box.height();
    const qreal cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    switch (part) {
        case Part::picUp: return {{QPointF(cx, y0), QPointF(x1, y1), QPointF(x0, y1)}};
        case Part::picDown: return {{QPointF(cx, y1), QPointF(x0, y0), QPointF(x1, y0)}};
        case Part::picLeft: return {{QPointF(x0, cy), QPointF(x1, y0), QPointF(x1, y1)}};
        default: return {{QPointF(x1, cy), QPointF(x0, y1), QPointF(x0, y0)}};
    }
}

QColor toQColor(Color c) {
    const auto v = static_cast<uint32_t>(c);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

QRect paintedBounds(const ShapeEl& s) {
    if (!s.visible) return {};
    const QRect r = pixelRect(s.left, s.top, s.width, s.height);
    return r.width() > 0 && r.height() > 0 ? r : QRect();
}

QRect paintedBounds(const LineEl& l) {
    if (!l.visible) return {};
    return QRect(pxPoint(l.x1, l.y1), pxPoint(l.x2, l.y2)).normalized().adjusted(-1, -1, 1, 1);
}

QRect paintedBounds(const LabelEl& l) {
    if (!l.visible || l.caption.empty()) return {};
    const QRect box(pxPoint(l.left, l.top), QSize(std::max(pixels(l.width), 1), std::max(pixels(l.height), 1)));
    // Glyphs may overhang the box a little.
    return box.adjusted(-4, -4, 4, 4);
}

QRect paintedBounds(const HandleEl& h, qreal scale) {
    if (!h.visible) return {};
    if (scale == 1) return pixelRect(h.left, h.top, h.width, h.height);
    // Room for the rounding onto whole screen pixels.
    return scaledHandle(h, scale).toAlignedRect().adjusted(-1, -1, 1, 1);
}

QRect paintedBounds(const PictureEl& p) {
    return p.visible ? pixelRect(p.left, p.top, p.width, p.height) : QRect();
}

QRect paintedBounds(const Document& doc, std::span<const PartRef> parts, qreal handleScale) {
    QRect out;
    forEachPart(doc, parts, [&out, handleScale](PartRef, const auto& e) {
        if constexpr (std::is_same_v<std::decay_t<decltype(e)>, HandleEl>)
            out |= paintedBounds(e, handleScale);
        else
            out |= paintedBounds(e);
    });
    return out;
}

QList<TextLine> labelTextLines(const LabelEl& l) {
    QList<TextLine> out;
    if (paintedBounds(l).isEmpty()) return out;
    const QFont& font = labelFont(l.fontName, l.fontSize);
    const qreal spacing = QFontMetricsF(font).lineSpacing();
    QPointF at(pxPoint(l.left, l.top));
    for (const QString& text : labelLines(font, captionText(l), wrapWidthPx(l))) {
        if (!text.isEmpty()) out.push_back({at, text});
        at.ry() += spacing;
    }
    return out;
}

void paintDocument(QPainter& painter, const Document& doc, const PaintOptions& options) {
    if (!options.raised.empty()) {
        PaintOptions below = options;
        below.raised.clear();
        below.skip = [&options](PartRef r) {
            return std::binary_search(options.raised.begin(), options.raised.end(), r) ||
                   (options.skip && options.skip(r));
        };
        paintDocument(painter, doc, below);
        const QTransform t = painter.deviceTransform();
        QRect area = paintedBounds(doc, options.raised);
        if (!options.exposed.isNull()) area &= options.exposed.toAlignedRect();
        if (area.isEmpty()) return;
        if (t.type() <= QTransform::TxScale && t.m11() == t.m22()) {
            // From a whole device pixel, as the canvas's layer of raised parts lies:
            // at 187.5% a corner a fraction off one draws every edge that fraction off.
            area = onWholeDevicePixels(area, t.m11());
            drawOnDevicePixels(painter, QPointF(area.topLeft()), raisedLayer(doc, options, area, t.m11()));
        } else {
            PaintOptions on = below;
            on.skip = options.skip;
            paintParts(painter, doc, options.raised, on);  // turned or slanted: no layer to lay
        }
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, options.antialias);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    Pass pass(painter, options);
    forEachElement(doc, [&pass](PartRef r, const auto& e) { pass.draw(r, e); });
    painter.restore();
}

QImage raisedLayer(const Document& doc, const PaintOptions& options, const QRect& area, qreal dpr) {
    QImage layer(QSize(static_cast<int>(std::ceil(area.width() * dpr)), static_cast<int>(std::ceil(area.height() * dpr))),
                 QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(dpr);
    paintRaisedRows(layer, doc, options, options.raised, area, 0, layer.height());
    return layer;
}

void paintRaisedRows(QImage& layer, const Document& doc, const PaintOptions& options, std::span<const PartRef> parts,
                     const QRect& area, int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, layer.height());
    if (from >= to) return;
    const qreal dpr = layer.devicePixelRatio();
    std::memset(layer.scanLine(from), 0, static_cast<size_t>(to - from) * static_cast<size_t>(layer.bytesPerLine()));
    PaintOptions on = options;
    on.raised.clear();
    // Painted on the whole layer, clipped to the rows: Qt draws a glyph that the
    // edge of an image cuts through otherwise than one a clip cuts through (at 75%
    // on a screen of ratio 1.5, a character of a vertical label came out a grey
    // level apart), and an image of the rows alone has its edges there. The rows'
    // top lies on a whole canvas pixel, so the clip is exact.
    const QRectF rows(QPointF(0, from / dpr), QPointF(layer.width() / dpr, to / dpr));
    const QPointF corner(area.topLeft());
    paintInBands(layer, QRect(0, from, layer.width(), to - from), [&](QPainter& p, const QRectF& band) {
        p.setClipRect(rows, Qt::IntersectClip);
        p.translate(-corner);
        p.setClipRect(area, Qt::IntersectClip);
        PaintOptions within = on;
        within.exposed = QRectF(area) & (band & rows).translated(corner);
        if (!within.exposed.isEmpty()) paintParts(p, doc, parts, within);
    });
}

QRect rubberBandBounds(const Document& doc) {
    const std::optional<BoxF> band = rubberBand(doc);
    if (!band) return {};
    return QRect(pxPoint(band->left, band->top), pxPoint(band->right, band->bottom)).adjusted(-1, -1, 1, 1);
}

void paintRubberBand(QPainter& painter, const Document& doc) {
    const std::optional<BoxF> band = rubberBand(doc);
    if (!band) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Stroked, the dots are laid out anew for each painter's device, and a canvas
    // painted area by area would show them otherwise than painted whole: the
    // outline the pen strokes, filled, is the same wherever it is cut. It is laid
    // out in device pixels, a pen as wide as the canvas's pixel and never thinner
    // than one, centred on whole pixels: a thinner outline, filled unsmoothed,
    // would fall between the pixels' centres and leave edges out when zoomed out.
    const QTransform device = painter.deviceTransform();
    const qreal width = std::max<qreal>(1, std::round(std::abs(device.m11())));
    const QRectF on = device.mapRect(QRectF(QRect(pxPoint(band->left, band->top), pxPoint(band->right, band->bottom))));
    const auto whole = [](qreal v) { return std::floor(v + 0.5); };
    QRectF box(QPointF(whole(on.left()), whole(on.top())), QPointF(whole(on.right()), whole(on.bottom())));
    if (static_cast<int>(width) % 2 == 1) box.translate(0.5, 0.5);
    QPen pen(Qt::black, width, Qt::DotLine);
    pen.setCapStyle(Qt::FlatCap);
    QPainterPath path;
    path.addRect(box);
    painter.fillPath(device.inverted().map(QPainterPathStroker(pen).createStroke(path)), Qt::black);
    painter.restore();
}

void paintParts(QPainter& painter, const Document& doc, std::span<const PartRef> parts, const PaintOptions& options) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, options.antialias);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    Pass pass(painter, options);
    forEachPart(doc, parts, [&pass](PartRef r, const auto& e) { pass.draw(r, e); });
    painter.restore();
}

}  // namespace qm
