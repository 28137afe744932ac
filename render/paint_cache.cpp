#include "render/paint_cache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

#include <QPainter>

#include "model/editor.h"
#include "model/records.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "render/bands.h"
#include "render/device_pixels.h"
#include "render/text_stamps.h"

namespace qm {
namespace {

// Where a crowd of texts hides what changes under it, enlarged so that a canvas
// pixel is a square of whole device pixels, only what it does not hide is painted
// again. Finding that costs about what painting all of it does at two device
// pixels to a canvas pixel; at four it saves most of it. Up to eight: a bit each
// of a canvas pixel's device pixels.
constexpr int kCulledFrom = 4, kCulledTo = 8;
constexpr qint64 kCulledArea = 128 * 128;  // device pixels

// The device pixels a canvas pixel is a square of, when culling pays there; 0 else.
int culledScale(qreal dpr) {
    const int scale = static_cast<int>(dpr);
    return dpr == scale && scale >= kCulledFrom && scale <= kCulledTo ? scale : 0;
}

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

}  // namespace

PaintCache::PaintCache(size_t layerFrom) : layerFrom_(layerFrom) {}

void PaintCache::invalidate() {
    restack_ = {};
    deferred_ = {};
    still_.clear();
    raised_.clear();
    prep_.clear();
}

bool PaintCache::keepsLayer(const std::vector<PartRef>& moving, const std::vector<PartRef>& raised) const {
    // With a layer the record leaves the raised parts out; they count all the same.
    return !moving.empty() || still_.record().painted() + (still_.layered() ? raised.size() : 0) >= layerFrom_;
}

std::vector<PartRef> PaintCache::leftOut(const std::vector<PartRef>& moving,
                                         const std::vector<PartRef>& raised) const {
    return keepsLayer(moving, raised) && !raised.empty() ? merged(moving, raised) : moving;
}

void PaintCache::record(const Document& doc, const std::vector<PartRef>& left, QSize size,
                        const PaintOptions& options) {
    still_.start(doc, left, size, options);
    deferred_ = {};
    raised_.dropImage();
    prep_.drop();
    restack_ = {};
    handleScale_ = options.handleScale;
    fillStrokes_ = options.fillStrokes;
    movingShown_ = movingBounds(doc, left);
    bandShown_ = rubberBandBounds(doc);
}

QRegion PaintCache::moved(const Document& doc, const std::vector<PartRef>& moving) {
    settle(doc, true);  // only the moving parts changed, and the layer holds none of them
    return movedFrom(doc, moving, nullptr);
}

void PaintCache::settle(const Document& doc, bool culled) {
    if (!unsettled()) return;
    const Deferred d = std::exchange(deferred_, {});
    restack_ = {};  // it spared what the repairs' boxes held
    // What the crowd hides is found from the drawing as it was when the repairs
    // were put off: only while nothing changed since.
    still_.repair(doc, culled ? uncoveredIn(doc, d.boxes, d.looks, d.options) : d.boxes, d.options, prep_.spare());
}

QRect PaintCache::movingBounds(const Document& doc, const std::vector<PartRef>& moving) const {
    // A filled stroke reaches past the box it is recorded in, into the next canvas
    // pixel (an ellipse's, half a pixel above its box), as the layer's repairs allow for.
    const QRect box = paintedBounds(doc, moving, handleScale_);
    return fillStrokes_ && !box.isEmpty() ? box.adjusted(-1, -1, 1, 1) : box;
}

QRegion PaintCache::movedFrom(const Document& doc, const std::vector<PartRef>& moving, const QRegion* fresh) {
    const QRect now = movingBounds(doc, moving), band = rubberBandBounds(doc);
    restack_ = {};
    QRegion out = QRegion(movingShown_) + bandShown_ + band;
    out += fresh ? *fresh : QRegion(now);
    movingShown_ = now;
    bandShown_ = band;
    out += raised_.moved(doc);
    return out & QRect(QPoint(0, 0), still_.size());
}

bool PaintCache::prepareRaised(const Document& doc, QSize size, qreal dpr, const PaintOptions& options) {
    settle(doc);
    if (options.raised.empty() || !still_.layered() || size != still_.size() ||
        raised_.mode() != RaisedLayer::Mode::None || dpr > kDensestPrepared || still_.dpr() != dpr) {
        prep_.drop();
        return false;
    }
    return prep_.step(doc, size, dpr, options, still_);
}

void PaintCache::passPrepared(const Document& doc, const PaintOptions& options, bool changed) {
    // What was prepared while nothing changed is taken when it is what is raised.
    if (!options.raised.empty()) {
        std::optional<Carried> prepared = prep_.take(options);
        if (prepared && raised_.mode() != RaisedLayer::Mode::Layered) raised_.take(std::move(*prepared));
    } else if (changed) {
        prep_.drop();
    }
    // Lowered where it was raised, as a click that clears 全选 lowers it, the layer
    // is what raising them again needs.
    if (options.raised.empty() && raised_.mode() == RaisedLayer::Mode::Layered && raised_.offset(doc) == QPoint() &&
        prep_.mode() == RaisePreparation::Mode::None && raised_.carried().image.devicePixelRatio() <= kDensestPrepared)
        prep_.keepLowered(raised_.carried());
}

QRegion PaintCache::catchUp(const Document& doc, const std::vector<PartRef>& moving, QSize size,
                            const PaintOptions& options) {
    settle(doc);
    restack_ = {};
    const QRect client(QPoint(0, 0), size);
    if (size != still_.size()) {
        record(doc, leftOut(moving, options.raised), size, options);
        return client;
    }
    const std::vector<PartRef> left = leftOut(moving, options.raised);
    std::vector<QRect> restored;
    prep_.giveSpare(still_.keepOrRestore(!raised_.raised().empty(), !options.raised.empty(), restored));
    PaintRecord::LeftAsShown asShown;
    std::vector<PaintRecord::Change> looks;
    // What looks different, part by part, only where the layer's repairs can be culled.
    const bool culls = still_.layered() && culledScale(still_.dpr());
    std::vector<QRect> changed = still_.record().update(doc, options, left, &asShown, culls ? &looks : nullptr);
    if (!keepsLayer(moving, options.raised)) still_.drop();
    passPrepared(doc, options, !changed.empty() || !asShown.parts.empty());
    changed.insert(changed.end(), restored.begin(), restored.end());
    // A layer of raised parts that no longer shows them is painted anew when shown;
    // without one they are painted from the document.
    QRegion dirty = raised_.catchUp(doc, options, still_.dpr());
    // Zoomed, a line's pixels reach past the box it is recorded in, into the next
    // canvas pixel: so do the boxes painted again.
    const auto boxesOver = [&](const std::vector<QRect>& areas) {
        std::vector<QRect> boxes = coalesce(options.fillStrokes ? reachingInto(areas) : areas, client);
        still_.alignToDevicePixels(boxes, client);
        return boxes;
    };
    const std::vector<QRect> boxes = boxesOver(changed);
    for (const QRect& box : boxes) dirty += box;
    // Where the parts that start moving lie, looking as they did, as at the press
    // on what was already selected, the screen shows what it did: the layer alone
    // loses them, and the crowd about them is painted once, not again for the
    // frame.
    std::vector<QRect> repairs = boxes;
    if (!asShown.areas.empty()) {
        std::vector<QRect> all = changed;
        all.insert(all.end(), asShown.areas.begin(), asShown.areas.end());
        repairs = boxesOver(all);
    }
    if (!restored.empty()) looks.clear();  // what the layer put back holds is not known part by part
    // Where parts start moving, their frame paints the repairs' boxes whole, and
    // the layer waits (see unsettled()).
    if (!moving.empty() && still_.layered())
        deferred_ = {std::move(repairs), std::move(looks), options, moving, {}};
    else
        still_.repair(doc, uncoveredIn(doc, repairs, looks, options), options, prep_.spare());
    // The moving parts the screen does not show as they are: those that look
    // different, as the one a press selects, and those that paint where nothing
    // was, as its handles. The rest, painting nothing anywhere (an arrowhead an
    // arrow does not have) or looking as the screen shows them, need no frame:
    // a press that selects a rectangle under a crowd shows the rectangle and its
    // handles anew, not its labels and the crowd about them, which the layer is
    // repaired for.
    std::vector<PartRef> fresh;
    for (auto shown = asShown.parts.begin(); const PartRef& r : moving) {
        while (shown != asShown.parts.end() && *shown < r) ++shown;
        if (shown == asShown.parts.end() || *shown != r) fresh.push_back(r);
    }
    std::vector<QRect> pieces;
    std::vector<PartRef> owners;
    PaintRecord::piecesOf(pieces, owners, doc, fresh, options.handleScale);
    QRegion freshAreas;
    for (const QRect& box : boxesOver(pieces)) freshAreas += box;
    return dirty + movedFrom(doc, moving, &freshAreas);
}

std::vector<QRect> PaintCache::uncoveredIn(const Document& doc, const std::vector<QRect>& boxes,
                                           const std::vector<PaintRecord::Change>& looks, const PaintOptions& options) {
    const int scale = culledScale(still_.dpr());
    if (!still_.layered() || looks.empty() || !scale) return boxes;
    std::vector<QRect> pieces;
    std::vector<PartRef> owners;
    for (const PaintRecord::Change& c : looks)
        for (const QRect& b : {c.was, c.now})
            if (!b.isEmpty()) {
                pieces.push_back(b);
                owners.push_back(c.part);
            }
    PaintOptions still = options;
    still.raised.clear();
    const std::vector<std::vector<PartRef>> parts =
        still_.record().partsWithin(options.fillStrokes ? reachingInto(boxes) : boxes);
    std::vector<QRect> out;
    for (size_t k = 0; k < boxes.size(); ++k) {
        // A small box costs less to paint again than to look through.
        if (areaOf(boxes[k]) * scale * scale < kCulledArea) {
            out.push_back(boxes[k]);
            continue;
        }
        const std::vector<QRect> left = uncovered(doc, pieces, owners, parts[k], boxes[k], scale, still);
        out.insert(out.end(), left.begin(), left.end());
    }
    return out;
}

const PaintCache::Restack& PaintCache::restackFor(const Document& doc, const std::vector<PartRef>& moving, qreal dpr,
                                                  const PaintOptions& options, const std::vector<QRect>& paintedWhole) {
    const uint64_t look = lookMovedBack(doc, moving, {});
    Restack& r = restack_;
    if (r.found && r.look == look && r.dpr == dpr && r.handleScale == options.handleScale &&
        r.fillStrokes == options.fillStrokes && r.moving == moving && r.spared == !paintedWhole.empty())
        return r;
    r = {};
    r.found = true;
    r.spared = !paintedWhole.empty();
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
    const QRect within(QPoint(0, 0), still_.size());
    const auto grown = [&options](std::vector<QRect> boxes) {
        return options.fillStrokes ? reachingInto(std::move(boxes)) : boxes;
    };
    std::vector<QRect> pieces;
    std::vector<PartRef> owners;
    PaintRecord::piecesOf(pieces, owners, doc, moving, options.handleScale);
    r.reach = paintedBounds(doc, moving, options.handleScale);
    for (const QRect& piece : pieces) r.reach |= piece;
    // Where the device pixels a piece touches lie in a box painted whole anyway,
    // nothing above it needs restacking.
    const auto touched = [&options, dpr](const QRect& box) {
        if (box.isEmpty()) return box;
        return onWholeDevicePixels(options.fillStrokes ? box.adjusted(-1, -1, 1, 1) : box, dpr);
    };
    if (!paintedWhole.empty()) {
        size_t kept = 0;
        for (size_t k = 0; k < pieces.size(); ++k) {
            const QRect t = touched(pieces[k]);
            if (std::none_of(paintedWhole.begin(), paintedWhole.end(), [&t](const QRect& b) { return b.contains(t); })) {
                pieces[kept] = pieces[k];
                owners[kept++] = owners[k];
            }
        }
        pieces.resize(kept);
        owners.resize(kept);
    }
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
    // Where two parts meet is where their device pixels do (touched): enlarged or
    // smoothed, an element's pixels reach into the next canvas pixel, and zoomed
    // out one device pixel holds several canvas pixels, which a part a pixel or two
    // off a moving one (an arrowhead's white box over a title block's edge) shares
    // with it.
    for (QRect& piece : pieces) piece = touched(piece) & within;
    const std::vector<std::vector<PartRef>> near = still_.record().partsWithin(grown(pieces));
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
    qint64 met = 0;
    for (const QRect& box : r.boxes) met += areaOf(box & within);
    r.whole = !r.boxes.empty() && 4 * met >= 3 * areaOf(r.reach);
    if (r.whole) r.boxes.assign(1, onWholeDevicePixels(r.reach, dpr));
    r.parts = still_.record().partsWithin(grown(r.boxes));
    for (std::vector<PartRef>& box : r.parts) box = merged(box, moving);
    return r;
}

std::vector<QRect> PaintCache::uncovered(const Document& doc, const std::vector<QRect>& pieces,
                                         const std::vector<PartRef>& owners, const std::vector<PartRef>& order,
                                         const QRect& grid, int dpr, const PaintOptions& live) {
    std::vector<PartRef> changing = owners;
    std::sort(changing.begin(), changing.end());
    // The labels that may hide what changes: stacked above some of it, and not among it.
    std::vector<PartRef> labels;
    for (const PartRef& r : order)
        if (r.part == Part::Label && !changing.empty() && changing.front() < r &&
            !std::binary_search(changing.begin(), changing.end(), r))
            labels.push_back(r);
    if (labels.empty()) return {grid};  // nothing can hide it
    const int w = grid.width(), h = grid.height();
    const auto at = [w](int x, int y) { return static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x); };
    // Parts in stacking order as numbers: -1 lies below them all.
    const auto key = [](PartRef r) { return (int64_t{static_cast<int>(r.part)} << 32) | static_cast<uint32_t>(r.index); };
    // Each canvas pixel: the highest part of `owners` that may paint there.
    std::vector<int64_t>& highest = cullMoving_;
    highest.assign(static_cast<size_t>(w) * static_cast<size_t>(h), -1);
    for (size_t k = 0; k < pieces.size(); ++k) {
        const QRect b = (live.fillStrokes ? pieces[k].adjusted(-1, -1, 1, 1) : pieces[k]) & grid;
        const int64_t r = key(owners[k]);
        for (int y = b.top(); y <= b.bottom(); ++y)
            for (int x = b.left(); x <= b.right(); ++x) {
                int64_t& top = highest[at(x - grid.left(), y - grid.top())];
                top = std::max(top, r);
            }
    }
    // A canvas pixel all of whose device pixels still labels above every moving
    // part there cover with opaque ink shows the layer's pixels: what lies beneath
    // that ink, moving or not, cannot be seen, and what lies above it stands still
    // in the layer too.
    std::vector<uint64_t>& ink = cullInk_;
    ink.assign(highest.size(), 0);
    const uint64_t full = dpr * dpr == 64 ? ~uint64_t{0} : (uint64_t{1} << (dpr * dpr)) - 1;
    const auto down = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    // The labels told of by their stamps, over `rows` of the grid: on both cores,
    // each thread with the lines it stamps itself.
    const auto inkOver = [&](const QRect& rows) {
        int64_t painting = -1;
        const StampWatch seen = [&](const QRect& device, const StampCover& cover) {
            const QPoint first(down(device.left(), dpr), down(device.top(), dpr));
            const StampCover::Squares& squares =
                cover.squares(dpr, QPoint(device.left() - first.x() * dpr, device.top() - first.y() * dpr));
            const QRect cells = QRect(first, QSize(squares.across, squares.down)) & rows;
            for (int y = cells.top(); y <= cells.bottom(); ++y) {
                const uint64_t* from = &squares.opaque[static_cast<size_t>(y - first.y()) * static_cast<size_t>(squares.across) +
                                                       static_cast<size_t>(cells.left() - first.x())];
                const size_t row = at(cells.left() - grid.left(), y - grid.top());
                for (int x = 0; x < cells.width(); ++x) {
                    const int64_t top = highest[row + static_cast<size_t>(x)];
                    if (top >= 0 && top < painting) ink[row + static_cast<size_t>(x)] |= from[x];
                }
            }
        };
        PaintOptions pass = live;
        pass.exposed = QRectF(rows);
        // Asked of each part just before it is drawn: which label the stamps told
        // of belong to.
        pass.skip = [&painting, &key](PartRef r) {
            painting = key(r);
            return false;
        };
        QImage nowhere(1, 1, QImage::Format_RGB32);  // what is not stamped is drawn, and clipped away
        QPainter p(&nowhere);
        p.setWorldTransform(QTransform(dpr, 0, 0, dpr, 0, 0));
        struct Watching {
            explicit Watching(const StampWatch* w) { watchStamps(w); }
            ~Watching() { watchStamps(nullptr); }
        } watching(&seen);
        paintParts(p, doc, labels, pass);
    };
    {
        const QRect upper(grid.left(), grid.top(), w, h / 2), lower(grid.left(), grid.top() + h / 2, w, h - h / 2);
        Beside other([&] { inkOver(lower); }, !upper.isEmpty());
        inkOver(upper);
    }
    // What remains, as the box round it in each tile of the grid: the few boxes
    // painted again then hold little of what the crowd hides.
    constexpr int kTile = 16;
    std::vector<QRect> left;
    for (int ty = 0; ty < h; ty += kTile)
        for (int tx = 0; tx < w; tx += kTile) {
            QRect box;
            for (int y = ty; y < std::min(h, ty + kTile); ++y)
                for (int x = tx; x < std::min(w, tx + kTile); ++x)
                    if (highest[at(x, y)] >= 0 && ink[at(x, y)] != full) box |= QRect(grid.left() + x, grid.top() + y, 1, 1);
            if (!box.isEmpty()) left.push_back(box);
        }
    constexpr size_t kMostBoxes = 32;
    return coalesce(left, grid, kMostBoxes);
}

