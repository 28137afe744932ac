#include "render/paint_record.h"

#include <algorithm>
#include <bit>
#include <string_view>
#include <type_traits>
#include <utility>

#include "render/bands.h"
#include "render/paint_order.h"
#include "render/twips.h"

namespace qm {
namespace {

// A fingerprint built field by field. 64 bits: two different looks of one element
// sharing one by chance is not a practical concern.
class Look {
public:
    Look& operator<<(uint64_t v) {
        h_ = (h_ ^ v) * 0x100000001b3ULL;
        h_ ^= h_ >> 29;
        return *this;
    }
    Look& operator<<(float v) { return *this << static_cast<uint64_t>(std::bit_cast<uint32_t>(v)); }
    Look& operator<<(int v) { return *this << static_cast<uint64_t>(static_cast<uint32_t>(v)); }
    Look& operator<<(std::string_view s) {
        *this << static_cast<uint64_t>(s.size());
        return *this << static_cast<uint64_t>(std::hash<std::string_view>{}(s));
    }
    // Never 0, which stands for nothing painted.
    uint64_t value() const { return h_ | 1; }

private:
    uint64_t h_ = 0xcbf29ce484222325ULL;
};

// Everything of an element that its pixels depend on besides its box; the box is
// compared on its own. Positions are taken (dx, dy) back, to compare an element
// with itself before a move.
// A position as it is painted, on whole twips with halves rounded to even, taken
// `d` (whole twips) back. A move by an odd number of twips rounds a half the
// other way: an element at a half twip, moved 151 pixels, is painted 152 pixels
// from where it was, and a layer moved whole would show it a pixel off.
uint64_t painted(float v, float d) { return static_cast<uint64_t>(static_cast<int64_t>(wholeTwips(v) - d)); }

// Two 32-bit values in one word, which mixes in one step what took two. Painted
// positions lie within 32 bits wherever they are not whole floats already.
uint64_t both(uint32_t low, uint32_t high) { return low | uint64_t{high} << 32; }
uint64_t both(float low, float high) { return both(std::bit_cast<uint32_t>(low), std::bit_cast<uint32_t>(high)); }
uint64_t both(uint64_t low, uint64_t high) { return both(static_cast<uint32_t>(low), static_cast<uint32_t>(high)); }
uint64_t hashOf(std::string_view s) { return std::hash<std::string_view>{}(s); }

uint64_t lookOf(const ShapeEl& s, float dx = 0, float dy = 0) {
    return (Look() << both(s.left - dx, s.top - dy) << both(painted(s.left, dx), painted(s.top, dy))
                   << both(s.width, s.height)
                   << both(static_cast<uint32_t>(s.style), static_cast<uint32_t>(s.borderColor)))
        .value();
}
uint64_t lookOf(const LineEl& l, float dx = 0, float dy = 0) {
    return (Look() << both(l.x1 - dx, l.y1 - dy) << both(l.x2 - dx, l.y2 - dy)
                   << both(painted(l.x1, dx), painted(l.y1, dy)) << both(painted(l.x2, dx), painted(l.y2, dy))
                   << both(static_cast<uint32_t>(l.borderColor), static_cast<uint32_t>(l.style)))
        .value();
}
uint64_t lookOf(const LabelEl& l, float dx = 0, float dy = 0) {
    const auto sizes = both(static_cast<uint32_t>(l.caption.size()),
                            static_cast<uint32_t>(l.fontName.size()) | uint32_t{l.wordWrap} << 31);
    return (Look() << both(l.left - dx, l.top - dy) << both(painted(l.left, dx), painted(l.top, dy))
                   << both(l.width, l.height)
                   << both(std::bit_cast<uint32_t>(l.fontSize), static_cast<uint32_t>(l.foreColor)) << sizes
                   << hashOf(l.caption) << hashOf(l.fontName))
        .value();
}
uint64_t lookOf(const HandleEl& h, float dx = 0, float dy = 0) {
    return (Look() << both(h.left - dx, h.top - dy) << both(painted(h.left, dx), painted(h.top, dy))
                   << both(h.width, h.height) << static_cast<uint64_t>(h.fill))
        .value();
}
uint64_t lookOf(const PictureEl& p, float dx = 0, float dy = 0) {
    return (Look() << both(p.left - dx, p.top - dy) << both(painted(p.left, dx), painted(p.top, dy))
                   << both(p.width, p.height))
        .value();
}

// Which way a line crosses its box: 1 down to the right, -1 up to the right, 0
// along one side.
template <class Element>
int8_t slantOf(const Element&) {
    return 0;
}
int8_t slantOf(const LineEl& l) {
    const float d = (l.x2 - l.x1) * (l.y2 - l.y1);
    return d > 0 ? 1 : d < 0 ? -1 : 0;
}

uint64_t lookOf(const PaintOptions& o) {
    return (Look() << static_cast<uint64_t>(o.highlight.rgba64()) << static_cast<uint64_t>(o.activeCaption.rgba64())
                   << static_cast<uint64_t>(o.selectionColour.rgba64()) << int{o.antialias} << int{o.handles}
                   << static_cast<float>(o.handleScale) << int{o.fillStrokes})
        .value();
}

// Walks a sorted list of parts along with the elements, which come in the same
// order: whether each element is in the list.
class SortedParts {
public:
    explicit SortedParts(std::span<const PartRef> parts) : next_(parts.begin()), end_(parts.end()) {}
    bool has(PartRef r) {
        while (next_ != end_ && *next_ < r) ++next_;
        return next_ != end_ && *next_ == r;
    }

private:
    std::span<const PartRef>::iterator next_, end_;
};

// Handles alone are painted at a size of the options' choosing.
template <class Element>
QRect boundsOf(const Element& e, qreal) {
    return paintedBounds(e);
}
QRect boundsOf(const HandleEl& h, qreal handleScale) { return paintedBounds(h, handleScale); }

// The ends of the line a slanting mark stands for: it joins two corners of its
// box, one pixel in.
std::pair<QPointF, QPointF> slantingLine(const QRect& b, int8_t slant) {
    return {QPointF(b.left() + 1, slant > 0 ? b.top() + 1 : b.bottom() - 1),
            QPointF(b.right() - 1, slant > 0 ? b.bottom() - 1 : b.top() + 1)};
}

// Whether a slanting line comes within two pixels of `box`, as its pieces do: a
// line across the whole canvas has a box touching almost any area, but passes
// through few.
bool lineReaches(const QRect& b, int8_t slant, const QRect& box) {
    const auto [from, to] = slantingLine(b, slant);
    if (to.x() <= from.x()) return true;
    const qreal left = std::max(from.x(), box.left() - 2.0), right = std::min(to.x(), box.right() + 2.0);
    if (left > right) return false;
    const auto y = [&](qreal x) { return from.y() + (to.y() - from.y()) * (x - from.x()) / (to.x() - from.x()); };
    const qreal atLeft = y(left), atRight = y(right);
    return std::min(atLeft, atRight) <= box.bottom() + 2.0 && std::max(atLeft, atRight) >= box.top() - 2.0;
}

}  // namespace

void PaintRecord::addPieces(std::vector<QRect>& out, const Mark& m) {
    const QRect& b = m.bounds;
    if (b.isEmpty()) return;
    constexpr int kStep = 16;
    if (!m.slant || b.width() <= 2 * kStep || b.height() <= 2 * kStep) {
        out.push_back(b);
        return;
    }
    // A long slanting line: small boxes along it, so that moving it does not
    // repaint all that its box spans. Two pixels round each piece: drawn at twice
    // the pixels, a line was seen to reach past one.
    const auto [from, to] = slantingLine(b, m.slant);
    const int n = (std::max(b.width(), b.height()) + kStep - 1) / kStep;
    for (int k = 0; k < n; ++k) {
        const QPointF start = from + (to - from) * (static_cast<qreal>(k) / n);
        const QPointF end = from + (to - from) * (static_cast<qreal>(k + 1) / n);
        out.push_back(QRectF(start, end).normalized().toAlignedRect().adjusted(-2, -2, 2, 2) & b);
    }
}

void PaintRecord::piecesOf(std::vector<QRect>& out, std::vector<PartRef>& owners, const Document& doc,
                           std::span<const PartRef> parts, qreal handleScale) {
    forEachPart(doc, parts, [&](PartRef r, const auto& e) {
        if (!e.visible) return;
        const size_t before = out.size();
        addPieces(out, Mark{boundsOf(e, handleScale), 1, slantOf(e)});
        owners.insert(owners.end(), out.size() - before, r);
    });
}

namespace {
// Beyond some thousands of boxes, a drawing changed all over: the boxes would
// cost more to list and merge than painting it all does.
constexpr size_t kMostBoxes = 4096;
const QRect kEverywhere(QPoint(-10'000'000, -10'000'000), QPoint(10'000'000, 10'000'000));
}  // namespace

std::vector<QRect> PaintRecord::differences(const PaintRecord& other) const {
    const std::vector<QRect> everything{kEverywhere};
    if (optionsLook_ != other.optionsLook_) return everything;
    std::vector<QRect> out;
    for (size_t f = 0; f < kFamilies; ++f) {
        const std::vector<Mark>& mine = marks_[f];
        const std::vector<Mark>& theirs = other.marks_[f];
        for (size_t i = 0; i < std::max(mine.size(), theirs.size()); ++i) {
            const Mark a = i < mine.size() ? mine[i] : Mark{};
            const Mark b = i < theirs.size() ? theirs[i] : Mark{};
            if (a == b) continue;
            addPieces(out, a);
            addPieces(out, b);
            if (out.size() > kMostBoxes) return everything;
        }
    }
    return out;
}

void PaintRecord::clear() {
    for (auto& family : marks_) family.clear();
    optionsLook_ = 0;
    painted_ = 0;
}

std::vector<QRect> PaintRecord::update(const Document& doc, const PaintOptions& options,
                                       std::span<const PartRef> leftOut, LeftAsShown* asShown,
                                       std::vector<Change>* looksChanged) {
    if (looksChanged) looksChanged->clear();
    std::vector<QRect> changed;
    bool everything = false;
    const auto changedAll = [&changed, &everything] {
        changed.assign(1, kEverywhere);
        everything = true;
    };
    const uint64_t optionsLook = lookOf(options);
    if (optionsLook != optionsLook_) {
        clear();
        optionsLook_ = optionsLook;
        changedAll();
    }
    const auto tooMany = [&] { return changed.size() + (asShown ? asShown->areas.size() : 0) > kMostBoxes; };
    const auto replace = [&](PartRef r, Mark& was, const Mark& now) {
        if (!everything) {
            addPieces(changed, was);
            addPieces(changed, now);
            if (tooMany()) changedAll();
            if (looksChanged) looksChanged->push_back({r, was.bounds, now.bounds});
        }
        if (was.look) --painted_;
        if (now.look) ++painted_;
        was = now;
    };
    // Elements come in index order family by family; what lies between two of them,
    // or after the last, no longer exists.
    std::array<size_t, kFamilies> unseen{};
    const auto forget = [&](size_t f, size_t from, size_t to) {
        std::vector<Mark>& family = marks_[f];
        for (size_t i = from; i < std::min(to, family.size()); ++i)
            if (family[i].look) replace(PartRef{static_cast<Part>(f), static_cast<int>(i)}, family[i], Mark{});
    };
    // The elements come in stacking order, which is PartRef order, as `leftOut` and
    // the selected parts are sorted: one walk along each finds which are in it.
    SortedParts skippedParts(leftOut), selectedParts(options.selected), raisedParts(options.raised);
    // Labels are as many as all the rest and the dearest to fingerprint: when
    // there are thousands, their looks are worked out on the second thread while
    // this one walks the rest.
    constexpr int kLabelsBeside = 4096;
    labelLooks_.resize(static_cast<size_t>(doc.Label.end()));
    Beside labels(
        [this, &doc] {
            for (int i = 1; i < doc.Label.end(); ++i)
                if (const LabelEl* l = doc.Label.find(i)) labelLooks_[static_cast<size_t>(i)] = lookOf(*l);
        },
        doc.Label.end() > kLabelsBeside);
    const auto ownLook = [&](PartRef r, const auto& e) {
        if constexpr (std::is_same_v<std::decay_t<decltype(e)>, LabelEl>) {
            labels.wait();
            return labelLooks_[static_cast<size_t>(r.index)];
        } else {
            return lookOf(e);
        }
    };
    forEachElement(doc, [&](PartRef r, const auto& e) {
        const bool left = skippedParts.has(r), hidden = r.part == Part::spHandle && !options.handles;
        const bool selected = selectedParts.has(r), raised = raisedParts.has(r);
        const auto f = static_cast<size_t>(r.part);
        const auto i = static_cast<size_t>(r.index);
        std::vector<Mark>& family = marks_[f];
        forget(f, unseen[f], i);
        unseen[f] = i + 1;
        Mark now;
        // Drawn in the selection colour, or above the rest, it looks different,
        // whatever its own colour.
        const auto look = [&] {
            return selected || raised ? (Look() << ownLook(r, e) << int{selected} << int{raised}).value()
                                      : ownLook(r, e);
        };
        if (e.visible && !left && !hidden) now.look = look();
        // Nor does the screen need anything for a part left out that paints nothing.
        if (asShown && left && (!e.visible || hidden || boundsOf(e, options.handleScale).isEmpty()))
            asShown->parts.push_back(r);
        if (family.size() <= i) {
            if (!now.look) return;
            family.resize(i + 1);
        }
        Mark& was = family[i];
        // The look holds the element's geometry: the same look, the same box.
        if (was.look == now.look) return;
        if (asShown && left && was.look && !hidden && e.visible && !everything && was.look == look()) {
            asShown->parts.push_back(r);
            addPieces(asShown->areas, was);
            if (tooMany()) changedAll();
            if (looksChanged && !everything) looksChanged->push_back({r, was.bounds, {}});
            --painted_;
            was = Mark{};
            return;
        }
        if (now.look) now.bounds = boundsOf(e, options.handleScale), now.slant = slantOf(e);
        if (now.bounds.isEmpty()) now = Mark{};
        if (was != now) replace(r, was, now);
    });
    for (size_t f = 0; f < kFamilies; ++f) forget(f, unseen[f], marks_[f].size());
    if (everything && looksChanged) looksChanged->clear();
    return changed;
}

std::vector<std::vector<PartRef>> PaintRecord::partsWithin(std::span<const QRect> boxes) const {
    // Every element of the drawing is looked at, so each look must be cheap:
    // QRect::intersects is not inline, and an element is tested only against the
    // boxes level with it, found by bands of rows with a bit for each of the first
    // 64 boxes (any more are tested against every element).
    struct Edges {
        int left, top, right, bottom;
        explicit Edges(const QRect& r) : left(r.left()), top(r.top()), right(r.right()), bottom(r.bottom()) {}
        bool touches(const Edges& o) const {
            return left <= o.right && o.left <= right && top <= o.bottom && o.top <= bottom;
        }
    };
    constexpr int kBand = 8;
    constexpr size_t kBits = 64;
    std::vector<std::vector<PartRef>> out(boxes.size());
    QRect outline;
    for (const QRect& b : boxes) outline |= b;
    if (outline.isEmpty()) return out;
    const Edges all(outline);
    std::vector<Edges> within;
    std::vector<uint64_t> bands(static_cast<size_t>(outline.height() / kBand + 1));
    for (size_t k = 0; k < boxes.size(); ++k) {
        within.emplace_back(boxes[k]);
        if (boxes[k].isEmpty() || k >= kBits) continue;
        for (int band = (boxes[k].top() - all.top) / kBand; band <= (boxes[k].bottom() - all.top) / kBand; ++band)
            bands[static_cast<size_t>(band)] |= uint64_t{1} << k;
    }
    for (size_t f = 0; f < kFamilies; ++f) {
        const std::vector<Mark>& family = marks_[f];
        for (size_t i = 0; i < family.size(); ++i) {
            const Mark& m = family[i];
            if (m.bounds.isEmpty()) continue;
            const Edges e(m.bounds);
            if (!e.touches(all)) continue;
            const auto add = [&](size_t k) {
                if (boxes[k].isEmpty() || !e.touches(within[k])) return;
                if (m.slant && !lineReaches(m.bounds, m.slant, boxes[k])) return;
                out[k].push_back(PartRef{static_cast<Part>(f), static_cast<int>(i)});
            };
            uint64_t level = 0;
            const int last = (std::min(e.bottom, all.bottom) - all.top) / kBand;
            for (int band = (std::max(e.top, all.top) - all.top) / kBand; band <= last; ++band)
                level |= bands[static_cast<size_t>(band)];
            for (; level; level &= level - 1) add(static_cast<size_t>(std::countr_zero(level)));
            for (size_t k = kBits; k < boxes.size(); ++k) add(k);
        }
    }
    return out;
}

uint64_t lookMovedBack(const Document& doc, std::span<const PartRef> parts, PointF by) {
    uint64_t sum = 0;
    forEachPart(doc, parts, [&](PartRef r, const auto& e) {
        sum += (Look() << static_cast<int>(r.part) << r.index << int{e.visible} << lookOf(e, by.x, by.y)).value();
    });
    return sum;
}

}  // namespace qm
