#include "render/text_stamps.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QStaticText>

#include "render/device_pixels.h"
#include "render/fonts.h"

namespace qm {
namespace {

// A drawing can hold thousands of different lines; past these bounds a cache
// starts again rather than grow without end.
constexpr qsizetype kMaxLines = 4096;
constexpr qsizetype kMaxStampBytes = 32 * 1024 * 1024;
constexpr qsizetype kMaxSightings = 65536;

struct LineKey {
    const QFont* font;
    QString text;
    bool operator==(const LineKey&) const = default;
};
size_t qHash(const LineKey& k, size_t seed = 0) { return qHashMulti(seed, k.font, k.text); }

// How a stamp is drawn: the same font, colour and device pixels per logical pixel
// give the same glyph pictures; the same kind of image, the same blending.
struct Ink {
    const QFont* font;
    QRgb colour;
    qreal dpr;
    QImage::Format format;
    bool operator==(const Ink&) const = default;
};
size_t qHash(const Ink& k, size_t seed = 0) { return qHashMulti(seed, k.font, k.colour, k.dpr, int{k.format}); }

// The text as UTF-8: a label's caption is looked up as it is stored, without
// converting it first.
struct StampKey {
    Ink ink;
    QByteArray text;
    bool operator==(const StampKey&) const = default;
};
size_t qHash(const StampKey& k, size_t seed = 0) { return qHashMulti(seed, k.ink, k.text); }

QString fromUtf8(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }
QByteArray bytes(std::string_view utf8) { return QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// The line on a transparent image, and where that image's top-left corner lies
// from the line's, in device pixels.
struct Stamp {
    QImage image;
    QPoint offset;
    // Made the first time a watch asks: most stamps are only ever laid down.
    std::shared_ptr<const StampCover> cover;
};

thread_local const StampWatch* watch = nullptr;

const QStaticText& laidOut(const QFont& font, const QString& text) {
    // Keyed by the thread's own fonts, and holding their engines: the thread's own.
    thread_local QHash<LineKey, QStaticText> lines;
    if (lines.size() > kMaxLines) lines.clear();
    const LineKey key{&font, text};
    auto it = lines.find(key);
    if (it == lines.end()) {
        QStaticText t(text);
        t.setTextFormat(Qt::PlainText);
        t.setPerformanceHint(QStaticText::AggressiveCaching);
        t.prepare(QTransform(), font);
        it = lines.insert(key, t);
    }
    return *it;
}

// Where the line's pixels may fall from its top-left corner: the glyphs' own
// extent may pass the line's box (bearings, accents); two pixels more keep the
// antialiased edge inside.
QRectF inkExtent(const QFont& font, const QStaticText& line, const QString& text) {
    const QFontMetricsF fm(font);
    return (QRectF(QPointF(0, 0), line.size()) | fm.boundingRect(text).translated(0, fm.ascent())).adjusted(-2, -2, 2, 2);
}

Stamp makeStamp(const Ink& ink, const QString& text) {
    const QFont& font = *ink.font;
    const QStaticText& line = laidOut(font, text);
    const QRectF extent = inkExtent(font, line, text);
    const QRect device = QRectF(extent.topLeft() * ink.dpr, extent.size() * ink.dpr).toAlignedRect();
    Stamp s{QImage(device.size(), QImage::Format_ARGB32_Premultiplied), device.topLeft(), nullptr};
    s.image.fill(Qt::transparent);
    s.image.setDevicePixelRatio(ink.dpr);
    QPainter p(&s.image);
    followDensity(p, s.image);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font);
    p.setPen(QColor::fromRgb(ink.colour));
    p.drawStaticText(QPointF(-device.topLeft()) / ink.dpr, line);
    p.end();
    // Only the inked part is kept: a stamp is blended pixel by pixel, and the rows
    // and columns left blank by the line's spacing and the margins cost as much.
    int left = s.image.width(), top = s.image.height(), right = -1, bottom = -1;
    for (int y = 0; y < s.image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(s.image.constScanLine(y));
        for (int x = 0; x < s.image.width(); ++x)
            if (row[x]) left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = y;
    }
    const QRect inked(QPoint(left, top), QPoint(right, bottom));
    s.image = inked.isValid() ? s.image.copy(inked) : QImage();
    s.image.setDevicePixelRatio(1);  // laid down pixel for pixel
    s.offset += inked.topLeft();
    return s;
}

// `topLeft` in the painter's coordinates lies on a whole device pixel.
void stamp(QPainter& painter, const QPointF& topLeft, qreal dpr, const Stamp& s) {
    drawOnDevicePixels(painter, topLeft + QPointF(s.offset) / dpr, s.image);
}

// Whether stamping `text` (stamped as `s`) lays down what drawing it does, the
// line drawn both ways at `places` (logical pixels) on an image of `size` over
// every grey level and a few colours; on an image with an alpha channel (a layer
// of raised parts), over every degree of transparency too.
bool stampedAsDrawn(const Ink& ink, const QString& text, const Stamp& s, QSize size, std::span<const QPoint> places) {
    const qreal dpr = ink.dpr;
    QImage drawn(size * dpr, ink.format);
    drawn.setDevicePixelRatio(dpr);
    const bool alpha = drawn.hasAlphaChannel();
    for (int y = 0; y < drawn.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(drawn.scanLine(y));
        for (int x = 0; x < drawn.width(); ++x) {
            const int g = x % 256;
            row[x] = y % 4 == 0 ? qRgb(g, 255 - g, (g * 7) % 256) : qRgb(g, g, g);
            if (alpha && y % 4 == 2) row[x] = qPremultiply(qRgba(g, 255 - g, g / 2, (x * 3 + y) % 256));
            if (alpha && y % 8 == 3) row[x] = 0;
        }
    }
    QImage stamped = drawn;
    {
        QPainter a(&drawn), b(&stamped);
        followDensity(a, drawn);
        followDensity(b, stamped);
        a.translate(1, 3);  // as a canvas's frame moves its drawing
        b.translate(1, 3);
        a.setRenderHint(QPainter::TextAntialiasing, true);
        a.setFont(*ink.font);
        a.setPen(QColor::fromRgb(ink.colour));
        for (const QPoint at : places) {
            a.drawStaticText(at, laidOut(*ink.font, text));
            stamp(b, at, dpr, s);
        }
    }
    return drawn == stamped;
}

// Whether stamping lays down what drawing does for this ink, for a probe line.
bool stampsExact(const Ink& ink) {
    const QString probe = QStringLiteral("永和国Ag图jW");
    const QPoint places[] = {QPoint(3, 2), QPoint(90, 20), QPoint(170, 9)};
    return stampedAsDrawn(ink, probe, makeStamp(ink, probe), QSize(320, 48), places);
}

// Whether stamping this line lays down what drawing it does: where its glyphs'
// smoothed edges meet, as a row of blocks' do, drawing blends each glyph on its
// own, and a stamp has them blended into one another first.
bool lineStampsExact(const Ink& ink, const QString& text, const Stamp& s) {
    const QPointF off = QPointF(s.offset) / ink.dpr;  // where the stamp lies from the line's corner
    const QPoint place(4 + static_cast<int>(std::ceil(std::max(0.0, -off.x()))),
                       4 + static_cast<int>(std::ceil(std::max(0.0, -off.y()))));
    const QSizeF size = QSizeF(place.x() + std::max(0.0, off.x()), place.y() + std::max(0.0, off.y())) +
                        QSizeF(s.image.size()) / ink.dpr + QSizeF(8, 8);
    const QPoint places[] = {place};
    return stampedAsDrawn(ink, text, s, size.toSize(), places);
}

// Past this many device pixels to the em, Qt's raster engine draws glyphs as
// outlines rather than from its cache of glyph pictures.
constexpr qreal kLargestCachedGlyph = 64;

bool asOutlines(const Ink& ink) { return ink.font->pixelSize() * ink.dpr > kLargestCachedGlyph; }

class Stamps {
public:
    // The stamp for the line (`utf8`, and `text` when the caller has it as a
    // QString already), or null while stamping it is not worth it or not exact.
    Stamp* find(const Ink& ink, std::string_view utf8, const QString* text) {
        // Looked up without copying the text.
        const StampKey seek{ink, QByteArray::fromRawData(utf8.data(), static_cast<qsizetype>(utf8.size()))};
        if (auto it = stamps_.find(seek); it != stamps_.end()) return &*it;
        // A line seen once may never come again: drawn, not stamped, the first time;
        // but not glyphs Qt draws as outlines, which come out a grey level apart
        // near an edge of the image drawn on that cuts through them.
        if (sightings_.size() > kMaxSightings) sightings_.clear();
        if (!asOutlines(ink) && !sightings_.contains(seek)) {
            sightings_.insert(StampKey{ink, bytes(utf8)});
            return nullptr;
        }
        auto exact = exact_.find(ink);
        if (exact == exact_.end()) exact = exact_.insert(ink, stampsExact(ink));
        if (!*exact) return nullptr;
        if (bytes_ > kMaxStampBytes) {
            stamps_.clear();
            bytes_ = 0;
        }
        if (neverStamped_.contains(seek)) return nullptr;
        const QString line = text ? *text : fromUtf8(utf8);
        Stamp s = makeStamp(ink, line);
        if (!lineStampsExact(ink, line, s)) {
            if (neverStamped_.size() > kMaxSightings) neverStamped_.clear();
            neverStamped_.insert(StampKey{ink, bytes(utf8)});
            return nullptr;
        }
        bytes_ += s.image.sizeInBytes();
        return &*stamps_.insert(StampKey{ink, bytes(utf8)}, std::move(s));
    }

private:
    QHash<Ink, bool> exact_;
    QHash<StampKey, Stamp> stamps_;
    QSet<StampKey> neverStamped_;  // lines whose stamp would not lay down what drawing them does
    QSet<StampKey> sightings_;
    qsizetype bytes_ = 0;
};

// Whether the painter draws plainly onto an image, opaque or a premultiplied
// layer, scaled alike both ways (`plain`), and the line starts on a whole device
// pixel: the one case stamps are made for. The stamp is made at the scale the
// painter draws at: on a zoomed canvas, the device's pixel ratio times the zoom,
// as a layer of that ratio holds the line.
bool stampable(const QPainter& painter, const QPointF& topLeft, qreal& dpr, QImage::Format& format, bool& plain) {
    plain = false;
    const QPaintDevice* device = painter.device();
    if (!device || device->devType() != QInternal::Image) return false;
    format = static_cast<const QImage*>(device)->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) return false;
    if (painter.compositionMode() != QPainter::CompositionMode_SourceOver || painter.opacity() != 1.0) return false;
    if (painter.pen().style() != Qt::SolidLine || painter.pen().color().alpha() != 255) return false;
    const QTransform t = painter.deviceTransform();
    dpr = t.m11();
    if (t.type() > QTransform::TxScale || dpr <= 0 || t.m22() != dpr) return false;
    plain = true;
    const QPointF at = t.map(topLeft);
    return QPointF(at.toPoint()) == at;
}

// Draws a line of glyphs Qt draws as outlines onto `target`, the image the
// painter draws on (a plain image, scaled alike both ways), as drawing it on an
// image holding all of it would. Drawn directly, such glyphs come out otherwise
// in the rows an edge of the image cuts through, so that a view or an area that
// begins inside the line would not match the whole drawing: the line is drawn
// over a copy of the pixels under it, on an image that holds all of it at the
// same place within a device pixel, and what the painter may paint is copied
// back.
void drawOverCopy(QPainter& painter, const QImage& target, const QPointF& topLeft, const QFont& font, const QString& text) {
    const QStaticText& line = laidOut(font, text);
    const QTransform t = painter.deviceTransform();
    const QRectF extent = inkExtent(font, line, text).translated(topLeft);
    const QRect device = t.mapRect(extent).toAlignedRect();
    // Past the target's edges the copy holds zeros.
    QImage under = target.copy(device);
    under.setDevicePixelRatio(1);
    {
        QPainter p(&under);
        p.setRenderHints(painter.renderHints());
        // Moved by whole device pixels only: the glyphs fall as they would on the target.
        p.setTransform(t * QTransform::fromTranslate(-device.left(), -device.top()));
        p.setFont(font);
        p.setPen(painter.pen());
        p.drawStaticText(topLeft, line);
    }
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    drawOnDevicePixels(painter, t.inverted().map(QPointF(device.topLeft())), under);
    painter.restore();
}

// `text` is `utf8` as a QString, when the caller has it already.
// Everything but laying a stamp down holds the font lock.
void draw(QPainter& painter, const QPointF& topLeft, const QFont& font, std::string_view utf8, const QString* text) {
    thread_local Stamps stamps;  // keyed by the thread's own fonts
    qreal dpr = 1;
    QImage::Format format = QImage::Format_Invalid;
    bool plain = false;
    std::unique_lock lock(fontLock());
    if (stampable(painter, topLeft, dpr, format, plain))
        if (Stamp* s = stamps.find(Ink{&font, painter.pen().color().rgb(), dpr, format}, utf8, text)) {
            if (watch && !s->cover) s->cover = std::make_shared<const StampCover>(s->image);
            const Stamp kept = *s;  // the cache may start again once the lock is let go
            lock.unlock();
            if (watch) {
                const QPoint at = painter.deviceTransform().map(topLeft).toPoint() + kept.offset;
                (*watch)(QRect(at, kept.image.size()), *kept.cover);
                return;
            }
            stamp(painter, topLeft, dpr, kept);
            return;
        }
    if (plain && asOutlines(Ink{&font, painter.pen().color().rgb(), dpr, format})) {
        drawOverCopy(painter, *static_cast<const QImage*>(painter.device()), topLeft, font, text ? *text : fromUtf8(utf8));
        return;
    }
    painter.drawStaticText(topLeft, laidOut(font, text ? *text : fromUtf8(utf8)));
}

}  // namespace

