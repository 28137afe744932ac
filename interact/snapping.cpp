#include "interact/snapping.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "interact/canvas_edge.h"
#include "interact/glue.h"
#include "interact/selection.h"
#include "model/selection_look.h"
#include "model/vocabulary.h"

namespace qm {
namespace {

// Marks of one axis, sorted, those at one position (to the quarter twip: edges lie
// on whole twips, middles on halves) merged into one, into `out`. Put in buckets by
// position rather than sorted: a large drawing gives a hundred thousand marks, and
// sorting them took most of the press's frame. Positions spread implausibly far
// apart are sorted all the same. `marks` is left in any order.
void merge(std::vector<GuideMark>& marks, std::vector<GuideMark>& out) {
    std::erase_if(marks, [](const GuideMark& m) { return !std::isfinite(m.at) || std::fabs(m.at) > 1e9f; });
    // Half away from zero, as std::llround, without a call per mark: twice a float
    // plus a half is exact in a double.
    const auto key = [](float at) {
        const double d = static_cast<double>(at) * 2;
        return d < 0 ? -static_cast<long long>(0.5 - d) : static_cast<long long>(d + 0.5);
    };
    long long lo = 0, hi = -1;
    for (const GuideMark& m : marks) {
        const long long k = key(m.at);
        if (hi < lo) lo = hi = k;
        lo = std::min(lo, k);
        hi = std::max(hi, k);
    }
    constexpr long long kMostBuckets = 1 << 22;
    out.clear();
    const auto add = [](GuideMark& into, const GuideMark& m) {
        into.from = std::min(into.from, m.from);
        into.to = std::max(into.to, m.to);
    };
    if (hi - lo >= kMostBuckets) {
        std::sort(marks.begin(), marks.end(), [](const GuideMark& a, const GuideMark& b) { return a.at < b.at; });
        for (const GuideMark& m : marks)
            if (!out.empty() && key(out.back().at) == key(m.at)) add(out.back(), m);
            else out.push_back(m);
        return;
    }
    // Kept from press to press, as the marks are (gatherGuides).
    thread_local std::vector<GuideMark> bucket;
    thread_local std::vector<char> used;
    bucket.resize(static_cast<size_t>(hi - lo + 1));
    used.assign(bucket.size(), 0);
    for (const GuideMark& m : marks) {
        const auto b = static_cast<size_t>(key(m.at) - lo);
        if (used[b]) add(bucket[b], m);
        else bucket[b] = m, used[b] = 1;
    }
    for (size_t b = 0; b < bucket.size(); ++b)
        if (used[b]) out.push_back(bucket[b]);
}

const GuideMark* nearestMark(const std::vector<GuideMark>& marks, float v) {
    const auto it = std::lower_bound(marks.begin(), marks.end(), v, [](const GuideMark& m, float x) { return m.at < x; });
    const GuideMark* best = nullptr;
    if (it != marks.end()) best = &*it;
    if (it != marks.begin()) {
        const GuideMark* before = &*std::prev(it);
        if (!best || v - before->at <= best->at - v) best = before;
    }
    return best;
}

// The shortest way, within reach, from any of `features` to a mark.
std::optional<float> nearestShift(const std::vector<GuideMark>& marks, std::initializer_list<float> features, float reach) {
    std::optional<float> shift;
    for (float f : features) {
        const GuideMark* m = nearestMark(marks, f);
        if (!m) continue;
        const float d = m->at - f;
        if (std::fabs(d) <= reach && (!shift || std::fabs(d) < std::fabs(*shift))) shift = d;
    }
    return shift;
}

// Along one axis, a box and the band it spans across that axis.
struct Span {
    float lo, hi, acrossLo, acrossHi;
};
Span alongX(const BoxF& b) { return {b.left, b.right, b.top, b.bottom}; }
Span alongY(const BoxF& b) { return {b.top, b.bottom, b.left, b.right}; }

// The nearest neighbours before and after `s` in its row (or column): those that
// share some of its band across and lie wholly to one side of it.
struct Neighbours {
    std::optional<Span> before, after;
};
Neighbours neighboursOf(const std::vector<BoxF>& others, const Span& s, Span (*along)(const BoxF&)) {
    Neighbours n;
    for (const BoxF& b : others) {
        const Span o = along(b);
        if (o.acrossHi < s.acrossLo || o.acrossLo > s.acrossHi) continue;
        if (o.hi <= s.lo && (!n.before || o.hi > n.before->hi)) n.before = o;
        if (o.lo >= s.hi && (!n.after || o.lo < n.after->lo)) n.after = o;
    }
    return n;
}

// The shift that leaves equal gaps on both sides, when it is within reach.
std::optional<float> spacingShift(const std::vector<BoxF>& others, const Span& s, Span (*along)(const BoxF&), float reach) {
    const Neighbours n = neighboursOf(others, s, along);
    if (!n.before || !n.after) return std::nullopt;
    const float d = std::nearbyint(((n.after->lo - s.hi) - (s.lo - n.before->hi)) / 2);
    if (std::fabs(d) > reach) return std::nullopt;
    return d;
}

float reachOf(const Editor& ed) { return ed.screenTolerance(kGuideReach); }

// A twip apart still counts as lined up: moves go by whole twips, centres may lie
// between them.
constexpr float kAligned = 0.5f;

void addLines(std::vector<GuideLine>& lines, const std::vector<GuideMark>& marks, bool vertical,
              std::initializer_list<float> features, float from, float to) {
    for (float f : features) {
        const GuideMark* m = nearestMark(marks, f);
        if (!m || std::fabs(m->at - f) > kAligned) continue;
        const GuideLine line{vertical, m->at, std::min(from, m->from), std::max(to, m->to)};
        if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
    }
}

void addSpacingLines(std::vector<GuideLine>& lines, const std::vector<BoxF>& others, const Span& s,
                     Span (*along)(const BoxF&), bool rows) {
    const Neighbours n = neighboursOf(others, s, along);
    if (!n.before || !n.after) return;
    const float before = s.lo - n.before->hi, after = n.after->lo - s.hi;
    if (std::fabs(before - after) > 2 * kAligned) return;
    // Through the middle of the band the three share, or of the dragged one.
    const float lo = std::max({s.acrossLo, n.before->acrossLo, n.after->acrossLo});
    const float hi = std::min({s.acrossHi, n.before->acrossHi, n.after->acrossHi});
    const float mid = lo <= hi ? (lo + hi) / 2 : (s.acrossLo + s.acrossHi) / 2;
    lines.push_back({!rows, mid, n.before->hi, s.lo});
    lines.push_back({!rows, mid, s.hi, n.after->lo});
}

}  // namespace

float onGrid(float v) { return std::nearbyint(v / kGridStep) * kGridStep; }

bool snapsToGrid(const Editor& ed) { return ed.snapToGrid && !ed.snapHeldOff; }
bool snapsToGuides(const Editor& ed) { return ed.alignmentGuides && !ed.snapHeldOff && ed.guides.active; }

void gatherGuides(Editor& ed) {
    if (!ed.alignmentGuides) {
        ed.guides = {};
        return;
    }
    ed.guides.end();
    const Document& doc = ed.doc;
    // The marks of a large drawing are megabytes: fresh memory for them each press
    // would first be faulted in, page by page, within the press's frame.
    thread_local std::vector<GuideMark> xs, ys;
    xs.clear();
    ys.clear();
    const BoxF canvas = canvasBox(ed);
    xs.push_back({(canvas.left + canvas.right) / 2, canvas.top, canvas.bottom});
    ys.push_back({(canvas.top + canvas.bottom) / 2, canvas.left, canvas.right});
    // Left out: what moves (the selection, the labels it takes along, the arrows
    // with an end glued to it), and the texts of rectangles, ellipses and
    // diamonds, which line up as their shape does. Found once here, not asked of
    // each element: a drawing may hold tens of thousands.
    const std::vector<ElementRef> candidates = everySelectable(ed);
    std::vector<ElementRef> left = selectedElements(doc);
    for (ElementRef s : selectedElements(doc))
        for (int label : carriedLabels(doc, s)) left.push_back({ElementKind::Label, label});
    for (int arrow : gluedArrows(ed.drag.glued)) left.push_back({ElementKind::Arrow, arrow});
    for (ElementRef e : candidates)
        if (e.kind == ElementKind::Shape || e.kind == ElementKind::Diamond)
            for (int label : elementLabels(doc, e)) left.push_back({ElementKind::Label, label});
    std::sort(left.begin(), left.end());
    xs.reserve(3 * candidates.size() + 1);
    ys.reserve(3 * candidates.size() + 1);
    ed.guides.others.reserve(candidates.size());
    for (ElementRef e : candidates) {
        if (std::binary_search(left.begin(), left.end(), e)) continue;
        const std::optional<BoxF> b = outlineOf(doc, e);
        if (!b) continue;
        for (float x : {b->left, (b->left + b->right) / 2, b->right}) xs.push_back({x, b->top, b->bottom});
        for (float y : {b->top, (b->top + b->bottom) / 2, b->bottom}) ys.push_back({y, b->left, b->right});
        ed.guides.others.push_back(*b);
    }
    merge(xs, ed.guides.xs);
    merge(ys, ed.guides.ys);
    ed.guides.active = true;
}

PointF snapBoxBy(const Editor& ed, const BoxF& box) {
    PointF by;
    std::optional<float> dx, dy;
    if (snapsToGuides(ed)) {
        const float reach = reachOf(ed);
        const DragGuides& g = ed.guides;
        dx = nearestShift(g.xs, {box.left, (box.left + box.right) / 2, box.right}, reach);
        dy = nearestShift(g.ys, {box.top, (box.top + box.bottom) / 2, box.bottom}, reach);
        if (!dx) dx = spacingShift(g.others, alongX(box), alongX, reach);
        if (!dy) dy = spacingShift(g.others, alongY(box), alongY, reach);
    }
    if (snapsToGrid(ed)) {
        if (!dx) dx = onGrid(box.left) - box.left;
        if (!dy) dy = onGrid(box.top) - box.top;
    }
    if (dx) by.x = std::nearbyint(*dx);
    if (dy) by.y = std::nearbyint(*dy);
    return by;
}

PointF snapPoint(const Editor& ed, PointF p) {
    std::optional<float> dx, dy;
    if (snapsToGuides(ed)) {
        dx = nearestShift(ed.guides.xs, {p.x}, reachOf(ed));
        dy = nearestShift(ed.guides.ys, {p.y}, reachOf(ed));
    }
    if (snapsToGrid(ed)) {
        if (!dx) dx = onGrid(p.x) - p.x;
        if (!dy) dy = onGrid(p.y) - p.y;
    }
    return {p.x + std::nearbyint(dx.value_or(0)), p.y + std::nearbyint(dy.value_or(0))};
}

void showGuidesFor(Editor& ed, const BoxF& box) {
    std::vector<GuideLine> lines;
    if (snapsToGuides(ed)) {
        const DragGuides& g = ed.guides;
        addLines(lines, g.xs, true, {box.left, (box.left + box.right) / 2, box.right}, box.top, box.bottom);
        addLines(lines, g.ys, false, {box.top, (box.top + box.bottom) / 2, box.bottom}, box.left, box.right);
        addSpacingLines(lines, g.others, alongX(box), alongX, true);
        addSpacingLines(lines, g.others, alongY(box), alongY, false);
    }
    ed.guides.lines = std::move(lines);
}

void showGuidesForPoint(Editor& ed, PointF p) {
    std::vector<GuideLine> lines;
    if (snapsToGuides(ed)) {
        addLines(lines, ed.guides.xs, true, {p.x}, p.y, p.y);
        addLines(lines, ed.guides.ys, false, {p.y}, p.x, p.x);
    }
    ed.guides.lines = std::move(lines);
}

}  // namespace qm
