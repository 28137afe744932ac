#include "render/canvas_frames.h"

#include <cmath>

#include <QPainter>

#include "model/host.h"
#include "render/device_pixels.h"

namespace qm {

CanvasFrames::CanvasFrames(size_t layerFrom) : cache_(layerFrom) {}

CanvasFrames::~CanvasFrames() {
    if (idleHost_) idleHost_->whenIdle(0, nullptr);
}

void CanvasFrames::setIdleHost(Host* host, std::function<std::vector<ElementRef>()> selectedByAll) {
    if (idleHost_ && idleHost_ != host) idleHost_->whenIdle(0, nullptr);
    idleHost_ = host;
    selectedByAll_ = std::move(selectedByAll);
    restartIdle();
}

void CanvasFrames::restartIdle() {
    allLook_.reset();
    if (!idleHost_) return;
    if (!doc_ || !selectedByAll_) {
        idleHost_->whenIdle(0, nullptr);
        return;
    }
    // Long enough that typing, nudging or clicking through the drawing does not
    // wake it between one step and the next.
    constexpr int kRestMs = 400;
    idleHost_->whenIdle(kRestMs, [this] { return prepareStep(); });
}

bool CanvasFrames::prepareStep() {
    if (!doc_ || !selectedByAll_ || !moving_.empty() || !cache_.hasLayer() ||
        dpr_ * zoom_ > PaintCache::kDensestPrepared)
        return false;
    if (!allLook_) {
        allLook_ = view().paintOptions(canvasPaintOptions(*doc_, selectedByAll_()), dpr_);
        return true;
    }
    return cache_.prepareRaised(*doc_, client_, dpr_ * zoom_, *allLook_);
}

void CanvasFrames::framePainted() {
    if (!doc_ || !cache_.unsettled() || !idleHost_) return;
    // Nothing changes the drawing between a frame and the next event, which would
    // make the repairs itself first: they are culled as the frame was.
    idleHost_->whenIdle(0, [this] {
        cache_.settle(*doc_, true);
        return false;  // nothing is prepared for 全选 while parts move
    });
}

void CanvasFrames::setDocument(const Document* doc) {
    doc_ = doc;
    look_.reset();
    cache_.invalidate();
    restartIdle();
}

void CanvasFrames::place(QSize client, qreal zoom, qreal dpr, QPoint origin) {
    client_ = client;
    dpr_ = dpr;
    origin_ = origin;
    if (zoom == zoom_) return;
    zoom_ = zoom;
    cache_.invalidate();
    restartIdle();
}

std::vector<QRect> dueAreas(const QRegion& due) {
    constexpr size_t kFew = 8;
    std::vector<QRect> areas(due.begin(), due.end());
    if (areas.size() <= kFew) return areas;
    return coalesce(areas, due.boundingRect(), kFew);
}

QRegion CanvasFrames::onScreen(const QRegion& clientArea) const {
    const ZoomedView v = view();
    // Enlarged by the screen's ratio, a line's pixels reach into the next pixel as
    // they do zoomed, and where the client area's corner falls inside a device
    // pixel paint() lays the drawing up to half a device pixel off it.
    const bool enlarged = zoom_ == 1 && dpr_ != 1;
    QRegion out;
    for (const QRect& r : clientArea) out += enlarged ? v.toScreen(r).adjusted(-1, -1, 1, 1) : v.toScreen(r);
    return out;
}

void CanvasFrames::setMoving(std::vector<PartRef> parts) {
    if (parts == moving_) return;
    moving_ = std::move(parts);
    movingChanged_ = true;
}

PaintOptions& CanvasFrames::look() {
    if (!look_) look_ = canvasPaintOptions(*doc_);
    return *look_;
}

QRegion CanvasFrames::refreshDrawing() {
    if (!doc_) return {};
    movingChanged_ = false;
    look_ = canvasPaintOptions(*doc_, look_ ? std::move(*look_) : PaintOptions{});
    const QRegion dirty = onScreen(cache_.catchUp(*doc_, moving_, client_, view().paintOptions(*look_, dpr_)));
    restartIdle();
    return dirty;
}

QRegion CanvasFrames::refreshMoving() {
    if (!doc_ || movingChanged_) return refreshDrawing();
    const QRegion dirty = onScreen(cache_.moved(*doc_, moving_));
    restartIdle();
    return dirty;
}

void CanvasFrames::paint(QPainter& painter, const QRect& area, const QRect& inView) {
    if (!doc_ || area.isEmpty()) return;
    // At a ratio such as 1.25 the client area's corner can fall inside a device
    // pixel (a frame of 2 pixels is 2.5 device pixels), and so can the edges of an
    // area: the drawing is laid from the device pixel nearest that corner and
    // painted over whole device pixels, as every area is, so that a frame pieced
    // together from areas is the full repaint, and layers and text stamps land on
    // whole pixels.
    const QTransform device = painter.deviceTransform();
    const QTransform world = painter.worldTransform();
    const QPointF at = device.map(QPointF(origin_));
    const QPoint corner(static_cast<int>(std::round(at.x())), static_cast<int>(std::round(at.y())));
    const qreal density = dpr_ * zoom_;
    const QRect drawing(corner, QSize(static_cast<int>(std::ceil(client_.width() * density)),
                                      static_cast<int>(std::ceil(client_.height() * density))));
    const QRect pixels = device.mapRect(QRectF(area)).toAlignedRect() & drawing;
    if (pixels.isEmpty()) return;
    const auto toClient = [&](const QRect& r) {
        return QRectF(QPointF(r.topLeft() - corner) / density, QSizeF(r.size()) / density);
    };
    const QRectF shown = inView.isEmpty() ? QRectF() : toClient(device.mapRect(QRectF(inView)).toAlignedRect());
    const ZoomedView v = view();
    // Client pixels to the device pixels of a painter whose own device pixels are
    // `to` off the painter's: exactly, for a line whose edge falls on a pixel's
    // middle (as at 250%) is drawn a pixel thicker or thinner by the last bit of
    // a coordinate.
    const auto onDevice = [&](QPoint to) {
        return QTransform(density, 0, 0, density, corner.x() - to.x(), corner.y() - to.y());
    };
    const auto paintDrawing = [&](QPainter& p) {
        cache_.paint(p, *doc_, moving_, client_, density, toClient(pixels), v.paintOptions(look(), dpr_), shown);
    };
    const QTransform back = device.inverted() * world;  // device pixels to the painter's
    painter.setWorldTransform(back);
    painter.setClipRect(pixels);
    painter.setWorldTransform(onDevice({}) * back);
    const QTransform got = painter.deviceTransform();
    if (zoom_ == 1 && got.m11() == density && got.m22() == density && got.dx() == corner.x() && got.dy() == corner.y() &&
        got.type() <= QTransform::TxScale) {
        paintDrawing(painter);
        painter.setWorldTransform(world);
        return;
    }
    // Zoomed, what moves is composed on an image first: there lines of text are
    // stamped at the zoomed density, as the layer holds them, instead of drawn
    // glyph by glyph, large, in every frame. So is a drawing whose transform the
    // screen's ratio makes inexact.
    const QRect onImageArea = pixels.adjusted(-kImageMargin, -kImageMargin, kImageMargin, kImageMargin) & drawing;
    QImage composed(onImageArea.size(), QImage::Format_RGB32);
    {
        QPainter onImage(&composed);
        onImage.setClipRect(QRect(pixels.topLeft() - onImageArea.topLeft(), pixels.size()));
        onImage.setWorldTransform(onDevice(onImageArea.topLeft()));
        paintDrawing(onImage);
    }
    painter.setWorldTransform(back);
    drawOnDevicePixels(painter, pixels.topLeft(), composed,
                       QRectF(QPointF(pixels.topLeft() - onImageArea.topLeft()), QSizeF(pixels.size())));
    painter.setWorldTransform(world);
}

}  // namespace qm
