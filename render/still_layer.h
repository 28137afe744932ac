// The still layer: everything that stays in place while something moves, painted
// once into an image of the canvas (or of the part of it in view), with a record
// of each painted element's box and look. After any change the record tells which
// boxes look different, and only those are painted again.
#pragma once
#include <vector>

#include <QImage>
#include <QRect>
#include <QSize>

#include "model/document.h"
#include "render/document_painter.h"
#include "render/paint_record.h"

namespace qm {

// `options` painting none of `left` (sorted) and nothing raised: what a layer
// holds of the drawing.
PaintOptions leavingOut(const PaintOptions& options, const std::vector<PartRef>& left);

class StillLayer {
public:
    // What the canvas's still elements are painted from. Legal combinations:
    //   Unrecorded  no size, no record, no image, nothing kept aside;
    //   Recorded    the record says what the canvas shows, painted straight from
    //               the document; no image, nothing kept aside;
    //   Layered     the image holds area() (device pixels of the client area, all
    //               of it or the part in view) as the record has it, or, where a
    //               grown layer kept its old pixels, as the next repair makes it;
    //   KeptAside   Layered, and the layer as it was when several elements were
    //               raised out of it is kept, with its record, while they stay
    //               raised: lowering them puts it back (restore).
    enum class Mode { Unrecorded, Recorded, Layered, KeptAside };
    Mode mode() const { return mode_; }
    bool layered() const { return mode_ == Mode::Layered || mode_ == Mode::KeptAside; }

    // The client area recorded for; invalid while Unrecorded.
    QSize size() const { return size_; }
    const QImage& image() const { return image_; }
    QRect area() const { return area_; }
    qreal dpr() const { return layered() ? image_.devicePixelRatio() : 1; }
    PaintRecord& record() { return record_; }
    const PaintRecord& record() const { return record_; }

    // Unrecorded: the next paint draws everything anew.
    void clear();
    // Recorded afresh from `doc` without `left`, for a client area of `size`.
    void start(const Document& doc, const std::vector<PartRef>& left, QSize size, const PaintOptions& options);
    // No image any more (Recorded), nor one kept aside: the canvas is painted from
    // the document.
    void drop();
    // Layered over `area` (device pixels) at `dpr`, keeping what the old image
    // holds of it when the ratio is the same; the rest is painted from the document.
    void cover(const Document& doc, const std::vector<PartRef>& left, const QRect& area, qreal dpr,
               const PaintOptions& options);

    // Keeps the layer aside when elements are first raised out of it (`wasRaised`
    // false, `raised` true), and takes it back when they are lowered again.
    // Returns the image that restoring let go, memory for a layer painted over whole.
    // `differing` takes the areas where the layer put back shows other pixels than
    // the one it replaces, which the screen shows: what changed in the still
    // drawing while the layer was kept aside, whatever the document is now.
    QImage keepOrRestore(bool wasRaised, bool raised, std::vector<QRect>& differing);
    // The memory of the record kept aside, touched in advance, so that keeping
    // the record aside at a raising faults in no fresh pages.
    void touchKeptRecord() { kept_.record = record_; }

    // `boxes` (client pixels) grown to whole device pixels of the image, within
    // `client`, so that a box repainted covers its pixels whole.
    void alignToDevicePixels(std::vector<QRect>& boxes, const QRect& client) const;
    // Paints `boxes` again, box by box, from the elements the record holds there.
    // `spare`: memory of the image's size to take when the image is painted over
    // whole while still shared with the one kept aside.
    void repair(const Document& doc, const std::vector<QRect>& boxes, const PaintOptions& options, QImage& spare);

private:
    // The layer kept aside while elements are raised out of it. The record's
    // memory stays for the next raising: on the largest drawing it is megabytes,
    // which fresh memory would first fault in, page by page.
    struct Kept {
        QImage image;
        QRect area;
        PaintRecord record;
    };
    // The members agree with the mode (checked in debug builds).
    void check() const;

    Mode mode_ = Mode::Unrecorded;
    QSize size_;
    QImage image_;
    QRect area_;
    PaintRecord record_;  // what the image, or the canvas, shows
    Kept kept_;
};

}  // namespace qm
