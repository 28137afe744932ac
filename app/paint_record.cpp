#include "app/paint_record.h"

#include <algorithm>
#include <bit>
#include <string_view>

#include "app/paint_order.h"

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
// compared on its own.
uint64_t lookOf(const ShapeEl& s) { return (Look() << s.left << s.top << s.width << s.height << int{s.style} << s.borderColor).value(); }
uint64_t lookOf(const LineEl& l) {
    return (Look() << l.x1 << l.y1 << l.x2 << l.y2 << l.borderColor << static_cast<int>(l.style)).value();
}
uint64_t lookOf(const LabelEl& l) {
    return (Look() << l.left << l.top << l.width << l.height << std::string_view(l.caption) << l.foreColor
                   << int{l.wordWrap} << std::string_view(l.fontName) << l.fontSize)
        .value();
}
uint64_t lookOf(const HandleEl& h) { return (Look() << static_cast<int>(h.fill)).value(); }
uint64_t lookOf(const PictureEl&) { return Look().value(); }

uint64_t lookOf(const PaintOptions& o) {
    return (Look() << static_cast<uint64_t>(o.highlight.rgba64()) << static_cast<uint64_t>(o.activeCaption.rgba64())
                   << int{o.antialias})
        .value();
}

}  // namespace

void PaintRecord::clear() {
    for (auto& family : marks_) family.clear();
    optionsLook_ = 0;
}

void PaintRecord::take(const Document& doc, const PaintOptions& options) {
    for (auto& family : marks_) family.clear();
    optionsLook_ = lookOf(options);
    forEachElement(doc, [&](PartRef r, const auto& e) {
        const QRect bounds = paintedBounds(e);
        if (bounds.isEmpty() || (options.skip && options.skip(r))) return;
        auto& family = marks_[static_cast<size_t>(r.part)];
        const auto i = static_cast<size_t>(r.index);
        if (family.size() <= i) family.resize(i + 1);
        family[i] = Mark{bounds, lookOf(e)};
    });
}

std::vector<QRect> PaintRecord::differences(const PaintRecord& after) const {
    if (optionsLook_ != after.optionsLook_) return {QRect(QPoint(-10'000'000, -10'000'000), QPoint(10'000'000, 10'000'000))};
    std::vector<QRect> out;
    const Mark none;
    for (size_t f = 0; f < kFamilies; ++f) {
        const std::vector<Mark>& a = marks_[f];
        const std::vector<Mark>& b = after.marks_[f];
        const size_t n = std::max(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            const Mark& was = i < a.size() ? a[i] : none;
            const Mark& now = i < b.size() ? b[i] : none;
            if (was == now) continue;
            if (!was.bounds.isEmpty()) out.push_back(was.bounds);
            if (!now.bounds.isEmpty()) out.push_back(now.bounds);
        }
    }
    return out;
}

QRect paintedBounds(const Document& doc, std::span<const PartRef> parts) {
    QRect out;
    forEachPart(doc, parts, [&out](PartRef, const auto& e) { out |= paintedBounds(e); });
    return out;
}

}  // namespace qm
