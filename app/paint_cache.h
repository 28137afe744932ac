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

#include "app/document_painter.h"
#include "app/paint_record.h"
#include "model/document.h"

class QPainter;

namespace qm {

// The elements that change with the pointer in the document's current state,
// sorted as paintDocument stacks them; empty when nothing follows the pointer.
// `pointerHeld` says a press is under way: drags move only while it lasts, while
// a newly inserted element follows the pointer with no button down.
std::vector<PartRef> movingParts(const Document& doc, bool pointerHeld);

class PaintCache {
public:
    // Drop the layer: the next paint draws it anew.
    void invalidate();
    bool hasLayer() const { return !layer_.isNull(); }

    // Paints the document in canvas client pixels over `size`: the layer (built on
    // first need from everything except `moving`, at the painter's device pixel
    // ratio `dpr`), then the moving parts. `moving` is sorted as movingParts gives it.
    void paint(QPainter& painter, const Document& doc, const std::vector<PartRef>& moving, QSize size, qreal dpr,
               const QRectF& exposed, const PaintOptions& options);

    // Brings the layer in line with `doc` without `moving`, whatever changed since
    // it was painted: the elements that look different are found by comparing what
    // was painted with what would be, and only the boxes they covered and now cover
    // are painted again. Returns the areas (canvas client pixels) to show anew:
    // those, and where the moving parts were and are; all of `size` when there is
    // no layer to bring in line.
    QRegion catchUp(const Document& doc, const std::vector<PartRef>& moving, QSize size, const PaintOptions& options);

    // Only the moving parts changed: where they were and where they are now.
    QRegion moved(const Document& doc, const std::vector<PartRef>& moving);

private:
    void build(const Document& doc, const std::vector<PartRef>& moving, QSize size, qreal dpr,
               const PaintOptions& options);

    QImage layer_;
    QSize size_;
    QRect movingShown_;   // where the moving parts were when last shown anew
    PaintRecord record_;  // what the layer shows
};

}  // namespace qm
