// Boxes of the canvas (client pixels) that the paint cache repaints by: a few
// boxes covering many small pieces, and the parts of a drawing found by their
// boxes rather than by painting every element culled.
#pragma once
#include <vector>

#include <QRect>

#include "model/document.h"
#include "render/document_painter.h"

namespace qm {

// The pixels a box holds; a canvas of device pixels outgrows an int.
inline qint64 areaOf(const QRect& box) { return qint64{box.width()} * box.height(); }

// A few boxes covering `pieces` inside `within`, wasting little area on what did
// not change: a piece joins the box it grows least when that adds only a sliver,
// and while there are more than `most` boxes the two that make the smallest union
// become one. Each box is painted on its own, so an element lying across several
// is painted for each of them: sixteen boxes cost least on the largest drawing.
std::vector<QRect> coalesce(const std::vector<QRect>& pieces, const QRect& within, size_t most = 16);

// The boxes a canvas pixel larger each way: zoomed, a line's pixels reach past
// the box it is recorded in, into the next canvas pixel.
std::vector<QRect> reachingInto(std::vector<QRect> boxes);

// Each part's painted box, taken `back` canvas pixels back.
std::vector<QRect> boxesOf(const Document& doc, const std::vector<PartRef>& parts, QPoint back = {});

// The parts, in their order, whose box (of `boxes`, one each) meets `area`.
std::vector<PartRef> reaching(const std::vector<PartRef>& parts, const std::vector<QRect>& boxes, const QRect& area);

// The union of two sorted lists of parts, sorted.
std::vector<PartRef> merged(const std::vector<PartRef>& a, const std::vector<PartRef>& b);

}  // namespace qm