void PaintCache::paintMoving(QPainter& painter, const Document& doc, const std::vector<PartRef>& moving,
                             const QRectF& area, qreal dpr, const PaintOptions& options) {
    if (moving.empty()) return;
    const Restack& plan = restackFor(doc, moving, dpr, options, deferred_.boxes);
    const std::vector<QRect>* boxesIn = &plan.boxes;
    const std::vector<std::vector<PartRef>>* partsIn = &plan.parts;
    const bool whole = plan.whole;
    bool overLayer = !whole;
    QRect reach = plan.reach;
    // Where the layer's repairs wait, their boxes are painted whole as the plan's
    // are, over the layer as it was; a box that one of the other holds is painted once.
    const auto within = [](const QRect& box, const std::vector<QRect>& boxes, const std::vector<bool>& skipped) {
        for (size_t k = 0; k < boxes.size(); ++k)
            if (!skipped[k] && boxes[k].contains(box)) return true;
        return false;
    };
    std::vector<bool> skipWaiting(deferred_.boxes.size()), skipPlan(plan.boxes.size());
    for (size_t k = 0; k < deferred_.boxes.size(); ++k) {
        skipWaiting[k] = within(deferred_.boxes[k], plan.boxes, skipPlan);
        if (!skipWaiting[k]) reach |= deferred_.boxes[k];
    }
    for (size_t k = 0; k < plan.boxes.size(); ++k) skipPlan[k] = within(plan.boxes[k], deferred_.boxes, skipWaiting);
    if (reach != plan.reach) overLayer = true;  // the image holds more than the plan's boxes
    if (unsettled() && deferred_.parts.empty()) {
        std::vector<QRect> painted;
        for (size_t k = 0; k < deferred_.boxes.size(); ++k)
            painted.push_back(skipWaiting[k] ? QRect() : deferred_.boxes[k]);
        deferred_.parts = still_.record().partsWithin(options.fillStrokes ? reachingInto(painted) : painted);
        for (std::vector<PartRef>& box : deferred_.parts) box = merged(box, moving);
    }
    PaintOptions live = options;
    live.raised.clear();  // the raised parts lie over them all, from their own layer
    const auto paintOver = [&](QPainter& p, const QRectF& clip) {
        const std::vector<QRect>& boxes = *boxesIn;
        const std::vector<std::vector<PartRef>>& parts = *partsIn;
        PaintOptions on = live;
        on.exposed = clip;
        if (!whole) paintParts(p, doc, moving, on);
        const auto paintWhole = [&](const QRect& box, const std::vector<PartRef>& inBox) {
            on.exposed = QRectF(box) & clip;
            if (on.exposed.isEmpty()) return;
            p.save();
            p.setClipRect(on.exposed, Qt::IntersectClip);
            p.fillRect(box, kCanvasBackground);
            paintParts(p, doc, inBox, on);
            p.restore();
        };
        for (size_t k = 0; k < boxes.size(); ++k)
            if (boxesIn != &plan.boxes || !skipPlan[k]) paintWhole(boxes[k], parts[k]);
        for (size_t k = 0; k < deferred_.boxes.size(); ++k)
            if (!skipWaiting[k]) paintWhole(deferred_.boxes[k], deferred_.parts[k]);
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
    if ((boxesIn->empty() && !unsettled()) || !pixelForPixel || areaOf(device) < kApartFrom ||
        !still_.area().contains(device)) {
        paintOver(painter, area);
        return;
    }
    // Under a crowd of texts, enlarged so that a canvas pixel is a square of whole
    // device pixels, most of the moving parts' area shows only the crowd's ink:
    // there the layer is already what a full repaint gives, and only the rest is
    // restacked.
    if (const int scale = culledScale(dpr); whole && scale) {
        if (!restack_.uncoveredFound) {
            std::vector<QRect> pieces;
            std::vector<PartRef> owners;
            PaintRecord::piecesOf(pieces, owners, doc, moving, live.handleScale);
            restack_.uncovered = uncovered(doc, pieces, owners, plan.parts.front(), reach, scale, live);
            restack_.uncoveredParts =
                still_.record().partsWithin(options.fillStrokes ? reachingInto(restack_.uncovered) : restack_.uncovered);
            for (std::vector<PartRef>& box : restack_.uncoveredParts) box = merged(box, moving);
            restack_.uncoveredFound = true;
        }
        boxesIn = &plan.uncovered;
        partsIn = &plan.uncoveredParts;
        overLayer = true;
    }
    // The image reaches past the area, within the layer (kImageMargin).
    const QRect wide = device.adjusted(-kImageMargin, -kImageMargin, kImageMargin, kImageMargin) & still_.area();
    if (scratch_.width() < wide.width() || scratch_.height() < wide.height())
        scratch_ = QImage(wide.size().expandedTo(scratch_.size()), QImage::Format_RGB32);
    QImage image(scratch_.bits(), wide.width(), wide.height(), scratch_.bytesPerLine(), scratch_.format());
    if (overLayer) {
        const auto rowBytes = static_cast<size_t>(wide.width()) * 4;
        const QPoint from = wide.topLeft() - still_.area().topLeft();
        for (int y = 0; y < wide.height(); ++y)
            std::memcpy(image.scanLine(y), still_.image().constScanLine(from.y() + y) + qsizetype{from.x()} * 4, rowBytes);
    }
    // Client pixels mapped onto the image's pixels exactly, as the canvas maps them
    // onto the screen's: translated by a corner worked out at a ratio such as
    // 1.5625, a line whose edge falls on a pixel's middle comes out a pixel thicker
    // by the last bit of a coordinate. The band's own clip, in the image's pixels,
    // is exact; the area it exposes is taken a canvas pixel larger each way.
    const QRect shown(device.topLeft() - wide.topLeft(), device.size());
    paintInBands(image, shown, [&](QPainter& p, const QRectF& band) {
        p.setWorldTransform(QTransform(dpr, 0, 0, dpr, -wide.left(), -wide.top()));
        const QRectF exposed((band.topLeft() + QPointF(wide.topLeft())) / dpr, band.size() / dpr);
        paintOver(p, QRectF(corner, QSizeF(device.size()) / dpr) & exposed.adjusted(-1, -1, 1, 1));
    });
    drawOnDevicePixels(painter, corner, image, QRectF(shown));
}

void PaintCache::paint(QPainter& painter, const Document& doc, const std::vector<PartRef>& moving, QSize size,
                       qreal dpr, const QRectF& exposed, const PaintOptions& options, const QRectF& shown) {
    if (size != still_.size()) record(doc, leftOut(moving, options.raised), size, options);
    const QRectF whole(QPointF(0, 0), QSizeF(size));
    const QRectF area = exposed.isNull() ? whole : exposed;
    if (keepsLayer(moving, options.raised)) {
        const auto device = [dpr](const QRectF& r) { return QRectF(r.topLeft() * dpr, r.size() * dpr).toAlignedRect(); };
        const QRect all(QPoint(0, 0), devicePixels(size, dpr));
        const QRect needed = (device(shown.isNull() ? whole : shown) | device(area)) & all;
        if (needed.isEmpty()) return;
        // Repairs put off are made on the layer they were meant for, before it is
        // grown, and for the moving parts they were put off for.
        if (unsettled() && moving != deferred_.moving) settle(doc);
        if (!still_.layered() || still_.dpr() != dpr || !still_.area().contains(needed)) {
            settle(doc);
            restack_ = {};
            const QRect past = needed.adjusted(-kImageMargin, -kImageMargin, kImageMargin, kImageMargin);
            still_.cover(doc, leftOut(moving, options.raised), fromWholeCanvasPixels(past, dpr) & all, dpr, options);
        }
        // Culling the restacked crowd reads the layer, and pays where the moving
        // parts lie close together, as a rectangle's do: there the repairs are
        // made first, and culled too (the frame follows them: the drawing is as
        // they were put off for). Else the boxes waiting for them are painted
        // whole, and the plan restacks only where moving parts reach past them.
        if (unsettled() && culledScale(dpr)) {
            const QRect bounds = paintedBounds(doc, moving, options.handleScale);
            qint64 held = 0;
            for (const QRect& box : deferred_.boxes) held += areaOf(box & bounds);
            if (4 * held >= 3 * areaOf(bounds)) settle(doc, true);
        }
        drawOnDevicePixels(painter, area.topLeft(), still_.image(),
                           QRectF(area.topLeft() * dpr - QPointF(still_.area().topLeft()), area.size() * dpr));
        paintMoving(painter, doc, moving, area, dpr, options);
        raised_.paint(painter, doc, size, dpr, area, options);
    } else {
        // A drawing this small paints in less time than the layer would take to
        // keep: straight from the document, as the layer would show it.
        still_.drop();
        raised_.dropImage();
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
