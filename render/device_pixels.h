// Images laid down pixel for pixel. Through a painter that scales (a device pixel
// ratio, a zoom), Qt draws an image with its resampling routine even where one
// image pixel falls on one device pixel, at several times the cost of a plain
// copy or blend; and an image whose own pixel ratio is not 1 always goes that way.
#pragma once
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

class QPainter;

namespace qm {

// Lays down `source` (image pixels; null: all) of `image`, which holds as many
// pixels to a canvas pixel as the painter puts device pixels, its top-left corner
// at `at` in the painter's coordinates. Where that corner and the source fall on
// whole pixels, pixel for pixel; elsewhere (a canvas zoomed out, at half a device
// pixel) as Qt draws it.
void drawOnDevicePixels(QPainter& painter, const QPointF& at, const QImage& image, const QRectF& source = {});

// How far (device pixels) an image that holds part of the drawing reaches past
// what it shows, inside the drawing: Qt draws a glyph that an image's edge cuts
// through otherwise, in the rows near that edge, than one a clip cuts through (at
// 75% on a screen of ratio 1.5, the foot of a vertical label came out a device
// pixel lower), and a frame is pieced together from images whose edges cut
// through texts where a full repaint's do not. The drawing's own edges cut
// through every picture of it alike.
inline constexpr int kImageMargin = 16;

// `box` (canvas pixels) grown to the nearest canvas pixels that fall on whole
// device pixels at `dpr` device pixels to a canvas pixel: a box repainted over the
// background must cover whole device pixels, or the pixels its edge cuts are
// painted as neither side of it would paint them; a layer painted from such a
// corner is laid down pixel for pixel where the canvas paints the same parts.
QRect onWholeDevicePixels(QRect box, qreal dpr);

// The device pixels a client area of `size` takes at `dpr`, the last row and
// column counted whole.
QSize devicePixels(QSize size, qreal dpr);

// Scales a painter just opened on `image` to the image's pixel ratio where that is
// below one (a layer or stamp of a canvas zoomed out): Qt scales a painter up for
// an image of ratio above one but never down, and would paint such a layer at
// full size into its fewer pixels.
void followDensity(QPainter& painter, const QImage& image);

}  // namespace qm
