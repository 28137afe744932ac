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
    QRegion out;
    for (const QRect& r : clientArea) out += v.toScreen(r);
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
    const ZoomedView v = view();
    const auto paintDrawing = [&](QPainter& p) {
        p.setClipRect(area);
        p.translate(origin_);
        if (zoom_ != 1) p.scale(zoom_, zoom_);
        cache_.paint(p, *doc_, moving_, client_, dpr_ * zoom_, v.toClient(area), v.paintOptions(look(), dpr_),
                     inView.isEmpty() ? QRectF() : v.toClient(inView));
    };
    if (zoom_ == 1) {
        paintDrawing(painter);
        return;
    }
    // Zoomed, what moves is composed on an image first: there lines of text are
    // stamped at the zoomed density, as the layer holds them, instead of drawn
    // glyph by glyph, large, in every frame.
    QImage composed(QSize(static_cast<int>(std::ceil(area.width() * dpr_)),
                          static_cast<int>(std::ceil(area.height() * dpr_))),
                    QImage::Format_RGB32);
    composed.setDevicePixelRatio(dpr_);
    QPainter onImage(&composed);
    onImage.translate(-area.topLeft());
    paintDrawing(onImage);
    onImage.end();
    drawOnDevicePixels(painter, area.topLeft(), composed);
}

}  // namespace qm
