#include "render/paint_cache.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QPainter>

#include "model/records.h"
#include "model/sel_kind.h"
#include "model/title_block.h"

namespace qm {
namespace {

void add(std::vector<PartRef>& out, Part part, int index) { out.push_back(PartRef{part, index}); }

// A rectangle's or diamond's own texts and the free labels lying inside it move
// with it; the inner lists are not rebuilt during a drag, so they hold still.
template <class Record>
void addTexts(std::vector<PartRef>& out, const Record& rec) {
    add(out, Part::Label, rec.label1);
    add(out, Part::Label, rec.label2);
    for (int k = 1; k <= innerLabelCount(rec); ++k) add(out, Part::Label, rec.innerLabel[static_cast<size_t>(k)]);
}

void addCornerHandles(std::vector<PartRef>& out) {
    for (int k = 1; k <= 4; ++k) add(out, Part::spHandle, k);
}

void addShape(std::vector<PartRef>& out, const Document& doc, int i) {
    const ShapeRecord* r = doc.shapeRecord(i);
    if (!r) return;
    add(out, Part::Shape1, i);
    add(out, Part::LineRect, i);
    addTexts(out, *r);
    addCornerHandles(out);
}

void addDiamond(std::vector<PartRef>& out, const Document& doc, int i) {
    const DiamondRecord* r = doc.diamondRecord(i);
    if (!r) return;
    for (Part p : {Part::lx1, Part::lx2, Part::lx3, Part::lx4, Part::lx5}) add(out, p, i);
    addTexts(out, *r);
    addCornerHandles(out);
}

// Segments, the head in whichever direction it turns to, the vertex handles and
// the rubber band of drawing.
void addArrow(std::vector<PartRef>& out, const Document& doc, int a) {
    const ArrowRecord* rec = doc.arrowRecord(a);
    if (!rec) return;
    const ArrowRecord& r = *rec;
    const int n = r.segmentCount();
    for (int k = 1; k <= n; ++k) add(out, Part::Line1, r.slot[static_cast<size_t>(k)]);
    for (Part p : {Part::picUp, Part::picDown, Part::picLeft, Part::picRight}) {
        add(out, p, a);
        if (r.head() != a) add(out, p, r.head());
    }
    for (int k = 0; k <= n; ++k) add(out, Part::spHandle, k);
    add(out, Part::lneTemp, 0);
}

// The frame, its dividers and the six cell texts laid out with them; the number
// field and the title stay where they are.
void addTitleBlock(std::vector<PartRef>& out) {
    for (Part p : {Part::Shape2, Part::Line2, Part::Line3, Part::Line4}) add(out, p, 0);
    for (int i = kFirstCellLabel; i <= kLastCellLabel; ++i) add(out, Part::Label, i);
}

}  // namespace

std::vector<PartRef> movingParts(const Document& doc, bool pointerHeld) {
    std::vector<PartRef> out;
    // A new element follows the pointer by itself; a selected one moves, or has a
    // handle dragged, only while a press lasts.
    const std::optional<ElementKind> kind = elementKindOf(doc.selKind);
    if (!kind || !(isNewElement(doc.selKind) || pointerHeld)) return out;
    const int i = doc.selIndex;
    switch (*kind) {
        case ElementKind::Shape: addShape(out, doc, i); break;
        case ElementKind::Diamond: addDiamond(out, doc, i); break;
        case ElementKind::Arrow: addArrow(out, doc, i); break;
        case ElementKind::TitleBlock: addTitleBlock(out); break;
        case ElementKind::Label: add(out, Part::Label, i); break;
    }
    // A record's unused label slot holds 0, which names no label.
    std::erase_if(out, [](const PartRef& r) { return r.part == Part::Label && r.index < 1; });
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

namespace {

// Beyond this many changed boxes the canvas is painted whole: merging them would
// cost more than it saves, and a drawing that changed that much changed all over.
constexpr size_t kMaxPieces = 4096;

// A few boxes covering `pieces` inside `within`, wasting little area on what did
// not change: a piece joins the box it grows least when that adds only a sliver,
// and while there are too many boxes the two that make the smallest union become
// one. Each box is painted on its own, so an element lying across several is
// painted for each of them: sixteen boxes cost least on the largest drawing.
std::vector<QRect> coalesce(const std::vector<QRect>& pieces, const QRect& within) {
    constexpr size_t kMaxBoxes = 16;
    constexpr qint64 kSliver = 16 * 16;
    const auto area = [](const QRect& r) { return qint64{r.width()} * r.height(); };
    const auto growth = [&area](const QRect& a, const QRect& b) { return area(a | b) - area(a) - area(b); };
    std::vector<QRect> boxes;
    for (QRect r : pieces) {
        r &= within;
        if (r.isEmpty()) continue;
        // Past a few dozen boxes a piece joins the nearest one whatever it adds, so
        // that pairing boxes up below stays cheap.
        const bool crowded = boxes.size() >= 4 * kMaxBoxes;
        size_t best = boxes.size();
        for (size_t k = 0; k < boxes.size(); ++k)
            if ((crowded || growth(boxes[k], r) <= kSliver) &&
                (best == boxes.size() || growth(boxes[k], r) < growth(boxes[best], r)))
                best = k;
        if (best < boxes.size())
            boxes[best] |= r;
        else
            boxes.push_back(r);
    }
    while (boxes.size() > kMaxBoxes) {
        size_t a = 0, b = 1;
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t j = i + 1; j < boxes.size(); ++j)
                if (growth(boxes[i], boxes[j]) < growth(boxes[a], boxes[b])) a = i, b = j;
        boxes[a] |= boxes[b];
        boxes.erase(boxes.begin() + static_cast<std::ptrdiff_t>(b));
    }
    return boxes;
}

QSize devicePixels(QSize size, qreal dpr) {
    return {static_cast<int>(std::ceil(size.width() * dpr)), static_cast<int>(std::ceil(size.height() * dpr))};
}

PaintOptions leavingOut(const PaintOptions& options, const std::vector<PartRef>& moving) {
    PaintOptions still = options;
    still.skip = [&moving](PartRef r) { return std::binary_search(moving.begin(), moving.end(), r); };
    return still;
}

}  // namespace

PaintCache::PaintCache(size_t layerFrom) : layerFrom_(layerFrom) {}

void PaintCache::invalidate() {
    layer_ = QImage();
    layerArea_ = QRect();
    record_.clear();
    size_ = QSize();
}

bool PaintCache::keepsLayer(const std::vector<PartRef>& moving) const {
    return !moving.empty() || record_.painted() >= layerFrom_;
}

void PaintCache::record(const Document& doc, const std::vector<PartRef>& moving, QSize size,
                        const PaintOptions& options) {
    layer_ = QImage();
    layerArea_ = QRect();
    record_.clear();
    record_.update(doc, options, moving);
    size_ = size;
    handleScale_ = options.handleScale;
    movingShown_ = paintedBounds(doc, moving, handleScale_);
}

QRegion PaintCache::moved(const Document& doc, const std::vector<PartRef>& moving) {
    const QRect now = paintedBounds(doc, moving, handleScale_);
    QRegion out = QRegion(movingShown_) + now;
    movingShown_ = now;
    return out & QRect(QPoint(0, 0), size_);
}

void PaintCache::beginOnLayer(QPainter& p) {
    p.begin(&layer_);
    p.translate(-QPointF(layerArea_.topLeft()) / layer_.devicePixelRatio());
}

void PaintCache::cover(const Document& doc, const std::vector<PartRef>& moving, const QRect& area, qreal dpr,
                       const PaintOptions& options) {
    QImage next(area.size(), QImage::Format_RGB32);
    QRegion fresh(area);
    if (!layer_.isNull() && layer_.devicePixelRatio() == dpr) {
        // What the old layer holds stays as it is, pixel for pixel.
        layer_.setDevicePixelRatio(1);
        QPainter copy(&next);
        copy.drawImage(layerArea_.topLeft() - area.topLeft(), layer_);
        fresh -= layerArea_;
    }
    next.setDevicePixelRatio(dpr);
    const bool allFresh = fresh == QRegion(area);
    layer_ = std::move(next);
    layerArea_ = area;
    QPainter p;
    beginOnLayer(p);
    PaintOptions still = leavingOut(options, moving);
    for (const QRect& piece : fresh) {
        // Device pixels to canvas pixels: exact, for the edges lie on whole device pixels.
        const QRectF clip(QPointF(piece.topLeft()) / dpr, QSizeF(piece.size()) / dpr);
        p.setClipRect(clip);
        p.fillRect(clip, kCanvasBackground);
        still.exposed = clip;
        paintDocument(p, doc, still);
    }
    // A layer painted whole shows the document as it is now. What a grown one kept
    // is as the record has it, and is brought in line by the next catching up.
    if (allFresh) record_.update(doc, options, moving);
}

QRegion PaintCache::catchUp(const Document& doc, const std::vector<PartRef>& moving, QSize size,
                            const PaintOptions& options) {
    const QRect client(QPoint(0, 0), size);
    if (size != size_) {
        record(doc, moving, size, options);
        return client;
    }
    const std::vector<QRect> changed = record_.update(doc, options, moving);
    if (!keepsLayer(moving)) layer_ = QImage();
    const std::vector<QRect> boxes =
        changed.size() > kMaxPieces ? std::vector<QRect>{client} : coalesce(changed, client);
    QRegion dirty;
    for (const QRect& box : boxes) dirty += box;
    if (layer_.isNull()) return dirty + moved(doc, moving);
    // Box by box, each clipped to a plain rectangle, which the raster engine
    // clips images and lines to far faster than to a region of many rectangles.
    // Where boxes overlap, the later one paints that part again, whole and in order.
    const std::vector<std::vector<PartRef>> parts = record_.partsWithin(boxes);
    QPainter p;
    beginOnLayer(p);
    // What the layer does not hold needs no painting now; it is painted when shown.
    const QRectF held(QPointF(layerArea_.topLeft()) / layer_.devicePixelRatio(),
                      QSizeF(layerArea_.size()) / layer_.devicePixelRatio());
    PaintOptions still = options;  // the record leaves out the moving parts
    for (size_t k = 0; k < boxes.size(); ++k) {
        const QRect& box = boxes[k];
        if (box.isEmpty() || !held.intersects(QRectF(box))) continue;
        p.setClipRect(box);
        p.fillRect(box, kCanvasBackground);
        still.exposed = QRectF(box);
        paintParts(p, doc, parts[k], still);
    }
    return dirty + moved(doc, moving);
}

void PaintCache::paint(QPainter& painter, const Document& doc, const std::vector<PartRef>& moving, QSize size,
                       qreal dpr, const QRectF& exposed, const PaintOptions& options, const QRectF& shown) {
    if (size != size_) record(doc, moving, size, options);
    const QRectF whole(QPointF(0, 0), QSizeF(size));
    const QRectF area = exposed.isNull() ? whole : exposed;
    if (keepsLayer(moving)) {
        const auto device = [dpr](const QRectF& r) { return QRectF(r.topLeft() * dpr, r.size() * dpr).toAlignedRect(); };
        const QRect all(QPoint(0, 0), devicePixels(size, dpr));
        const QRect needed = (device(shown.isNull() ? whole : shown) | device(area)) & all;
        if (needed.isEmpty()) return;
        if (layer_.isNull() || layer_.devicePixelRatio() != dpr || !layerArea_.contains(needed))
            cover(doc, moving, needed, dpr, options);
        painter.drawImage(area, layer_, QRectF(area.topLeft() * dpr - QPointF(layerArea_.topLeft()), area.size() * dpr));
    } else {
        // A drawing this small paints in less time than the layer would take to
        // keep: straight from the document, as the layer would show it.
        layer_ = QImage();
        painter.fillRect(area, kCanvasBackground);
        PaintOptions still = leavingOut(options, moving);
        still.exposed = area;
        paintDocument(painter, doc, still);
    }
    PaintOptions live = options;
    live.exposed = area;
    paintParts(painter, doc, moving, live);
}

}  // namespace qm
