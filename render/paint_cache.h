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
#include <vector>

#include <QImage>
#include <QRectF>
#include <QRegion>
#include <QSize>

#include "model/document.h"
#include "model/moving_parts.h"
#include "render/canvas_boxes.h"
#include "render/document_painter.h"
#include "render/raise_preparation.h"
#include "render/raised_layer.h"
#include "render/still_layer.h"

class QPainter;

namespace qm {

// A drawing of fewer painted elements than this keeps no layer while nothing
// moves: it is painted from the document faster than a frame, and the layer, one
// canvas of pixels, is memory better left unused.
inline constexpr size_t kLayerFrom = 2000;

// The canvas painted from three parts: the still layer, the raised layer of
// several selected elements, and the preparation of what 全选 raises; and the
// moving parts painted over them, frame by frame.
class PaintCache {
public:
    // `layerFrom`: how many painted elements make a drawing keep its layer.
    explicit PaintCache(size_t layerFrom = kLayerFrom);

    // Forget what was painted: the next paint draws everything anew.
    void invalidate();
    bool hasLayer() const { return still_.layered(); }

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

    // When catchUp sets parts moving, it puts the layer's repairs off until after
    // the frame, which paints their boxes whole from the document: there it
    // restacks the crowd over the moving parts anyway, and a long arrow pressed
    // under a crowd of texts would have it painted twice before the frame went
    // out. settle() makes the repairs: the canvas asks it of the idle host once the
    // frame is painted, and whatever else needs the layer as it should be calls it
    // first. `culled`: nothing the layer holds changed in `doc` since catchUp, and
    // what the crowd of texts hides need not be painted again (see uncovered()).
    bool unsettled() const { return !deferred_.boxes.empty(); }
    void settle(const Document& doc, bool culled = false);

    // A layer of the raised parts is kept (and moved with them).
    bool hasRaisedLayer() const { return raised_.mode() == RaisedLayer::Mode::Layered; }

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
    bool raisedPrepared() const { return prep_.mode() == RaisePreparation::Mode::Ready; }

private:
    // The moving parts over the layer, and the still ones stacked above them where
    // they reach into them.
    void paintMoving(QPainter& painter, const Document& doc, const std::vector<PartRef>& moving, const QRectF& area,
                     qreal dpr, const PaintOptions& options);
    // Of `grid` (whole canvas pixels, each `dpr` device pixels square), the boxes
    // that must be painted again when the parts `owners` paint in `pieces` (one
    // each) change: the canvas pixels one of them reaches that the opaque ink of
    // the labels of `order` (sorted) stacked above all of them there, and not
    // among them, does not cover whole.
    std::vector<QRect> uncovered(const Document& doc, const std::vector<QRect>& pieces,
                                 const std::vector<PartRef>& owners, const std::vector<PartRef>& order,
                                 const QRect& grid, int dpr, const PaintOptions& live);
    // `boxes` of the layer to repair for the changes `looks`, less what the crowd
    // above them hides: uncovered() box by box, where the layer's scale allows.
    std::vector<QRect> uncoveredIn(const Document& doc, const std::vector<QRect>& boxes,
                                   const std::vector<PaintRecord::Change>& looks, const PaintOptions& options);
    bool keepsLayer(const std::vector<PartRef>& moving, const std::vector<PartRef>& raised) const;
    // What the layer and the record leave out: the moving parts, and the raised
    // ones where they have a layer of their own.
    std::vector<PartRef> leftOut(const std::vector<PartRef>& moving, const std::vector<PartRef>& raised) const;
    // Starts afresh: the record taken from `doc` without `left`, no layer yet.
    void record(const Document& doc, const std::vector<PartRef>& left, QSize size, const PaintOptions& options);
    // As moved(); `fresh`, when given: the only areas of the moving parts the
    // screen does not show as they are.
    QRegion movedFrom(const Document& doc, const std::vector<PartRef>& moving, const QRegion* fresh);
    // Where the moving parts paint, canvas client pixels.
    QRect movingBounds(const Document& doc, const std::vector<PartRef>& moving) const;
    // Hands what was prepared to the raised layer when it is what is raised, and
    // the raised layer to the preparation when its parts are lowered where they
    // were raised.
    void passPrepared(const Document& doc, const PaintOptions& options, bool changed);

    size_t layerFrom_;
    qreal handleScale_ = 1;
    bool fillStrokes_ = false;
    QRect movingShown_;   // where the moving parts were when last shown anew
    QRect bandShown_;     // where the rubber band was
    StillLayer still_;
    RaisedLayer raised_;
    RaisePreparation prep_;
    QImage scratch_;    // where the moving parts are restacked, kept from frame to frame
    std::vector<int64_t> cullMoving_;  // uncovered()'s canvas pixels, kept from frame to frame
    std::vector<uint64_t> cullInk_;

    // What a frame of a drag paints again where still elements stacked above the
    // moving ones meet them: found once for all the areas of the frame, and
    // forgotten when anything moves or the record changes.
    struct Restack {
        bool found = false;
        uint64_t look = 0;  // lookMovedBack of the moving parts where they were
        std::vector<PartRef> moving;
        qreal dpr = 0, handleScale = 0;
        bool fillStrokes = false;
        bool spared = false;  // of where boxes painted whole anyway lie
        QRect reach;        // canvas client pixels the moving parts and the boxes cover
        std::vector<QRect> boxes;  // on whole device pixels
        std::vector<std::vector<PartRef>> parts;  // in each box, still and moving, in their order
        bool whole = false;  // one box over all of reach: the moving parts need no painting of their own
        // Of a whole reach, where the layer is not already what restacking gives.
        bool uncoveredFound = false;
        std::vector<QRect> uncovered;
        std::vector<std::vector<PartRef>> uncoveredParts;
    };
    // `paintedWhole`: boxes the frame paints whole in any case.
    const Restack& restackFor(const Document& doc, const std::vector<PartRef>& moving, qreal dpr,
                              const PaintOptions& options, const std::vector<QRect>& paintedWhole);
    Restack restack_;

    // The repairs catchUp put off, for the moving parts it was given.
    struct Deferred {
        std::vector<QRect> boxes;  // canvas client pixels, on whole device pixels
        std::vector<PaintRecord::Change> looks;  // what changed in them, part by part
        PaintOptions options;
        std::vector<PartRef> moving;
        // In each box, still and moving, in their order: found at the first frame.
        std::vector<std::vector<PartRef>> parts;
    };
    Deferred deferred_;
};

}  // namespace qm
