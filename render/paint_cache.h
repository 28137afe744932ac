// The promise: every frame painted through this cache equals, pixel for pixel, a
// full repaint of the same state of the document (paintDocument over the canvas's
// background, the rubber band over it), at every zoom and device pixel ratio.
// tests/gui/every_frame_test.cpp checks it: it drives the editor through random
// sequences of what a user does, brings the canvas's drawing in line after each
// event as the canvas does (CanvasFrames), runs the preparation of 全选 whole, in
// part or not at all, and compares the screen, built only from the areas the
// cache asked to show anew, with the drawing painted afresh.
//
// Painting while something moves: everything that stays still during a drag, a
// resize or a placing is drawn once into a cached layer, and each frame only puts
// that layer back and draws the moving element over it. A drawing at the limits
// takes far longer than a frame to paint in full; its moving part does not.
#pragma once
#include <optional>
#include <vector>

#include <QImage>
#include <QRectF>
#include <QRegion>
#include <QSize>

#include "model/document.h"
#include "model/moving_parts.h"
#include "render/document_painter.h"
#include "render/paint_record.h"

class QPainter;

namespace qm {

// A drawing of fewer painted elements than this keeps no layer while nothing
// moves: it is painted from the document faster than a frame, and the layer, one
// canvas of pixels, is memory better left unused.
inline constexpr size_t kLayerFrom = 2000;

// A few boxes covering `pieces` inside `within`, wasting little area on what did
// not change: a piece joins the box it grows least when that adds only a sliver,
// and while there are more than `most` boxes the two that make the smallest union
// become one. Each box is painted on its own, so an element lying across several
// is painted for each of them: sixteen boxes cost least on the largest drawing.
std::vector<QRect> coalesce(const std::vector<QRect>& pieces, const QRect& within, size_t most = 16);

class PaintCache {
public:
    // `layerFrom`: how many painted elements make a drawing keep its layer.
    explicit PaintCache(size_t layerFrom = kLayerFrom);

    // Forget what was painted: the next paint draws everything anew.
    void invalidate();
    bool hasLayer() const { return !layer_.isNull(); }

    // Paints the document in canvas client pixels over `size`: everything except
    // `moving` and the raised parts from the layer (built on first need, at `dpr`
    // device pixels to a canvas pixel, as the painter maps them), the raised parts
    // from a layer of their own, or, for a small drawing at rest, all from the
    // document; then the moving parts and the rubber band over it. `moving` is
    // sorted as movingParts gives it. The layer covers `shown` (null: all of
    // `size`) and what is exposed: on a zoomed canvas the part in view, far less
    // than all of it; when what is shown moves on, the layer keeps what it holds.
    void paint(QPainter& painter, const Document& doc, const std::vector<PartRef>& moving, QSize size, qreal dpr,
               const QRectF& exposed, const PaintOptions& options, const QRectF& shown = {});

    // Brings the layer in line with `doc` without `moving`, whatever changed since
    // it was painted: the elements that look different are found by comparing what
    // was painted with what would be, and only the boxes they covered and now cover
    // are painted again. Returns the areas (canvas client pixels) to show anew:
    // those, and where the moving parts were and are; all of `size` the first time.
    // Without a layer the areas are found alike, for the next paint.
    QRegion catchUp(const Document& doc, const std::vector<PartRef>& moving, QSize size, const PaintOptions& options);

    // Only the moving parts, the rubber band and the raised parts' place changed:
    // where they were and where they are now.
    QRegion moved(const Document& doc, const std::vector<PartRef>& moving);

    // A layer of the raised parts is kept (and moved with them).
    bool hasRaisedLayer() const { return !carried_.image.isNull(); }

