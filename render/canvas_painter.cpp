#include "render/canvas_painter.h"

#include <QPainter>

#include "render/document_painter.h"
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

namespace {

// The white client area and the drawing on it within `area`, in client
// coordinates, the painter's origin at the client area's corner.
void paintClient(QPainter& painter, const Document* doc, const QRectF& area, PaintOptions options) {
    painter.fillRect(area, kCanvasBackground);
    if (!doc) return;
    options.exposed = area;
    options.antialias = painter.testRenderHint(QPainter::Antialiasing);
    paintDocument(painter, *doc, options);
}

// An image of `size` logical pixels at `scale` pixels each, painted by `paint`.
template <class Paint>
QImage pictureImage(QSize size, int scale, Paint paint) {
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

}  // namespace

void paintCanvasPicture(QPainter& painter, const Document* doc, QSize size, const QRect& exposed, CanvasLook look) {
    paintCanvasFrame(painter, size);
    const QRect client = QRect(QPoint(0, 0), size).adjusted(kCanvasFrame, kCanvasFrame, -kCanvasFrame, -kCanvasFrame);
    const QRect dirty = exposed.isNull() ? client : exposed & client;
    if (dirty.isEmpty()) return;
    painter.save();
    // Elements reaching past the client area are cut at the frame, as on screen.
    painter.setClipRect(dirty, Qt::IntersectClip);
    painter.translate(client.topLeft());
    paintClient(painter, doc, QRectF(dirty.translated(-client.topLeft())),
                look == CanvasLook::Editing && doc ? canvasPaintOptions(*doc) : chartPaintOptions());
    painter.restore();
}

QImage canvasPictureImage(const Document* doc, QSize size, int scale, CanvasLook look) {
    return pictureImage(size, scale, [&](QPainter& p) { paintCanvasPicture(p, doc, size, {}, look); });
}

QSize drawingSize(QSize canvasSize) {
    return (canvasSize - QSize(2 * kCanvasFrame, 2 * kCanvasFrame)).expandedTo(QSize(0, 0));
}

void paintDrawingPicture(QPainter& painter, const Document* doc, QSize canvasSize,
                         const std::function<bool(PartRef)>& skip) {
    const QRect area(QPoint(0, 0), drawingSize(canvasSize));
    if (area.isEmpty()) return;
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    PaintOptions options = chartPaintOptions();
    options.skip = skip;
    paintClient(painter, doc, area, options);
    painter.restore();
}

QImage drawingPictureImage(const Document* doc, QSize canvasSize, int scale) {
    return pictureImage(drawingSize(canvasSize), scale, [&](QPainter& p) { paintDrawingPicture(p, doc, canvasSize); });
}

}  // namespace qm
