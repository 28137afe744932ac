// Painting a drawing: the one routine that turns a Document's drawing list into
// pixels on any QPainter (the canvas, image export, printing). It draws in canvas
// client coordinates, one logical pixel per 15 twips, and knows nothing of widgets.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QRect>
#include <QRectF>
#include <QString>

#include "model/document.h"
#include "model/parts.h"

class QPainter;

namespace qm {

struct PaintOptions {
    QColor highlight;      // fill of selection handles
    QColor activeCaption;  // fill of handles whose HandleEl::fill asks for it
    // Only elements touching this area (canvas client pixels) are drawn; a null
    // rectangle means the whole canvas.
    QRectF exposed;
    // Elements to leave out, for example the one being dragged when the rest is
    // painted into a cached layer.
    std::function<bool(PartRef)> skip;
    // Smoothed edges, for pictures shown smaller than one device pixel to a
    // canvas pixel (a print preview), where thin lines would otherwise vanish.
    bool antialias = false;
    // The selection's look (model/selection_look.h): these parts, sorted as PartRef
    // sorts, are drawn in the selection colour instead of their own.
    std::vector<PartRef> selected;
    QColor selectionColour;
    // Selection handles are drawn. Like the selection's look they belong to the
    // editing, not to the chart.
    bool handles = true;
    // Parts drawn above all the others, as a layer of their own: several selected
    // elements (groupParts in model/selection_look.h), sorted as PartRef sorts.
    // paintDocument lays them over the rest; paintParts paints what it is given.
    std::vector<PartRef> raised;
    // Selection handles at this many times their size about their centres, on
    // whole device pixels: on a zoomed canvas they keep their size on the screen.
    qreal handleScale = 1;
    // Lines and curved outlines filled as the outline their pen would stroke. At a
    // scale of the drawing other than the device's own, Qt strokes a line under a
    // clip with other pixels than the whole line: repairing the cached layer box by
    // box would leave seams along lines that cross the boxes' edges.
    bool fillStrokes = false;
};

// Handle and selection colours from the application's palette; nothing selected.
PaintOptions defaultPaintOptions();
// The editing canvas: the document's selection drawn with its look (several
// selected elements raised), handles shown.
// `memory`: the options these replace, whose lists' memory they take.
PaintOptions canvasPaintOptions(const Document& doc, PaintOptions memory = {});
// The editing canvas as it would be with `selected` selected (sorted, as the
// selection keeps them), whatever is selected now.
PaintOptions canvasPaintOptions(const Document& doc, std::span<const ElementRef> selected);
// A picture or a print of the chart: the drawing alone, as if nothing were
// selected, whatever the editor has selected.
PaintOptions chartPaintOptions();

inline const QColor kCanvasBackground{255, 255, 255};

// Draws every visible element in stacking order: shape outlines, lines and labels,
// then selection handles, then arrowhead pictures, and over all of them the raised
// parts, through a layer of their own (raisedLayer). Templates (index 0) are never
// drawn, except handle 0, which the arrow code places as an ordinary handle. The
// background is left alone so that the routine can also paint an overlay.
void paintDocument(QPainter& painter, const Document& doc, const PaintOptions& options);

// The raised parts within `area` (canvas client pixels), the options' skip
// honoured, on a transparent image of `dpr` device pixels to a pixel whose corner
// is the area's: laid over the rest of the drawing at that corner, by
// paintDocument and, moved whole with a drag, by the paint cache. Both give the
// same pixels, which a move by whole device pixels only shifts.
QImage raisedLayer(const Document& doc, const PaintOptions& options, const QRect& area, qreal dpr);
// Rows [from, to) (device pixels) of such a layer, cleared and painted on `layer`
// (at its own ratio): a layer painted a few rows at a time is the same as one
// painted at once, when each cut between rows lies on a whole canvas pixel.
// Only `parts` of the raised parts are painted: those that reach into the rows
// are enough.
void paintRaisedRows(QImage& layer, const Document& doc, const PaintOptions& options, std::span<const PartRef> parts,
                     const QRect& area, int from, int to);

// The rubber band of a drag from empty canvas, dotted, over everything; and the
// pixels it covers (empty while there is none).
void paintRubberBand(QPainter& painter, const Document& doc);
QRect rubberBandBounds(const Document& doc);

// Draws only the given elements, in the order given (sort them to stack them as
// paintDocument does). Hidden and missing ones are left out, as are templates
// other than handle 0.
void paintParts(QPainter& painter, const Document& doc, std::span<const PartRef> parts, const PaintOptions& options);

// The box, in canvas client pixels, that painting an element stays inside: what
// painting an area culls by, and what must be painted again when the element
// changes. Empty for an element that paints nothing (hidden, no text, no size).
QRect paintedBounds(const ShapeEl& s);
QRect paintedBounds(const LineEl& l);
QRect paintedBounds(const LabelEl& l);
QRect paintedBounds(const HandleEl& h, qreal scale = 1);
QRect paintedBounds(const PictureEl& p);
// The union of the painted boxes of `parts`, handles at `handleScale` (PaintOptions).
QRect paintedBounds(const Document& doc, std::span<const PartRef> parts, qreal handleScale = 1);

// A line of a label's text where paintDocument draws it: the line's top-left corner
// in canvas client pixels, and its text.
struct TextLine {
    QPointF topLeft;
    QString text;
};
// The non-empty lines of a label in its font; none for a label that is not drawn.
QList<TextLine> labelTextLines(const LabelEl& l);
// The triangle an arrowhead picture of this family shows within its box: the tip
// on the middle of the side it points to, the base along the opposite side.
QPolygonF arrowheadTriangle(Part part, const QRect& box);

// A document colour (red + 256 green + 65536 blue) as a QColor.
QColor toQColor(Color c);

}  // namespace qm