    // A layer of raised parts is prepared, or kept once they are lowered, only up
    // to this ratio of device pixels to canvas pixels: memory held for a command
    // that may never come, not the many times as much of a canvas zoomed in.
    static constexpr qreal kDensestPrepared = 2;
    // While a large drawing rests with nothing raised: paints a few rows, at each
    // call, of the layer that raising `options.raised` (what 全选 would raise) would
    // need, so that 全选 lays that layer down rather than painting every element
    // first. A change to the drawing starts it again. Returns whether more remains.
    bool prepareRaised(const Document& doc, QSize size, qreal dpr, const PaintOptions& options);
    // The prepared layer is painted whole.
    bool raisedPrepared() const { return !ready_.image.isNull() && readyRows_ >= ready_.image.height(); }

private:
    // The moving parts over the layer, and the still ones stacked above them where
    // they reach into them.
    void paintMoving(QPainter& painter, const Document& doc, const std::vector<PartRef>& moving, const QRectF& area,
                     qreal dpr, const PaintOptions& options);
    bool keepsLayer(const std::vector<PartRef>& moving, const std::vector<PartRef>& raised) const;
    // What the layer and the record leave out: the moving parts, and the raised
    // ones where they have a layer of their own.
    std::vector<PartRef> leftOut(const std::vector<PartRef>& moving, const std::vector<PartRef>& raised) const;
    // Starts afresh: the record taken from `doc` without `left`, no layer yet.
    void record(const Document& doc, const std::vector<PartRef>& left, QSize size, const PaintOptions& options);
    // A layer over `area` (device pixels) at `dpr`, keeping what the old one holds
    // of it when the ratio is the same; the rest is painted from the document.
    void cover(const Document& doc, const std::vector<PartRef>& left, const QRect& area, qreal dpr,
               const PaintOptions& options);
    // The raised parts of `options` painted into their own layer.
    void buildCarried(const Document& doc, QSize size, qreal dpr, const PaintOptions& options);
    // Takes the prepared layer for the raised parts when it was painted for them.
    void takePrepared(const PaintOptions& options);
    // Keeps the raised layer at the place its parts moved to, or lets it go when it
    // no longer shows them; the areas to show anew.
    QRegion catchUpCarried(const Document& doc, const PaintOptions& options, qreal dpr);
    // Parts that joined the raised ones since their layer was painted, or left
    // them, as when the shapes of a dropped group come to carry a text that was
    // not selected, or no longer carry one: their boxes in the layer are painted
    // again. The layer has moved `offset` since and still shows its old parts.
    // False, changing nothing, when too many changed, or one lies outside it.
    bool reraise(const Document& doc, const PaintOptions& options, QPoint offset);
    // How far the raised parts moved since their layer was painted, by one of them.
    std::optional<QPoint> carriedOffset(const Document& doc) const;
    QRect carriedShown() const;
    // The raised layer, moved `offset` since it was painted at `dpr`, still shows
    // its parts as they are.
    bool carriedHolds(const Document& doc, QPoint offset, qreal dpr) const;
    // Keeps the layer aside when elements are first raised out of it, and takes it
    // back when they are lowered again.
    void keepOrRestoreStill(const std::vector<PartRef>& raised);

    // Several selected elements, painted once into a layer that a drag of them
    // moves whole, so that each frame of it costs two images laid down.
    struct Carried {
        QImage image;                // transparent where none of them paints
        QRect area;                  // canvas client pixels the image covers, as painted
        std::vector<PartRef> parts;  // what it shows
        std::vector<PartRef> selected;  // the selection's look it was painted with
        uint64_t look = 0;           // lookMovedBack of the parts, as painted
        std::vector<QRect> bounds;   // the box of each part as painted; empty until needed
        bool whole = false;          // no part was cut off at the canvas's edge
        PartRef anchor{};            // one of them, and where its box began
        QPoint anchorAt;
        QPoint offset;               // how far they have moved since
    };

    // Where a layer of the raised parts of `options` lies and what it shows, its
    // image still to be painted.
    static Carried carriedFor(const Document& doc, QSize size, qreal dpr, const PaintOptions& options);

    // The layer as it was when several elements were first raised out of it, kept
    // while they stay raised: lowering them again (a click that clears 全选) puts
    // it back and paints only what changed since, not the whole drawing. The
    // record's memory stays for the next raising: on the largest drawing it is
    // megabytes, which fresh memory would first fault in, page by page.
    struct Still {
        QImage layer;  // null: none kept
        QRect area;
        PaintRecord record;
    };

    size_t layerFrom_;
    QImage layer_;
    QRect layerArea_;     // what the layer holds, in device pixels of the canvas's client area
    qreal handleScale_ = 1;
    Carried carried_;
    QSize size_;          // invalid until something was recorded
    QRect movingShown_;   // where the moving parts were when last shown anew
    QRect bandShown_;     // where the rubber band was
    std::vector<PartRef> raised_;  // the raised parts when the layer last caught up
    QRect raisedShown_;            // where they were, while they have no layer
    PaintRecord record_;  // what the layer, or the canvas, shows
    Still beforeRaising_;
    Carried ready_;     // prepared for 全选, painted down to row readyRows_
    int readyRows_ = 0;
    QImage spare_;      // memory, touched in advance, for a layer to be painted over whole
    int spareRows_ = 0;  // the rows of it touched so far
    QImage scratch_;    // where the moving parts are restacked, kept from frame to frame

    // What a frame of a drag paints again where still elements stacked above the
    // moving ones meet them: found once for all the areas of the frame, and
    // forgotten when anything moves or the record changes.
    struct Restack {
        bool found = false;
        uint64_t look = 0;  // lookMovedBack of the moving parts where they were
        std::vector<PartRef> moving;
        qreal dpr = 0, handleScale = 0;
        bool fillStrokes = false;
        QRect reach;        // canvas client pixels the moving parts and the boxes cover
        std::vector<QRect> boxes;  // on whole device pixels
        std::vector<std::vector<PartRef>> parts;  // in each box, still and moving, in their order
        bool whole = false;  // one box over all of reach: the moving parts need no painting of their own
    };
    const Restack& restackFor(const Document& doc, const std::vector<PartRef>& moving, qreal dpr,
                              const PaintOptions& options);
    Restack restack_;
};

}  // namespace qm
