#include "render/raised_layer.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <span>

#include <QPainter>

#include "model/moving_parts.h"
#include "render/bands.h"
#include "render/canvas_boxes.h"
#include "render/device_pixels.h"
#include "render/paint_record.h"

namespace qm {
namespace {

// Twips a move of whole pixels takes an element.
PointF inTwips(QPoint pixels) {
    return {static_cast<float>(pixels.x()) * kTwipsPerPixel, static_cast<float>(pixels.y()) * kTwipsPerPixel};
}

bool onDevicePixels(QPoint offset, qreal dpr) {
    return std::fmod(offset.x() * dpr, 1.0) == 0 && std::fmod(offset.y() * dpr, 1.0) == 0;
}

}  // namespace

Carried Carried::forRaised(const Document& doc, QSize size, qreal dpr, const PaintOptions& options) {
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
        c.anchorLook = lookMovedBack(doc, std::span(&r, 1), {});
        break;
    }
    return c;
}

void RaisedLayer::check() const {
    Q_ASSERT(carried_.image.isNull() == (mode_ != Mode::Layered));
    Q_ASSERT(mode_ != Mode::Layered || !carried_.parts.empty());
    Q_ASSERT(mode_ == Mode::Layered || raised_.empty() == (mode_ == Mode::None));
}

void RaisedLayer::clear() {
    mode_ = Mode::None;
    carried_ = {};
    raised_.clear();
    check();
}

void RaisedLayer::dropImage() {
    carried_ = {};
    mode_ = raised_.empty() ? Mode::None : Mode::Drawn;
    check();
}

void RaisedLayer::take(Carried prepared) {
    carried_ = std::move(prepared);
    mode_ = Mode::Layered;
    check();
}

std::optional<QPoint> RaisedLayer::offset(const Document& doc) const {
    if (mode_ != Mode::Layered) return std::nullopt;
    const QRect now = paintedBounds(doc, std::span(&carried_.anchor, 1));
    if (now.isEmpty()) return std::nullopt;
    return now.topLeft() - carried_.anchorAt;
}

bool RaisedLayer::holds(const Document& doc, QPoint offset, qreal dpr) const {
    // Moved whole by whole device pixels, none of them cut off by the canvas's edge
    // where it was painted, each part looking as it did, moved back.
    return onDevicePixels(offset, dpr) && (carried_.whole || offset == QPoint()) &&
           lookMovedBack(doc, carried_.parts, inTwips(offset)) == carried_.look;
}

QRect RaisedLayer::shownImage() const {
    return mode_ == Mode::Layered ? carried_.area.translated(carried_.offset) : QRect();
}

QRegion RaisedLayer::moved(const Document& doc) {
    QRegion out;
    // Several selected elements dragged: their layer moves as far as one of them
    // did; without one, they are painted where they are.
    if (const std::optional<QPoint> by = offset(doc)) {
        // A move of less than a canvas pixel (half a one, at ratio 2) can leave
        // the anchor's box where it was, yet move the parts' device pixels: the
        // anchor's look tells, without going through all of them.
        if (*by != carried_.offset ||
            lookMovedBack(doc, std::span(&carried_.anchor, 1), inTwips(*by)) != carried_.anchorLook) {
            out += shownImage();
            if (holds(doc, *by, carried_.image.devicePixelRatio())) {
                carried_.offset = *by;
                out += shownImage();
            } else {
                // Moved by a step that rounds some of them otherwise (texts at half
                // twips), the layer no longer shows them: it is painted anew.
                dropImage();
                shown_ = paintedBounds(doc, raised_);
                shownLook_ = lookMovedBack(doc, raised_, {});
                out += shown_;
            }
        }
    } else if (!raised_.empty()) {
        // Moved less than a canvas pixel, they can keep their box and still fall
        // on other device pixels (half a pixel, at ratio 2).
        const QRect raisedNow = paintedBounds(doc, raised_);
        const uint64_t lookNow = lookMovedBack(doc, raised_, {});
        if (raisedNow != shown_ || lookNow != shownLook_) out += QRegion(shown_) + raisedNow;
        shown_ = raisedNow;
        shownLook_ = lookNow;
    }
    return out;
}

QRegion RaisedLayer::catchUp(const Document& doc, const PaintOptions& options, qreal stillDpr) {
    raised_ = options.raised;
    if (mode_ != Mode::Layered) mode_ = raised_.empty() ? Mode::None : Mode::Drawn;
    QRegion dirty;
    if (mode_ == Mode::Layered) {
        // The layer still shows the raised parts in the selection's look, moved
        // whole by whole device pixels, none of them cut off by the canvas's edge
        // where it was painted: it stays. A text that a selected shape carries is
        // raised with it whether or not it is selected itself.
        const std::optional<QPoint> by = offset(doc);
        const bool stays = by && !options.raised.empty() && carried_.selected == options.selected &&
                           holds(doc, *by, stillDpr) &&
                           (carried_.parts == options.raised || reraise(doc, options, *by));
        dirty += shownImage();
        if (stays) {
            carried_.offset = *by;
            dirty += shownImage();
        } else {
            dropImage();
        }
    }
    // With a layer, the raised parts show no further than it reaches on the canvas;
    // without one they are painted from the document.
    shown_ = mode_ == Mode::Layered ? shownImage() : paintedBounds(doc, raised_);
    if (mode_ != Mode::Layered) {
        shownLook_ = lookMovedBack(doc, raised_, {});
        dirty += shown_;
    }
    check();
    return dirty;
}

bool RaisedLayer::reraise(const Document& doc, const PaintOptions& options, QPoint offset) {
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
                carried_.anchorLook = lookMovedBack(doc, std::span(&carried_.anchor, 1), inTwips(offset));
                break;
            }
    carried_.bounds = std::move(bounds);
    return true;
}

void RaisedLayer::paint(QPainter& painter, const Document& doc, QSize size, qreal dpr, const QRectF& area,
                        const PaintOptions& options) {
    if (options.raised.empty()) return;
    if (mode_ != Mode::Layered || carried_.parts != options.raised || carried_.image.devicePixelRatio() != dpr) {
        carried_ = Carried::forRaised(doc, size, dpr, options);
        if (carried_.image.isNull()) {
            dropImage();
            return;
        }
        mode_ = Mode::Layered;
        paintRaisedRows(carried_.image, doc, options, options.raised, carried_.area, 0, carried_.image.height());
        check();
    }
    const QRectF over = QRectF(shownImage()) & area;
    if (over.isEmpty()) return;
    painter.save();
    painter.setClipRect(area);
    drawOnDevicePixels(painter, QPointF(shownImage().topLeft()), carried_.image);
    painter.restore();
}

}  // namespace qm
