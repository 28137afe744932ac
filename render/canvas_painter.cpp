#include "render/canvas_painter.h"

#include <QPainter>

#include "render/document_painter.h"
#include "render/paint_order.h"
#include "render/twips.h"

namespace qm {
namespace {

// A sunken 3D panel in the colours of Qt's standard light palette (dark, light,
// shadow, midlight). Fixed rather than taken from a widget's palette, so that a
// picture, a printed page and the screen show one frame whatever the desktop's
// theme, and no output needs a widget.
const QColor kOuterTopLeft{0x9f, 0x9f, 0x9f};
const QColor kOuterBottomRight{0xff, 0xff, 0xff};
const QColor kInnerTopLeft{0x76, 0x76, 0x76};
const QColor kInnerBottomRight{0xca, 0xca, 0xca};

}  // namespace

QSize canvasPixelSize(const CanvasGeometry& geometry) {
    return QSize(pixels(geometry.width), pixels(geometry.height));
}

void paintCanvasFrame(QPainter& p, QSize size) {
    const int w = size.width(), h = size.height();
    if (w < 2 * kCanvasFrame || h < 2 * kCanvasFrame) return;
    // One-pixel strips rather than lines: exact at any scale, on screen and paper.
    // The bottom-right strips run under the corners the top-left ones leave open.
    p.fillRect(QRect(0, 0, w - 1, 1), kOuterTopLeft);
    p.fillRect(QRect(0, 0, 1, h - 1), kOuterTopLeft);
    p.fillRect(QRect(0, h - 1, w, 1), kOuterBottomRight);
    p.fillRect(QRect(w - 1, 0, 1, h), kOuterBottomRight);
    p.fillRect(QRect(1, 1, w - 3, 1), kInnerTopLeft);
    p.fillRect(QRect(1, 1, 1, h - 3), kInnerTopLeft);
    p.fillRect(QRect(1, h - 2, w - 2, 1), kInnerBottomRight);
    p.fillRect(QRect(w - 2, 1, 1, h - 2), kInnerBottomRight);
}

void paintCanvasPicture(QPainter& painter, const Document* doc, QSize size, const QRect& exposed, CanvasLook look) {
    paintCanvasFrame(painter, size);
    const QRect client = QRect(QPoint(0, 0), size).adjusted(kCanvasFrame, kCanvasFrame, -kCanvasFrame, -kCanvasFrame);
    const QRect dirty = exposed.isNull() ? client : exposed & client;
    if (dirty.isEmpty()) return;
    // Elements reaching past the client area are cut at the frame, as on screen.
    painter.save();
    painter.translate(dirty.topLeft());
    paintDrawing(painter, doc, dirty.translated(-client.topLeft()), look);
    painter.restore();
}

void paintDrawing(QPainter& painter, const Document* doc, const QRect& area, CanvasLook look,
                  const std::function<bool(PartRef)>& skip) {
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), area.size()), Qt::IntersectClip);
    painter.translate(-area.topLeft());
    const QRectF shown(area);
    painter.fillRect(shown, kCanvasBackground);
    if (doc) {
        PaintOptions options = look == CanvasLook::Editing ? canvasPaintOptions(*doc) : chartPaintOptions();
        options.exposed = shown;
        options.skip = skip;
        options.antialias = painter.testRenderHint(QPainter::Antialiasing);
        paintDocument(painter, *doc, options);
    }
    painter.restore();
}

QRect drawingBounds(const Document& doc) {
    QRect box;
    forEachElement(doc, [&box](PartRef, const auto& e) { box |= paintedBounds(e); });
    return box;
}

QImage canvasPictureImage(const Document* doc, QSize size, int scale, CanvasLook look) {
    return paintedImage([&](QPainter& p) { paintCanvasPicture(p, doc, size, {}, look); }, size, scale);
}

QImage paintedImage(const std::function<void(QPainter&)>& paint, QSize size, int scale) {
    QImage image(size * scale, QImage::Format_RGB32);
    if (image.isNull()) return image;
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paint(painter);
    }
    image.setDevicePixelRatio(1);
    return image;
}

QSize drawingSize(QSize canvasSize) {
    return (canvasSize - QSize(2 * kCanvasFrame, 2 * kCanvasFrame)).expandedTo(QSize(0, 0));
}

QImage drawingPictureImage(const Document* doc, QSize canvasSize, int scale) {
    const QRect area(QPoint(0, 0), drawingSize(canvasSize));
    return paintedImage([&](QPainter& p) { paintDrawing(p, doc, area); }, area.size(), scale);
}

}  // namespace qm
