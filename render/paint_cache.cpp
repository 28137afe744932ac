#include "render/paint_cache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include <QPainter>

#include "model/editor.h"
#include "model/records.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "render/bands.h"
#include "render/device_pixels.h"

namespace qm {
namespace {

// `area` (device pixels) grown to canvas pixels that fall on whole device pixels:
// a layer's corner there is a whole canvas pixel, and its painter's offset exact.
// Worked out as a fraction (a corner of 31 device pixels at 187.5% is 16.53...
// canvas pixels), it comes back a hair off the device pixel, and an edge on a
// pixel's middle falls on the other side of it.
QRect fromWholeCanvasPixels(const QRect& area, qreal dpr) {
    const QRect canvas =
        onWholeDevicePixels(QRectF(QPointF(area.topLeft()) / dpr, QSizeF(area.size()) / dpr).toAlignedRect(), dpr);
    return QRectF(QPointF(canvas.topLeft()) * dpr, QSizeF(canvas.size()) * dpr).toAlignedRect();
}

// The boxes a canvas pixel larger each way.
std::vector<QRect> reachingInto(std::vector<QRect> boxes) {
    for (QRect& b : boxes)
        if (!b.isEmpty()) b.adjust(-1, -1, 1, 1);
    return boxes;
}

QSize devicePixels(QSize size, qreal dpr) {
    return {static_cast<int>(std::ceil(size.width() * dpr)), static_cast<int>(std::ceil(size.height() * dpr))};
}

PaintOptions leavingOut(const PaintOptions& options, const std::vector<PartRef>& left) {
    PaintOptions still = options;
    still.raised.clear();
    still.skip = [&left](PartRef r) { return std::binary_search(left.begin(), left.end(), r); };
    return still;
}

std::vector<PartRef> merged(const std::vector<PartRef>& a, const std::vector<PartRef>& b) {
    std::vector<PartRef> out;
    out.reserve(a.size() + b.size());
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

// Twips a move of whole pixels takes an element.
PointF inTwips(QPoint pixels) {
    return {static_cast<float>(pixels.x()) * kTwipsPerPixel, static_cast<float>(pixels.y()) * kTwipsPerPixel};
}

bool onDevicePixels(QPoint offset, qreal dpr) {
    return std::fmod(offset.x() * dpr, 1.0) == 0 && std::fmod(offset.y() * dpr, 1.0) == 0;
}

// Each part's painted box, taken `back` canvas pixels back.
std::vector<QRect> boxesOf(const Document& doc, const std::vector<PartRef>& parts, QPoint back = {}) {
    std::vector<QRect> out;
    out.reserve(parts.size());
    for (const PartRef& r : parts) out.push_back(paintedBounds(doc, std::span(&r, 1)).translated(-back));
    return out;
}

// The parts, in their order, whose box (of `boxes`, one each) meets `area`: found
// by their boxes rather than by painting every element of the drawing culled.
std::vector<PartRef> reaching(const std::vector<PartRef>& parts, const std::vector<QRect>& boxes, const QRect& area) {
    std::vector<PartRef> out;
    for (size_t k = 0; k < parts.size(); ++k)
        if (boxes[k].intersects(area)) out.push_back(parts[k]);
    return out;
}

}  // namespace

std::vector<QRect> coalesce(const std::vector<QRect>& pieces, const QRect& within, size_t most) {
    constexpr qint64 kSliver = 16 * 16;
    const auto area = [](const QRect& r) { return qint64{r.width()} * r.height(); };
    const auto growth = [&area](const QRect& a, const QRect& b) { return area(a | b) - area(a) - area(b); };
    std::vector<QRect> boxes;
    for (QRect r : pieces) {
        r &= within;
        if (r.isEmpty()) continue;
        // Past a few dozen boxes a piece joins the nearest one whatever it adds, so
        // that pairing boxes up below stays cheap.
        const bool crowded = boxes.size() >= 4 * most;
        size_t best = boxes.size();
        for (size_t k = 0; k < boxes.size(); ++k)
            if ((crowded || growth(boxes[k], r) <= kSliver) &&
                (best == boxes.size() || growth(boxes[k], r) < growth(boxes[best], r)))
                best = k;
        if (best < boxes.size())
            boxes[best] |= r;
        else
            boxes.push_back(r);
    }
    while (boxes.size() > most) {
        size_t a = 0, b = 1;
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t j = i + 1; j < boxes.size(); ++j)
                if (growth(boxes[i], boxes[j]) < growth(boxes[a], boxes[b])) a = i, b = j;
        boxes[a] |= boxes[b];
        boxes.erase(boxes.begin() + static_cast<std::ptrdiff_t>(b));
    }
    return boxes;
}

PaintCache::PaintCache(size_t layerFrom) : layerFrom_(layerFrom) {}

void PaintCache::invalidate() {
    restack_ = {};
    layer_ = QImage();
    layerArea_ = QRect();
    carried_ = {};
    raised_.clear();
    record_.clear();
    beforeRaising_.layer = QImage();
    ready_ = {};
    spare_ = QImage();
    size_ = QSize();
}

bool PaintCache::keepsLayer(const std::vector<PartRef>& moving, const std::vector<PartRef>& raised) const {
    // With a layer the record leaves the raised parts out; they count all the same.
    return !moving.empty() || record_.painted() + (layer_.isNull() ? 0 : raised.size()) >= layerFrom_;
}

std::vector<PartRef> PaintCache::leftOut(const std::vector<PartRef>& moving,
                                         const std::vector<PartRef>& raised) const {
    return keepsLayer(moving, raised) && !raised.empty() ? merged(moving, raised) : moving;
}

void PaintCache::record(const Document& doc, const std::vector<PartRef>& left, QSize size,
                        const PaintOptions& options) {
    layer_ = QImage();
    layerArea_ = QRect();
    carried_ = {};
    beforeRaising_.layer = QImage();
    ready_ = {};
    restack_ = {};
    record_.clear();
    record_.update(doc, options, left);
    size_ = size;
    handleScale_ = options.handleScale;
    movingShown_ = paintedBounds(doc, left, handleScale_);
    bandShown_ = rubberBandBounds(doc);
}

std::optional<QPoint> PaintCache::carriedOffset(const Document& doc) const {
    const QRect now = paintedBounds(doc, std::span(&carried_.anchor, 1));
    if (carried_.image.isNull() || now.isEmpty()) return std::nullopt;
    return now.topLeft() - carried_.anchorAt;
}

bool PaintCache::carriedHolds(const Document& doc, QPoint offset, qreal dpr) const {
    // Moved whole by whole device pixels, none of them cut off by the canvas's edge
    // where it was painted, each part looking as it did, moved back.
    return onDevicePixels(offset, dpr) && (carried_.whole || offset == QPoint()) &&
           lookMovedBack(doc, carried_.parts, inTwips(offset)) == carried_.look;
}

QRect PaintCache::carriedShown() const {
    return carried_.image.isNull() ? QRect() : carried_.area.translated(carried_.offset);
}

QRegion PaintCache::moved(const Document& doc, const std::vector<PartRef>& moving) {
    const QRect now = paintedBounds(doc, moving, handleScale_), band = rubberBandBounds(doc);
    restack_ = {};
    QRegion out = QRegion(movingShown_) + now + bandShown_ + band;
    movingShown_ = now;
    bandShown_ = band;
    // Several selected elements dragged: their layer moves as far as one of them
    // did; without one, they are painted where they are.
    if (const std::optional<QPoint> offset = carriedOffset(doc)) {
        if (*offset != carried_.offset) {
            out += carriedShown();
            if (carriedHolds(doc, *offset, carried_.image.devicePixelRatio())) {
                carried_.offset = *offset;
                out += carriedShown();
            } else {
                // Moved by a step that rounds some of them otherwise (texts at half
                // twips), the layer no longer shows them: it is painted anew.
                carried_ = {};
                raisedShown_ = paintedBounds(doc, raised_);
                out += raisedShown_;
            }
        }
    } else if (!raised_.empty()) {
        const QRect raisedNow = paintedBounds(doc, raised_);
        if (raisedNow != raisedShown_) out += QRegion(raisedShown_) + raisedNow;
        raisedShown_ = raisedNow;
    }
    return out & QRect(QPoint(0, 0), size_);
}

void PaintCache::cover(const Document& doc, const std::vector<PartRef>& left, const QRect& area, qreal dpr,
                       const PaintOptions& options) {
    restack_ = {};
    QImage next(area.size(), QImage::Format_RGB32);
    QRegion fresh(area);
    if (!layer_.isNull() && layer_.devicePixelRatio() == dpr) {
        // What the old layer holds stays as it is, pixel for pixel.
        layer_.setDevicePixelRatio(1);
        QPainter copy(&next);
        copy.drawImage(layerArea_.topLeft() - area.topLeft(), layer_);
        fresh -= layerArea_;
    }
    next.setDevicePixelRatio(dpr);
    const bool allFresh = fresh == QRegion(area);
    layer_ = std::move(next);
    layerArea_ = area;
    const PaintOptions still = leavingOut(options, left);
    const QPointF corner = QPointF(area.topLeft()) / dpr;
    paintInBands(layer_, fresh.boundingRect().translated(-area.topLeft()), [&](QPainter& p, const QRectF& band) {
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
}

PaintCache::Carried PaintCache::carriedFor(const Document& doc, QSize size, qreal dpr, const PaintOptions& options) {
    Carried c;
    // Painted whole, a part lying across the canvas's edge has the same pixels as
    // when the document is painted at once (a line cut by the edge of an image is
    // drawn with other pixels), and the layer can be moved on after the drop.
    // Parts far off the canvas are cut, to keep the layer small.
    constexpr int kBeyondEdge = 256;
    const QRect bounds = paintedBounds(doc, options.raised);
    const QRect kept = bounds & QRect(QPoint(0, 0), size).adjusted(-kBeyondEdge, -kBeyondEdge, kBeyondEdge, kBeyondEdge);
    if (kept.isEmpty()) return c;
    // From a whole device pixel, or its parts would be drawn that fraction off
    // where the canvas draws them, and laid down resampled.
    c.area = onWholeDevicePixels(kept, dpr);
    c.parts = options.raised;
    c.selected = options.selected;
    c.image = QImage(devicePixels(c.area.size(), dpr), QImage::Format_ARGB32_Premultiplied);
    c.image.setDevicePixelRatio(dpr);
    c.whole = kept == bounds;
    c.look = lookMovedBack(doc, c.parts, {});
    for (const PartRef& r : c.parts) {
        const QRect b = paintedBounds(doc, std::span(&r, 1));
        if (b.isEmpty()) continue;
        c.anchor = r;
        c.anchorAt = b.topLeft();
        break;
    }
    return c;
}

void PaintCache::buildCarried(const Document& doc, QSize size, qreal dpr, const PaintOptions& options) {
    carried_ = carriedFor(doc, size, dpr, options);
    if (!carried_.image.isNull())
        paintRaisedRows(carried_.image, doc, options, options.raised, carried_.area, 0, carried_.image.height());
}

void PaintCache::takePrepared(const PaintOptions& options) {
    if (raisedPrepared() && carried_.image.isNull() && ready_.parts == options.raised &&
        ready_.selected == options.selected)
        carried_ = std::move(ready_);
    ready_ = {};
}

bool PaintCache::prepareRaised(const Document& doc, QSize size, qreal dpr, const PaintOptions& options) {
    // Rows are painted about 32 device pixels at a time, a few milliseconds' work
    // on the largest drawing; each cut must fall on a whole device pixel.
    const qreal slice = (dpr > 1 ? 16 : 32) * dpr;
    if (options.raised.empty() || layer_.isNull() || size != size_ || !raised_.empty() || dpr > kDensestPrepared ||
        !carried_.image.isNull() || layer_.devicePixelRatio() != dpr || slice != std::floor(slice)) {
        ready_ = {};
        return false;
    }
    if (ready_.image.isNull() || ready_.parts != options.raised || ready_.selected != options.selected ||
        ready_.image.devicePixelRatio() != dpr) {
        ready_ = carriedFor(doc, size, dpr, options);
        readyRows_ = 0;
        if (ready_.image.isNull()) return false;
        ready_.bounds = boxesOf(doc, options.raised);
        return true;
    }
    // Memory for the layer that raising them leaves behind, and for the record
    // kept of the layer meanwhile, touched in advance: new memory would be
    // faulted in page by page, in the frame of 全选. A few megabytes a step, as
    // faulting them in takes as long as painting a slice of rows.
    if (spare_.size() != layer_.size()) {
        spare_ = QImage(layer_.size(), layer_.format());
        spareRows_ = 0;
        beforeRaising_.record = record_;
        return true;
    }
    if (spareRows_ < spare_.height()) {
        const int rows = std::min(spare_.height() - spareRows_,
                                  std::max(1, static_cast<int>((qsizetype{2} << 20) / spare_.bytesPerLine())));
        std::memset(spare_.scanLine(spareRows_), 0, static_cast<size_t>(rows) * spare_.bytesPerLine());
        spareRows_ += rows;
        return true;
    }
    if (raisedPrepared()) return false;
    const int to = readyRows_ + static_cast<int>(slice);
    // The rows across the layer, a canvas pixel more each way.
    const int top = ready_.area.top() + static_cast<int>(readyRows_ / dpr);
    const int bottom = ready_.area.top() + static_cast<int>(std::ceil(to / dpr));
    const QRect rows(QPoint(ready_.area.left(), top - 1), QPoint(ready_.area.right(), bottom + 1));
    paintRaisedRows(ready_.image, doc, options, reaching(options.raised, ready_.bounds, rows), ready_.area, readyRows_,
                    to);
    readyRows_ = to;
    return !raisedPrepared();
}

QRegion PaintCache::catchUpCarried(const Document& doc, const PaintOptions& options, qreal dpr) {
    QRegion dirty;
    if (carried_.image.isNull()) return dirty;
    // The layer still shows the raised parts in the selection's look, moved whole
    // by whole device pixels, none of them cut off by the canvas's edge where it
    // was painted: it stays. A text that a selected shape carries is raised with
    // it whether or not it is selected itself.
    const std::optional<QPoint> offset = carriedOffset(doc);
    const bool holds = offset && carried_.selected == options.selected && carriedHolds(doc, *offset, dpr) &&
                       (carried_.parts == options.raised || reraise(doc, options, *offset));
    dirty += carriedShown();
    if (holds) {
        carried_.offset = *offset;
        dirty += carriedShown();
    } else {
        carried_ = {};
    }
    return dirty;
}

bool PaintCache::reraise(const Document& doc, const PaintOptions& options, QPoint offset) {
    std::vector<PartRef> joined, left;
    std::set_difference(options.raised.begin(), options.raised.end(), carried_.parts.begin(), carried_.parts.end(),
                        std::back_inserter(joined));
    std::set_difference(carried_.parts.begin(), carried_.parts.end(), options.raised.begin(), options.raised.end(),
                        std::back_inserter(left));
    std::vector<PartRef> changed = joined;
    changed.insert(changed.end(), left.begin(), left.end());
    // Beyond a few, painting the layer anew costs little more.
    constexpr size_t kMostChanged = 64;
    if (changed.size() > kMostChanged) return false;
    // Where the parts were, or would have been, when the layer was painted: all of
    // them moved as far as it did since. Each box must lie in the layer.
    std::vector<QRect> pieces;
    for (const PartRef& r : changed) {
        const QRect b = paintedBounds(doc, std::span(&r, 1)).translated(-offset);
        if (b.isEmpty()) continue;
        if (!carried_.area.contains(b)) return false;
        pieces.push_back(b);
    }
    // Box by box, as the still layer is repaired: cleared, then every raised part
    // reaching into it painted again in its order. Texts that come to lie in one
    // shape lie one over another: merged, their boxes cover far less.
    const std::vector<QRect> boxes = coalesce(pieces, carried_.area);
    // The boxes of the parts as painted, kept from preparing the layer or found
    // once; those of the joining ones where they lie, moved back.
    if (carried_.bounds.size() != carried_.parts.size()) carried_.bounds = boxesOf(doc, carried_.parts, offset);
    std::vector<QRect> bounds;
    bounds.reserve(options.raised.size());
    for (size_t k = 0, was = 0; k < options.raised.size(); ++k) {
        const PartRef& r = options.raised[k];
        while (was < carried_.parts.size() && carried_.parts[was] < r) ++was;
        bounds.push_back(was < carried_.parts.size() && carried_.parts[was] == r
                             ? carried_.bounds[was]
                             : paintedBounds(doc, std::span(&r, 1)).translated(-offset));
    }
    std::vector<std::vector<PartRef>> within;
    QRectF reach;
    for (const QRect& box : boxes) {
        within.push_back(reaching(options.raised, bounds, box));
        reach |= QRectF(box.translated(offset));
    }
    // The layer's corner on the canvas now; the joining texts lie in the densest
    // parts of a drawing, so the boxes are painted on both threads.
    const QPointF corner(carried_.area.topLeft() + offset);
    const qreal dpr = carried_.image.devicePixelRatio();
    const QRect rows = QRectF((reach.topLeft() - corner) * dpr, reach.size() * dpr).toAlignedRect();
    paintInBands(carried_.image, rows, [&](QPainter& p, const QRectF& band) {
        p.translate(-corner);
        PaintOptions on = options;
        on.raised.clear();
        for (size_t k = 0; k < boxes.size(); ++k) {
            const QRect now = boxes[k].translated(offset);
            on.exposed = QRectF(now) & band.translated(corner);
            if (on.exposed.isEmpty()) continue;
            p.save();
            p.setClipRect(now, Qt::IntersectClip);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(now, Qt::transparent);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            paintParts(p, doc, within[k], on);
            p.restore();
        }
    });
    carried_.parts = options.raised;
    // The layer's fingerprint was found to hold a moment ago.
    carried_.look += lookMovedBack(doc, joined, inTwips(offset)) - lookMovedBack(doc, left, inTwips(offset));
    // The part the layer's place is told by must still go with it.
    if (!std::binary_search(carried_.parts.begin(), carried_.parts.end(), carried_.anchor))
        for (size_t k = 0; k < carried_.parts.size(); ++k)
            if (!bounds[k].isEmpty()) {
                carried_.anchor = carried_.parts[k];
                carried_.anchorAt = bounds[k].topLeft();
                break;
            }
    carried_.bounds = std::move(bounds);
    return true;
}

void PaintCache::keepOrRestoreStill(const std::vector<PartRef>& raised) {
    if (layer_.isNull()) {
        beforeRaising_.layer = QImage();
    } else if (raised_.empty() && !raised.empty()) {
        beforeRaising_.layer = layer_;
        beforeRaising_.area = layerArea_;
        beforeRaising_.record = record_;  // into the memory it held before
    } else if (raised.empty() && !beforeRaising_.layer.isNull()) {
        // What changed since, a moved group, a deleted one, the selection's look,
        // the record finds as after any other edit.
        if (beforeRaising_.layer.devicePixelRatio() == layer_.devicePixelRatio()) {
            spare_ = std::move(layer_);
            spareRows_ = spare_.height();
            layer_ = std::move(beforeRaising_.layer);
            layerArea_ = beforeRaising_.area;
            std::swap(record_, beforeRaising_.record);
        }
        beforeRaising_.layer = QImage();
    }
}

QRegion PaintCache::catchUp(const Document& doc, const std::vector<PartRef>& moving, QSize size,
                            const PaintOptions& options) {
    restack_ = {};
    const QRect client(QPoint(0, 0), size);
    if (size != size_) {
        record(doc, leftOut(moving, options.raised), size, options);
        return client;
    }
    const std::vector<PartRef> left = leftOut(moving, options.raised);
    keepOrRestoreStill(options.raised);
    const std::vector<QRect> changed = record_.update(doc, options, left);
    raised_ = options.raised;
    if (!keepsLayer(moving, options.raised)) layer_ = QImage();
    // What was prepared while nothing changed is taken when it is what is raised.
    if (!options.raised.empty())
        takePrepared(options);
    else if (!changed.empty())
        ready_ = {};
    // Lowered where it was raised, as a click that clears 全选 lowers it, the layer
    // is what raising them again needs.
    if (options.raised.empty() && !carried_.image.isNull() && carriedOffset(doc) == QPoint() && ready_.image.isNull() &&
        carried_.image.devicePixelRatio() <= kDensestPrepared) {
        ready_ = carried_;
        readyRows_ = ready_.image.height();
    }
    // A layer of raised parts that no longer shows them is painted anew when shown;
    // without one they are painted from the document.
    QRegion dirty = catchUpCarried(doc, options, layer_.isNull() ? 1 : layer_.devicePixelRatio());
    // With a layer, the raised parts show no further than it reaches on the canvas.
    raisedShown_ = carried_.image.isNull() ? paintedBounds(doc, raised_) : carriedShown();
    if (carried_.image.isNull()) dirty += raisedShown_;
    // Zoomed, a line's pixels reach past the box it is recorded in, into the next
    // canvas pixel: so do the boxes painted again.
    std::vector<QRect> boxes = coalesce(options.fillStrokes ? reachingInto(changed) : changed, client);
    if (!layer_.isNull())
        for (QRect& box : boxes)
            // The last row and column of device pixels reach past the client area
            // where its size does not come to whole device pixels (637 pixels at 25%
            // are 159.25): a box at its edge covers them whole.
            box = onWholeDevicePixels(box, layer_.devicePixelRatio()) &
                  onWholeDevicePixels(client, layer_.devicePixelRatio());
    for (const QRect& box : boxes) dirty += box;
    if (layer_.isNull()) return dirty + moved(doc, moving);
    // Box by box, each clipped to a plain rectangle, which the raster engine
    // clips images and lines to far faster than to a region of many rectangles.
    // Where boxes overlap, the later one paints that part again, whole and in order.
    const std::vector<std::vector<PartRef>> parts =
        record_.partsWithin(options.fillStrokes ? reachingInto(boxes) : boxes);
    const qreal dpr = layer_.devicePixelRatio();
    const QPointF corner = QPointF(layerArea_.topLeft()) / dpr;
    // What the layer does not hold needs no painting now; it is painted when shown.
    const QRectF held(corner, QSizeF(layerArea_.size()) / dpr);
    QRectF reach;
    for (const QRect& box : boxes)
        if (!box.isEmpty() && held.intersects(QRectF(box))) reach |= QRectF(box) & held;
    if (reach.isEmpty()) return dirty + moved(doc, moving);
    PaintOptions still = options;  // the record leaves out the moving and raised parts
    still.raised.clear();
    const QRect rows = QRectF((reach.topLeft() - corner) * dpr, reach.size() * dpr).toAlignedRect();
    // Painted over whole, a layer still shared with the one kept from before the
    // raising (keepOrRestoreStill) needs none of its pixels copied first.
    if (!layer_.isDetached() &&
        std::any_of(boxes.begin(), boxes.end(), [&held](const QRect& b) { return QRectF(b).contains(held); })) {
        QImage fresh = spare_.size() == layer_.size() ? std::move(spare_) : QImage(layer_.size(), layer_.format());
        spare_ = QImage();
        fresh.setDevicePixelRatio(dpr);
        layer_ = std::move(fresh);
    }
    paintInBands(layer_, rows, [&](QPainter& p, const QRectF& band) {
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
    return dirty + moved(doc, moving);
}

const PaintCache::Restack& PaintCache::restackFor(const Document& doc, const std::vector<PartRef>& moving, qreal dpr,
                                                  const PaintOptions& options) {
    const uint64_t look = lookMovedBack(doc, moving, {});
    Restack& r = restack_;
    if (r.found && r.look == look && r.dpr == dpr && r.handleScale == options.handleScale &&
        r.fillStrokes == options.fillStrokes && r.moving == moving)
        return r;
    r = {};
    r.found = true;
    r.look = look;
    r.moving = moving;
    r.dpr = dpr;
    r.handleScale = options.handleScale;
    r.fillStrokes = options.fillStrokes;
    // Where an element that stays still is stacked above a moving one and reaches
    // into it, a full repaint shows it over the moving one: there, box by box, all
    // of them are painted again in their order over the background, as the layer
    // is repaired. Only where the two meet, for that costs painting every element
    // in the box, and a long arrow's box holds many.
    const QRect within(QPoint(0, 0), size_);
    const auto grown = [&options](std::vector<QRect> boxes) {
        return options.fillStrokes ? reachingInto(std::move(boxes)) : boxes;
    };
    std::vector<QRect> pieces;
    std::vector<PartRef> owners;
    PaintRecord::piecesOf(pieces, owners, doc, moving, options.handleScale);
    r.reach = paintedBounds(doc, moving, options.handleScale);
    for (const QRect& piece : pieces) r.reach |= piece;
    // Each piece on its own while few; many, as along a long arrow or the arrows
    // glued to a large group, in fewer boxes, each taken as low as the lowest
    // moving part reaching into it.
    constexpr size_t kMostBoxes = 32;
    if (pieces.size() > kMostBoxes) {
        const std::vector<QRect> boxes = coalesce(pieces, within, kMostBoxes);
        std::vector<PartRef> lowest(boxes.size(), PartRef{Part::picRight, std::numeric_limits<int>::max()});
        for (size_t k = 0; k < pieces.size(); ++k)
            for (size_t b = 0; b < boxes.size(); ++b)
                if (boxes[b].intersects(pieces[k])) lowest[b] = std::min(lowest[b], owners[k]);
        pieces = boxes;
        owners = std::move(lowest);
    }
    // Where two parts meet is where their device pixels do: enlarged or smoothed, an
    // element's pixels reach into the next canvas pixel, and zoomed out one device
    // pixel holds several canvas pixels, which a part a pixel or two off a moving
    // one (an arrowhead's white box over a title block's edge) shares with it.
    const auto touched = [&options, dpr](const QRect& box) {
        if (box.isEmpty()) return box;
        return onWholeDevicePixels(options.fillStrokes ? box.adjusted(-1, -1, 1, 1) : box, dpr);
    };
    for (QRect& piece : pieces) piece = touched(piece) & within;
    const std::vector<std::vector<PartRef>> near = record_.partsWithin(grown(pieces));
    std::vector<QRect> meets;
    for (size_t k = 0; k < pieces.size(); ++k)
        for (const PartRef& p : near[k])
            if (owners[k] < p)
                meets.push_back(touched(paintedBounds(doc, std::span(&p, 1), options.handleScale)) & pieces[k]);
    r.boxes = coalesce(grown(std::move(meets)), within);
    for (QRect& box : r.boxes) box = onWholeDevicePixels(box, dpr);
    r.reach = (options.fillStrokes ? r.reach.adjusted(-1, -1, 1, 1) : r.reach) & within;
    for (const QRect& box : r.boxes) r.reach |= box & within;
    // Where they meet over most of the moving parts' area, as under a crowd of
    // texts, all of it is painted again at once: the moving parts painted over the
    // layer first would be painted over again.
    const auto size = [](const QRect& b) { return qint64{b.width()} * b.height(); };
    qint64 met = 0;
    for (const QRect& box : r.boxes) met += size(box & within);
    r.whole = !r.boxes.empty() && 4 * met >= 3 * size(r.reach);
    if (r.whole) r.boxes.assign(1, onWholeDevicePixels(r.reach, dpr));
    r.parts = record_.partsWithin(grown(r.boxes));
    for (std::vector<PartRef>& box : r.parts) box = merged(box, moving);
    return r;
}

void PaintCache::paintMoving(QPainter& painter, const Document& doc, const std::vector<PartRef>& moving,
                             const QRectF& area, qreal dpr, const PaintOptions& options) {
    if (moving.empty()) return;
    const Restack& plan = restackFor(doc, moving, dpr, options);
    const std::vector<QRect>& boxes = plan.boxes;
    const std::vector<std::vector<PartRef>>& parts = plan.parts;
    const bool whole = plan.whole;
    const QRect reach = plan.reach;
    const auto size = [](const QRect& b) { return qint64{b.width()} * b.height(); };
    PaintOptions live = options;
    live.raised.clear();  // the raised parts lie over them all, from their own layer
    const auto paintOver = [&](QPainter& p, const QRectF& clip) {
        PaintOptions on = live;
        on.exposed = clip;
        if (!whole) paintParts(p, doc, moving, on);
        for (size_t k = 0; k < boxes.size(); ++k) {
            on.exposed = QRectF(boxes[k]) & clip;
            if (on.exposed.isEmpty()) continue;
            p.save();
            p.setClipRect(on.exposed, Qt::IntersectClip);
            p.fillRect(boxes[k], kCanvasBackground);
            paintParts(p, doc, parts[k], on);
            p.restore();
        }
    };
    // Restacking paints thousands of texts on a large drawing: into an image of
    // its own, on both cores, band by band small enough to stay in the processor's
    // cache, then laid down pixel for pixel. The image starts as the layer there.
    const QRectF on = QRectF(reach) & area;
    if (on.isEmpty()) return;
    const QRect device = QRectF(on.topLeft() * dpr, on.size() * dpr).toAlignedRect();
    const QPointF corner = QPointF(device.topLeft()) / dpr;
    const QTransform t = painter.deviceTransform();
    const QPointF at = t.map(corner);
    constexpr qreal kRounding = 1e-6;
    const bool pixelForPixel = t.type() <= QTransform::TxScale && t.m11() == dpr && t.m22() == dpr &&
                               std::abs(at.x() - std::round(at.x())) < kRounding &&
                               std::abs(at.y() - std::round(at.y())) < kRounding;
    constexpr qint64 kApartFrom = 128 * 128;
    if (boxes.empty() || !pixelForPixel || size(device) < kApartFrom || !layerArea_.contains(device)) {
        paintOver(painter, area);
        return;
    }
    if (scratch_.width() < device.width() || scratch_.height() < device.height())
        scratch_ = QImage(device.size().expandedTo(scratch_.size()), QImage::Format_RGB32);
    QImage image(scratch_.bits(), device.width(), device.height(), scratch_.bytesPerLine(), scratch_.format());
    if (!whole) {
        const auto rowBytes = static_cast<size_t>(device.width()) * 4;
        const QPoint from = device.topLeft() - layerArea_.topLeft();
        for (int y = 0; y < device.height(); ++y)
            std::memcpy(image.scanLine(y), layer_.constScanLine(from.y() + y) + qsizetype{from.x()} * 4, rowBytes);
    }
    image.setDevicePixelRatio(dpr);
    paintInBands(image, image.rect(), [&](QPainter& p, const QRectF& band) {
        p.translate(-corner);
        paintOver(p, QRectF(corner, QSizeF(device.size()) / dpr) & band.translated(corner));
    });
    drawOnDevicePixels(painter, corner, image);
}

void PaintCache::paint(QPainter& painter, const Document& doc, const std::vector<PartRef>& moving, QSize size,
                       qreal dpr, const QRectF& exposed, const PaintOptions& options, const QRectF& shown) {
    if (size != size_) record(doc, leftOut(moving, options.raised), size, options);
    const QRectF whole(QPointF(0, 0), QSizeF(size));
    const QRectF area = exposed.isNull() ? whole : exposed;
    if (keepsLayer(moving, options.raised)) {
        const auto device = [dpr](const QRectF& r) { return QRectF(r.topLeft() * dpr, r.size() * dpr).toAlignedRect(); };
        const QRect all(QPoint(0, 0), devicePixels(size, dpr));
        const QRect needed = (device(shown.isNull() ? whole : shown) | device(area)) & all;
        if (needed.isEmpty()) return;
        if (layer_.isNull() || layer_.devicePixelRatio() != dpr || !layerArea_.contains(needed))
            cover(doc, leftOut(moving, options.raised), fromWholeCanvasPixels(needed, dpr) & all, dpr, options);
        drawOnDevicePixels(painter, area.topLeft(), layer_,
                           QRectF(area.topLeft() * dpr - QPointF(layerArea_.topLeft()), area.size() * dpr));
        paintMoving(painter, doc, moving, area, dpr, options);
        if (!options.raised.empty()) {
            if (carried_.image.isNull() || carried_.parts != options.raised ||
                carried_.image.devicePixelRatio() != dpr)
                buildCarried(doc, size, dpr, options);
            const QRectF over = QRectF(carriedShown()) & area;
            if (!over.isEmpty()) {
                painter.save();
                painter.setClipRect(area);
                drawOnDevicePixels(painter, QPointF(carriedShown().topLeft()), carried_.image);
                painter.restore();
            }
        }
    } else {
        // A drawing this small paints in less time than the layer would take to
        // keep: straight from the document, as the layer would show it.
        layer_ = QImage();
        carried_ = {};
        painter.fillRect(area, kCanvasBackground);
        PaintOptions still = leavingOut(options, moving);
        still.raised = options.raised;
        still.exposed = area;
        paintDocument(painter, doc, still);
        PaintOptions live = options;
        live.exposed = area;
        paintParts(painter, doc, moving, live);
    }
    painter.save();
    painter.setClipRect(area);
    paintRubberBand(painter, doc);
    painter.restore();
}

}  // namespace qm
