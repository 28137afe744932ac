#include "render/canvas_boxes.h"

#include <algorithm>
#include <iterator>
#include <span>

namespace qm {

std::vector<QRect> coalesce(const std::vector<QRect>& pieces, const QRect& within, size_t most) {
    constexpr qint64 kSliver = 16 * 16;
    const auto growth = [](const QRect& a, const QRect& b) { return areaOf(a | b) - areaOf(a) - areaOf(b); };
    std::vector<QRect> boxes;
    for (QRect r : pieces) {
        r &= within;
        if (r.isEmpty()) continue;
        // Past a few dozen boxes a piece joins the nearest one whatever it adds, so
        // that pairing boxes up below stays cheap.
        const bool crowded = boxes.size() >= 4 * most;
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
    while (boxes.size() > most) {
        size_t a = 0, b = 1;
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t j = i + 1; j < boxes.size(); ++j)
                if (growth(boxes[i], boxes[j]) < growth(boxes[a], boxes[b])) a = i, b = j;
        boxes[a] |= boxes[b];
        boxes.erase(boxes.begin() + static_cast<std::ptrdiff_t>(b));
    }
    return boxes;
}

std::vector<QRect> reachingInto(std::vector<QRect> boxes) {
    for (QRect& b : boxes)
        if (!b.isEmpty()) b.adjust(-1, -1, 1, 1);
    return boxes;
}

std::vector<QRect> boxesOf(const Document& doc, const std::vector<PartRef>& parts, QPoint back) {
    std::vector<QRect> out;
    out.reserve(parts.size());
    for (const PartRef& r : parts) out.push_back(paintedBounds(doc, std::span(&r, 1)).translated(-back));
    return out;
}

std::vector<PartRef> reaching(const std::vector<PartRef>& parts, const std::vector<QRect>& boxes, const QRect& area) {
    std::vector<PartRef> out;
    for (size_t k = 0; k < parts.size(); ++k)
        if (boxes[k].intersects(area)) out.push_back(parts[k]);
    return out;
}

std::vector<PartRef> merged(const std::vector<PartRef>& a, const std::vector<PartRef>& b) {
    std::vector<PartRef> out;
    out.reserve(a.size() + b.size());
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

}  // namespace qm
