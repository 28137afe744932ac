// Lines of label text drawn fast and always alike. Each line is laid out once per
// font and text; on a raster image, where a drawing repeats its captions (every
// new label starts with the same one), a line seen before is stamped from a
// picture of it made once, which costs a fraction of drawing its glyphs again.
// A stamp lays down exactly the pixels drawing the line would: that is checked
// once for each font, colour and pixel ratio, and lines are drawn when it fails.
#pragma once
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include <QFont>
#include <QPointF>
#include <QRect>
#include <QString>

class QImage;
class QPainter;

namespace qm {

// Draws `text` with its top-left corner at `topLeft`, in `font` (which must live
// as long as the program, as labelFont's do) and the painter's pen colour.
void drawTextLine(QPainter& painter, const QPointF& topLeft, const QFont& font, const QString& text);
// The same for a line held as UTF-8, which is converted only when it is drawn
// rather than stamped.
void drawTextLine(QPainter& painter, const QPointF& topLeft, const QFont& font, std::string_view utf8);

// Where a stamp's pixels are fully opaque: laid down there, it hides whatever
// lies beneath, exactly, for its colour is opaque and its coverage whole. Asked of
// squares of `size` device pixels a side, the first with its corner `phase` up
// and left of the stamp's, in rows of `across`: one bit for each pixel of a
// square, row by row. Kept for each size and phase asked (a thread's own).
class StampCover {
public:
    explicit StampCover(const QImage& stamp);
    ~StampCover();
    struct Squares {
        int across = 0, down = 0;
        std::vector<uint64_t> opaque;
    };
    // `size` at most 8.
    const Squares& squares(int size, QPoint phase) const;

private:
    struct Kept;
    std::unique_ptr<Kept> kept_;
};

// While a watch is set on a thread, lines that would be stamped there are not
// drawn but told to it: where the stamp lies, in the device's pixels, and where it
// covers them. Lines drawn rather than stamped are drawn as ever. Null stops it.
using StampWatch = std::function<void(const QRect& device, const StampCover& cover)>;
void watchStamps(const StampWatch* watch);

}  // namespace qm