struct StampCover::Kept {
    QImage stamp;
    QHash<int, Squares> squares;  // by size and phase
};

StampCover::StampCover(const QImage& stamp) : kept_(std::make_unique<Kept>()) { kept_->stamp = stamp; }
StampCover::~StampCover() = default;

const StampCover::Squares& StampCover::squares(int size, QPoint phase) const {
    const int key = (size * 8 + phase.x()) * 8 + phase.y();
    if (auto it = kept_->squares.constFind(key); it != kept_->squares.cend()) return *it;
    const QImage& st = kept_->stamp;
    Squares q;
    q.across = (st.width() + phase.x() + size - 1) / size;
    q.down = (st.height() + phase.y() + size - 1) / size;
    q.opaque.assign(static_cast<size_t>(q.across) * static_cast<size_t>(q.down), 0);
    for (int y = 0; y < st.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(st.constScanLine(y));
        const int sy = y + phase.y();
        for (int x = 0; x < st.width(); ++x) {
            if (qAlpha(row[x]) != 255) continue;
            const int sx = x + phase.x();
            q.opaque[static_cast<size_t>(sy / size) * static_cast<size_t>(q.across) + static_cast<size_t>(sx / size)] |=
                uint64_t{1} << ((sy % size) * size + sx % size);
        }
    }
    return *kept_->squares.insert(key, std::move(q));
}

void watchStamps(const StampWatch* w) { watch = w; }

void drawTextLine(QPainter& painter, const QPointF& topLeft, const QFont& font, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    draw(painter, topLeft, font, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), &text);
}

void drawTextLine(QPainter& painter, const QPointF& topLeft, const QFont& font, std::string_view utf8) {
    draw(painter, topLeft, font, utf8, nullptr);
}

}  // namespace qm
