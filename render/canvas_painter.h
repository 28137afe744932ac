// The canvas picture: the canvas as its window shows it, a white client area in a
// sunken two-pixel frame with the drawing inside, painted on any QPainter for the
// screen and the BMP copy of it; and the drawing alone, the client area without
// the window's frame, for printed pages and the PNG, SVG and PDF pictures.
#pragma once
#include <functional>

#include <QImage>
#include <QRect>
#include <QSize>

#include "model/document.h"
#include "model/editor.h"
#include "render/document_painter.h"

class QPainter;

namespace qm {

// The frame's width in logical pixels; element coordinates start inside it.
inline constexpr int kCanvasFrame = 2;

// The canvas's outer size in logical pixels, as its window lays it out.
QSize canvasPixelSize(const CanvasGeometry& geometry);

// What the picture shows besides the chart: nothing, for every picture and print
// of it, whatever the editor has selected; or, as the canvas shows it while
// editing, the selection's look and the selection handles.
enum class CanvasLook { Chart, Editing };

// Paints the picture of `size` logical pixels (frame included) over
// QRect(QPoint(0, 0), size) in the painter's coordinates, one unit per logical
// pixel; a transform on the painter places and scales it. Only what touches
// `exposed` is painted (a null rectangle: everything). A null document shows an
// empty canvas. The drawing keeps the painter's antialiasing hint.
void paintCanvasPicture(QPainter& painter, const Document* doc, QSize size, const QRect& exposed = {},
                        CanvasLook look = CanvasLook::Chart);

// The drawing alone, without the frame: the part `area` of the client area (logical
// pixels) on the canvas's white, its top-left corner at the painter's origin,
// elements cut at its edges. `skip` leaves elements out, as PaintOptions::skip does.
void paintDrawing(QPainter& painter, const Document* doc, const QRect& area, CanvasLook look = CanvasLook::Chart,
                  const std::function<bool(PartRef)>& skip = {});

// The box, in client pixels, that the visible elements paint inside; empty for none.
QRect drawingBounds(const Document& doc);

// The frame alone, for a screen whose inside comes from a cached layer.
void paintCanvasFrame(QPainter& painter, QSize size);

// The picture as such an image.
QImage canvasPictureImage(const Document* doc, QSize size, int scale = 1, CanvasLook look = CanvasLook::Chart);
// The same for any picture of `size` logical pixels that `paint` paints.
QImage paintedImage(const std::function<void(QPainter&)>& paint, QSize size, int scale = 1);

// The size in logical pixels of the drawing of a canvas of `canvasSize` (frame
// included): what prints and pictures show of it, painted by paintDrawing.
QSize drawingSize(QSize canvasSize);
// The whole drawing of such a canvas as an image, as canvasPictureImage makes one.
QImage drawingPictureImage(const Document* doc, QSize canvasSize, int scale = 1);

}  // namespace qm
