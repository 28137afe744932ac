#include "render/raise_preparation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/canvas_boxes.h"

namespace qm {

void RaisePreparation::check() const {
    Q_ASSERT(ready_.image.isNull() == (mode_ == Mode::None));
    Q_ASSERT(mode_ != Mode::Painting || rows_ < ready_.image.height());
    Q_ASSERT(mode_ != Mode::Ready || rows_ >= ready_.image.height());
}

void RaisePreparation::clear() {
    drop();
    spare_ = QImage();
}

void RaisePreparation::drop() {
    mode_ = Mode::None;
    ready_ = {};
    rows_ = 0;
}

std::optional<Carried> RaisePreparation::take(const PaintOptions& options) {
    std::optional<Carried> out;
    if (mode_ == Mode::Ready && ready_.parts == options.raised && ready_.selected == options.selected)
        out = std::move(ready_);
    drop();
    return out;
}

void RaisePreparation::keepLowered(const Carried& lowered) {
    ready_ = lowered;
    rows_ = ready_.image.height();
    mode_ = Mode::Ready;
    check();
}

void RaisePreparation::giveSpare(QImage image) {
    if (image.isNull()) return;
    spare_ = std::move(image);
    spareRows_ = spare_.height();
}

bool RaisePreparation::step(const Document& doc, QSize size, qreal dpr, const PaintOptions& options,
                            StillLayer& still) {
    // Rows are painted about 32 device pixels at a time, a few milliseconds' work
    // on the largest drawing; each cut must fall on a whole device pixel.
    const qreal slice = (dpr > 1 ? 16 : 32) * dpr;
    if (slice != std::floor(slice)) {
        drop();
        return false;
    }
    if (mode_ == Mode::None || ready_.parts != options.raised || ready_.selected != options.selected ||
        ready_.image.devicePixelRatio() != dpr) {
        ready_ = Carried::forRaised(doc, size, dpr, options);
        rows_ = 0;
        mode_ = ready_.image.isNull() ? Mode::None : Mode::Painting;
        check();
        if (mode_ == Mode::None) return false;
        ready_.bounds = boxesOf(doc, options.raised);
        return true;
    }
    // Memory for the layer that raising them leaves behind, and for the record
    // kept of the layer meanwhile, touched in advance: new memory would be
    // faulted in page by page, in the frame of 全选. A few megabytes a step, as
    // faulting them in takes as long as painting a slice of rows.
    const QImage& layer = still.image();
    if (spare_.size() != layer.size()) {
        spare_ = QImage(layer.size(), layer.format());
        spareRows_ = 0;
        still.touchKeptRecord();
        return true;
    }
    if (spareRows_ < spare_.height()) {
        const int rows = std::min(spare_.height() - spareRows_,
                                  std::max(1, static_cast<int>((qsizetype{2} << 20) / spare_.bytesPerLine())));
        std::memset(spare_.scanLine(spareRows_), 0, static_cast<size_t>(rows) * spare_.bytesPerLine());
        spareRows_ += rows;
        return true;
    }
    if (mode_ == Mode::Ready) return false;
    const int to = rows_ + static_cast<int>(slice);
    // The rows across the layer, a canvas pixel more each way.
    const int top = ready_.area.top() + static_cast<int>(rows_ / dpr);
    const int bottom = ready_.area.top() + static_cast<int>(std::ceil(to / dpr));
    const QRect rows(QPoint(ready_.area.left(), top - 1), QPoint(ready_.area.right(), bottom + 1));
    paintRaisedRows(ready_.image, doc, options, reaching(options.raised, ready_.bounds, rows), ready_.area, rows_,
                    to);
    rows_ = to;
    if (rows_ >= ready_.image.height()) mode_ = Mode::Ready;
    check();
    return mode_ != Mode::Ready;
}

}  // namespace qm
