// A canvas shown zoomed: its client pixels (one to 15 twips) at `zoom` screen
// pixels each, the client area's corner at `origin` on the screen. The canvas
// widget paints and repaints through these conversions, and so does the benchmark
// that stands in for it.
#pragma once
#include <utility>

#include <QPointF>
#include <QRect>
#include <QRectF>

#include "render/document_painter.h"

namespace qm {

struct ZoomedView {
    qreal zoom = 1;
    QPointF origin;

    // The screen pixels that show an area of the drawing.
    QRect toScreen(const QRect& client) const {
        if (zoom == 1) return client.translated(origin.toPoint());
        // Smoothed or enlarged, an element's pixels reach into the next screen pixel.
        const QRectF on(origin + QPointF(client.topLeft()) * zoom, QSizeF(client.size()) * zoom);
        return on.toAlignedRect().adjusted(-1, -1, 1, 1);
    }

    // The area of the drawing a screen area shows.
    QRectF toClient(const QRect& screen) const {
        const QRectF r(QRectF(screen).topLeft() - origin, QSizeF(screen.size()));
        return QRectF(r.topLeft() / zoom, r.size() / zoom);
    }

    // The options as the drawing is painted at this zoom on a screen of `dpr`
    // device pixels to a pixel: handles at their size on the screen, lines that
    // look alike wherever the layer is repaired (a pen scaled by the zoom or the
    // screen's ratio strokes otherwise where it is clipped; and zoomed, even at one
    // device pixel to a canvas pixel, as 50% at a ratio of 2, what moves is
    // painted on an image of the area alone, whose edge Qt clips a dotted line at
    // before laying its dots out), and lines thinner than a device pixel smoothed,
    // or they would vanish. Set in place: on a large drawing the canvas's look
    // holds lists of megabytes, not to be copied at every frame.
    PaintOptions& paintOptions(PaintOptions& options, qreal dpr) const {
        options.handleScale = 1 / zoom;
        options.fillStrokes = zoom != 1 || dpr != 1;
        options.antialias = zoom * dpr < 1;
        return options;
    }
    PaintOptions paintOptions(PaintOptions&& base, qreal dpr) const { return std::move(paintOptions(base, dpr)); }
};

}  // namespace qm
