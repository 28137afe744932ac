#include "render/still_layer.h"

#include <algorithm>

#include <QPainter>

#include "render/bands.h"
#include "render/canvas_boxes.h"
#include "render/device_pixels.h"

namespace qm {

PaintOptions leavingOut(const PaintOptions& options, const std::vector<PartRef>& left) {
    PaintOptions still = options;
    still.raised.clear();
    still.skip = [&left](PartRef r) { return std::binary_search(left.begin(), left.end(), r); };
    return still;
}

void StillLayer::check() const {
    Q_ASSERT(size_.isValid() == (mode_ != Mode::Unrecorded));
    Q_ASSERT(image_.isNull() == !layered());
    Q_ASSERT(kept_.image.isNull() == (mode_ != Mode::KeptAside));
}

void StillLayer::clear() {
    mode_ = Mode::Unrecorded;
    size_ = QSize();
    image_ = QImage();
    area_ = QRect();
    record_.clear();
    kept_.image = QImage();
    check();
}

void StillLayer::start(const Document& doc, const std::vector<PartRef>& left, QSize size,
                       const PaintOptions& options) {
    mode_ = Mode::Recorded;
    size_ = size;
    image_ = QImage();
    area_ = QRect();
    kept_.image = QImage();
    record_.clear();
    record_.update(doc, options, left);
    check();
}

void StillLayer::drop() {
    if (mode_ == Mode::Unrecorded) return;
    mode_ = Mode::Recorded;
    image_ = QImage();
    kept_.image = QImage();
    check();
}

void StillLayer::cover(const Document& doc, const std::vector<PartRef>& left, const QRect& area, qreal dpr,
                       const PaintOptions& options) {
    QImage next(area.size(), QImage::Format_RGB32);
    QRegion fresh(area);
    if (layered() && image_.devicePixelRatio() == dpr) {
        // What the old layer holds stays as it is, pixel for pixel.
        image_.setDevicePixelRatio(1);
        QPainter copy(&next);
        copy.drawImage(area_.topLeft() - area.topLeft(), image_);
        fresh -= area_;
    }
    next.setDevicePixelRatio(dpr);
    const bool allFresh = fresh == QRegion(area);
    image_ = std::move(next);
    area_ = area;
    if (mode_ == Mode::Recorded) mode_ = Mode::Layered;
    const PaintOptions still = leavingOut(options, left);
    const QPointF corner = QPointF(area.topLeft()) / dpr;
    paintInBands(image_, fresh.boundingRect().translated(-area.topLeft()), [&](QPainter& p, const QRectF& band) {
        p.translate(-corner);
        PaintOptions within = still;
        for (const QRect& piece : fresh) {
            // Device pixels to canvas pixels: exact, for the edges lie on whole device pixels.
            const QRectF clip(QPointF(piece.topLeft()) / dpr, QSizeF(piece.size()) / dpr);
            within.exposed = clip & band.translated(corner);
            if (within.exposed.isEmpty()) continue;
            p.save();
            p.setClipRect(clip, Qt::IntersectClip);
            p.fillRect(clip, kCanvasBackground);
            paintDocument(p, doc, within);
            p.restore();
        }
    });
    // A layer painted whole shows the document as it is now. What a grown one kept
    // is as the record has it, and is brought in line by the next catching up.
    if (allFresh) record_.update(doc, options, left);
    check();
}

QImage StillLayer::keepOrRestore(bool wasRaised, bool raised, std::vector<QRect>& differing) {
    QImage letGo;
    if (mode_ == Mode::Layered && !wasRaised && raised) {
        mode_ = Mode::KeptAside;
        kept_.image = image_;
        kept_.area = area_;
        kept_.record = record_;  // into the memory it held before
    } else if (mode_ == Mode::KeptAside && !raised) {
        // What changed since, a moved group, a deleted one, the selection's look,
        // the record finds as after any other edit.
        if (kept_.image.devicePixelRatio() == image_.devicePixelRatio()) {
            letGo = std::move(image_);
            image_ = std::move(kept_.image);
            area_ = kept_.area;
            std::swap(record_, kept_.record);
            differing = record_.differences(kept_.record);
        }
        kept_.image = QImage();
        mode_ = Mode::Layered;
    }
    check();
    return letGo;
}

void StillLayer::alignToDevicePixels(std::vector<QRect>& boxes, const QRect& client) const {
    if (!layered()) return;
    for (QRect& box : boxes)
        // The last row and column of device pixels reach past the client area
        // where its size does not come to whole device pixels (637 pixels at 25%
        // are 159.25): a box at its edge covers them whole.
        box = onWholeDevicePixels(box, dpr()) & onWholeDevicePixels(client, dpr());
}

void StillLayer::repair(const Document& doc, const std::vector<QRect>& boxes, const PaintOptions& options,
                        QImage& spare) {
    if (!layered()) return;
    const qreal dpr = image_.devicePixelRatio();
    const QPointF corner = QPointF(area_.topLeft()) / dpr;
    // What the layer does not hold needs no painting now; it is painted when shown.
    const QRectF held(corner, QSizeF(area_.size()) / dpr);
    QRectF reach;
    for (const QRect& box : boxes)
        if (!box.isEmpty() && held.intersects(QRectF(box))) reach |= QRectF(box) & held;
    if (reach.isEmpty()) return;
    // Box by box, each clipped to a plain rectangle, which the raster engine
    // clips images and lines to far faster than to a region of many rectangles.
    // Where boxes overlap, the later one paints that part again, whole and in order.
    const std::vector<std::vector<PartRef>> parts =
        record_.partsWithin(options.fillStrokes ? reachingInto(boxes) : boxes);
    PaintOptions still = options;  // the record leaves out the moving and raised parts
    still.raised.clear();
    const QRect rows = QRectF((reach.topLeft() - corner) * dpr, reach.size() * dpr).toAlignedRect();
    // Painted over whole, a layer still shared with the one kept aside needs none
    // of its pixels copied first.
    if (!image_.isDetached() &&
        std::any_of(boxes.begin(), boxes.end(), [&held](const QRect& b) { return QRectF(b).contains(held); })) {
        QImage fresh = spare.size() == image_.size() ? std::move(spare) : QImage(image_.size(), image_.format());
        spare = QImage();
        fresh.setDevicePixelRatio(dpr);
        image_ = std::move(fresh);
    }
    paintInBands(image_, rows, [&](QPainter& p, const QRectF& band) {
        p.translate(-corner);
        PaintOptions within = still;
        for (size_t k = 0; k < boxes.size(); ++k) {
            const QRect& box = boxes[k];
            if (box.isEmpty() || !held.intersects(QRectF(box))) continue;
            within.exposed = QRectF(box) & band.translated(corner);
            if (within.exposed.isEmpty()) continue;
            p.save();
            p.setClipRect(box, Qt::IntersectClip);
            p.fillRect(box, kCanvasBackground);
            paintParts(p, doc, parts[k], within);
            p.restore();
        }
    });
}

}  // namespace qm
