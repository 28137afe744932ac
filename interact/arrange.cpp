#include "interact/arrange.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "interact/move.h"
#include "model/element_parts.h"
#include "model/selection_look.h"

namespace qm {
namespace {

struct Placed {
    ElementRef element;
    BoxF box;
};

std::vector<Placed> selectedBoxes(const Document& doc) {
    std::vector<Placed> out;
    for (ElementRef e : selectedElements(doc))
        if (const std::optional<BoxF> box = outlineOf(doc, e)) out.push_back({e, *box});
    return out;
}

// Whole twips, as files keep them.
float whole(float v) { return std::nearbyint(v); }

}  // namespace

bool canAlign(const Document& doc) { return selectedElements(doc).size() >= 2; }
bool canDistribute(const Document& doc) { return selectedElements(doc).size() >= 3; }

void alignSelection(Editor& ed, Alignment how) {
    const std::vector<Placed> placed = selectedBoxes(ed.doc);
    if (placed.size() < 2) return;
    BoxF all = placed.front().box;
    for (const Placed& p : placed) all = unite(all, p.box);
    std::vector<ElementMove> moves;
    for (const Placed& p : placed) {
        const BoxF& b = p.box;
        PointF by;
        switch (how) {
            case Alignment::Left: by.x = all.left - b.left; break;
            case Alignment::Right: by.x = all.right - b.right; break;
            case Alignment::Centre: by.x = whole((all.left + all.right - b.left - b.right) / 2); break;
            case Alignment::Top: by.y = all.top - b.top; break;
            case Alignment::Bottom: by.y = all.bottom - b.bottom; break;
            case Alignment::Middle: by.y = whole((all.top + all.bottom - b.top - b.bottom) / 2); break;
        }
        moves.push_back({p.element, by});
    }
    moveElements(ed, moves);
}

void distributeSelection(Editor& ed, bool across) {
    std::vector<Placed> placed = selectedBoxes(ed.doc);
    if (placed.size() < 3) return;
    const auto low = [across](const BoxF& b) { return across ? b.left : b.top; };
    const auto high = [across](const BoxF& b) { return across ? b.right : b.bottom; };
    std::stable_sort(placed.begin(), placed.end(),
                     [&](const Placed& a, const Placed& b) { return low(a.box) < low(b.box); });
    float sizes = 0, end = high(placed.front().box);
    for (const Placed& p : placed) sizes += high(p.box) - low(p.box), end = std::max(end, high(p.box));
    const float start = low(placed.front().box);
    const float gap = (end - start - sizes) / static_cast<float>(placed.size() - 1);
    std::vector<ElementMove> moves;
    float at = start;
    for (const Placed& p : placed) {
        const float by = whole(at) - low(p.box);
        moves.push_back({p.element, across ? PointF{by, 0} : PointF{0, by}});
        at += high(p.box) - low(p.box) + gap;
    }
    moveElements(ed, moves);
}

}  // namespace qm
