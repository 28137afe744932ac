// What the canvas shows, frame by frame: a document's drawing at a zoom, on a
// screen of some device pixel ratio, repainted through the paint cache only where
// it changed, and the layer 全选 would raise prepared while the user rests. The
// canvas widget is a thin shell round it, and the test that compares every frame
// with a full repaint drives this same object, call for call.
#pragma once
#include <functional>
#include <optional>
#include <vector>

#include <QPoint>
#include <QRegion>
#include <QSize>

#include "model/document.h"
#include "render/document_painter.h"
#include "render/paint_cache.h"
#include "render/zoomed_view.h"

class QPainter;

namespace qm {

class Host;

// The areas a paint event paints one by one, of what is due (screen pixels): each
// on its own while few, as the long thin strips a guide line leaves far apart;
// more, merged into a few boxes that waste little, not into the box round them
// all, which zoomed in is most of the window and paints every moving part again.
std::vector<QRect> dueAreas(const QRegion& due);

class CanvasFrames {
public:
    // `layerFrom`: as for PaintCache.
    explicit CanvasFrames(size_t layerFrom = kLayerFrom);
    ~CanvasFrames();
    CanvasFrames(const CanvasFrames&) = delete;
    CanvasFrames& operator=(const CanvasFrames&) = delete;

    // Where the preparation for 全选 is asked to run while the user rests; null:
    // it never runs. `selectedByAll` says what 全选 would select now.
    void setIdleHost(Host* host, std::function<std::vector<ElementRef>()> selectedByAll);

    // The document shown; must outlive this or be replaced. Null shows nothing.
    void setDocument(const Document* doc);
    const Document* document() const { return doc_; }

    // Where the drawing is shown: its client area at 100% (logical pixels), the
    // zoom, the screen's device pixels to a logical pixel and where the client
    // area's corner lies on the screen (the widget). A new zoom starts afresh.
    void place(QSize client, qreal zoom, qreal dpr, QPoint origin);

    // The elements that move with the pointer now (sorted, as movingParts gives
    // them): painted over the rest, which comes from a cached layer.
    void setMoving(std::vector<PartRef> parts);
    const std::vector<PartRef>& moving() const { return moving_; }
    // Anything in the document may have changed: the layer catches up with it.
    // Returns what looks different, in screen pixels.
    QRegion refreshDrawing();
    // Only the moving parts changed: their old and new places (screen pixels).
    QRegion refreshMoving();

    // Paints the drawing inside `area` (screen pixels, within the client area);
    // `inView` is the part of the client area the screen shows, all the cached
    // layer need hold (empty: all of it).
    void paint(QPainter& painter, const QRect& area, const QRect& inView);

    // One step of preparing what 全选 raises; whether more remains. The idle host
    // runs it; a test may run it itself.
    bool prepareStep();

    // A frame has been painted: the cached layer's repairs that a press put off
    // until it was out (PaintCache::settle) are asked of the idle host, to be made
    // as soon as events allow.
    void framePainted();

    const PaintCache& cache() const { return cache_; }

private:
    ZoomedView view() const { return {zoom_, QPointF(origin_)}; }
    QRegion onScreen(const QRegion& clientArea) const;
    PaintOptions& look();
    void restartIdle();

    const Document* doc_ = nullptr;
    Host* idleHost_ = nullptr;
    std::function<std::vector<ElementRef>()> selectedByAll_;
    QSize client_;
    qreal zoom_ = 1;
    qreal dpr_ = 1;
    QPoint origin_;
    std::vector<PartRef> moving_;
    bool movingChanged_ = false;  // the layer still holds or lacks parts it should not
    // The selection's look as the drawing was last brought in line with the
    // document: worked out once per change, not for every frame of a drag, which
    // on a selection of thousands costs more than the frame.
    std::optional<PaintOptions> look_;
    std::optional<PaintOptions> allLook_;  // the look 全选 would give, while preparing it
    PaintCache cache_;
};

}  // namespace qm
