// The raised layer: several selected elements drawn above all the others, painted
// once into a transparent image of their own that a drag of them moves whole, so
// that each frame of it costs two images laid down.
#pragma once
#include <optional>
#include <vector>

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>

#include "model/document.h"
#include "render/document_painter.h"

class QPainter;

namespace qm {

// An image of raised parts, and where it lies and what it shows.
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
    uint64_t anchorLook = 0;     // lookMovedBack of the anchor, as painted
    QPoint offset;               // how far they have moved since

    // Where an image of the raised parts of `options` lies and what it shows, the
    // image still to be painted; none when they lie far off the canvas.
    static Carried forRaised(const Document& doc, QSize size, qreal dpr, const PaintOptions& options);
};

class RaisedLayer {
public:
    // How the raised parts are painted. Legal combinations:
    //   None     nothing raised when the drawing last caught up; no image;
    //   Drawn    raised parts without an image of their own: painted straight
    //            from the document, or into an image when next shown; shown() is
    //            where they were last shown;
    //   Layered  the image holds its parts (some raised), at carried().area moved
    //            by its offset; nothing raised lets it go.
    enum class Mode { None, Drawn, Layered };
    Mode mode() const { return mode_; }
    const Carried& carried() const { return carried_; }
    // What is raised as the drawing last caught up.
    const std::vector<PartRef>& raised() const { return raised_; }

    void clear();
    // Lets the image go: the raised parts are painted from the document.
    void dropImage();
    // Takes a prepared image for the raised parts.
    void take(Carried prepared);

    // Brings the raised parts in line with `options` after any change to the
    // drawing: the image stays where it still shows them as they are, moved by
    // whole device pixels (`stillDpr` the still layer's ratio); the areas to show
    // anew.
    QRegion catchUp(const Document& doc, const PaintOptions& options, qreal stillDpr);
    // Only what moves changed: where the raised parts were and are now.
    QRegion moved(const Document& doc);
    // How far the raised parts moved since their image was painted, by one of them.
    std::optional<QPoint> offset(const Document& doc) const;

    // Lays the raised parts of `options` over `area` from their image, painted
    // first if it does not show them at `dpr`.
    void paint(QPainter& painter, const Document& doc, QSize size, qreal dpr, const QRectF& area,
               const PaintOptions& options);

private:
    QRect shownImage() const;
    // The image, moved `offset` since it was painted at `dpr`, still shows its
    // parts as they are.
    bool holds(const Document& doc, QPoint offset, qreal dpr) const;
    // Parts that joined the raised ones since their image was painted, or left
    // them, as when the shapes of a dropped group come to carry a text that was
    // not selected, or no longer carry one: their boxes in the image are painted
    // again. The image has moved `offset` since and still shows its old parts.
    // False, changing nothing, when too many changed, or one lies outside it.
    bool reraise(const Document& doc, const PaintOptions& options, QPoint offset);
    void check() const;

    Mode mode_ = Mode::None;
    Carried carried_;
    std::vector<PartRef> raised_;  // the raised parts when the drawing last caught up
    QRect shown_;                  // where they were, while they have no image
    uint64_t shownLook_ = 0;       // and how they looked there (lookMovedBack)
};

}  // namespace qm
