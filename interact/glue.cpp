#include "interact/glue.h"

#include <algorithm>
#include <cmath>

#include "interact/arrows.h"
#include "model/element_parts.h"
#include "model/rounding.h"

namespace qm {
namespace {

LineEl* segment(Document& doc, const ArrowRecord& r, int k) { return doc.Line1.find(r.slot[static_cast<size_t>(k)]); }

// Vertex k of an arrow of n segments: 0 starts the first segment, k > 0 ends
// segment k and starts segment k + 1.
void moveVertex(Document& doc, const ArrowRecord& r, int k, float dx, float dy) {
    const int n = r.segmentCount();
    if (k > 0)
        if (LineEl* s = segment(doc, r, k)) s->x2 += dx, s->y2 += dy;
    if (k < n)
        if (LineEl* s = segment(doc, r, k + 1)) s->x1 += dx, s->y1 += dy;
}

bool onPoint(float x, float y, PointF p) { return std::fabs(x - p.x) <= kGlueReach && std::fabs(y - p.y) <= kGlueReach; }

}  // namespace

std::vector<GluedEnd> findGlue(const Document& doc, std::span<const ElementRef> shapes,
                               std::span<const ElementRef> wholeArrows) {
    std::vector<std::pair<ElementRef, std::array<PointF, 4>>> points;
    for (ElementRef s : shapes)
        if (const auto p = connectionPoints(doc, s)) points.emplace_back(s, *p);
    std::vector<GluedEnd> out;
    if (points.empty()) return out;
    for (int a = 1; a <= lastRecordIndex(doc.arrowCount); ++a) {
        if (std::find(wholeArrows.begin(), wholeArrows.end(), ElementRef{ElementKind::Arrow, a}) != wholeArrows.end())
            continue;
        const ArrowRecord& r = doc.arrowRec[static_cast<size_t>(a)];
        const int n = r.segmentCount();
        const LineEl* first = n > 0 ? doc.Line1.find(r.slot[1]) : nullptr;
        const LineEl* last = n > 0 ? doc.Line1.find(r.slot[static_cast<size_t>(n)]) : nullptr;
        if (!first || !last || !first->visible) continue;
        for (const bool head : {false, true}) {
            const LineEl& s = head ? *last : *first;
            const float x = head ? s.x2 : s.x1, y = head ? s.y2 : s.y1;
            for (const auto& [shape, p] : points) {
                const auto k = std::find_if(p.begin(), p.end(), [&](PointF q) { return onPoint(x, y, q); });
                if (k == p.end()) continue;
                GluedEnd g{.arrow = a, .head = head, .on = shape, .point = static_cast<int>(k - p.begin()), .at = *k};
                if (n > 1) g.keep = s.x1 == s.x2 ? GluedEnd::Upright : s.y1 == s.y2 ? GluedEnd::Level : GluedEnd::Neither;
                out.push_back(g);
                break;
            }
        }
    }
    return out;
}

void followGlue(Document& doc, std::vector<GluedEnd>& glued) {
    // How far each end's point moved since the end last followed it.
    std::vector<PointF> by(glued.size());
    for (size_t k = 0; k < glued.size(); ++k) {
        const auto p = connectionPoints(doc, glued[k].on);
        if (!p) continue;
        const PointF now = (*p)[static_cast<size_t>(glued[k].point)];
        by[k] = {now.x - glued[k].at.x, now.y - glued[k].at.y};
        glued[k].at = now;
    }
    for (size_t k = 0; k < glued.size(); ++k) {
        if (by[k] == PointF{}) continue;
        const GluedEnd& g = glued[k];
        ArrowRecord* r = doc.arrowRecord(g.arrow);
        if (!r) continue;
        // The arrow's other end, when it is glued too: found next to this one.
        const size_t other = k + 1 < glued.size() && glued[k + 1].arrow == g.arrow ? k + 1 : glued.size();
        if (other < glued.size() && by[other] == by[k]) {
            translateArrow(doc, g.arrow, by[k].x, by[k].y);
            by[other] = {};
            continue;
        }
        const int n = r->segmentCount();
        const int end = g.head ? n : 0, next = g.head ? n - 1 : 1;
        moveVertex(doc, *r, end, by[k].x, by[k].y);
        if (g.keep == GluedEnd::Level) moveVertex(doc, *r, next, 0, by[k].y);
        if (g.keep == GluedEnd::Upright) moveVertex(doc, *r, next, by[k].x, 0);
        orientArrowHead(doc, g.arrow);
    }
}

std::vector<int> gluedArrows(const std::vector<GluedEnd>& glued) {
    std::vector<int> out;
    for (const GluedEnd& g : glued) out.push_back(g.arrow);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::optional<PointF> connectionPointNear(const Document& doc, float px, float py, double reach) {
    const auto near = [reach](double a, double v) { return v - reach < a && a < v + reach; };
    // Level with the side points the pointer is pulled sideways onto them, else
    // (near the middle line) up or down onto the top or the bottom.
    const auto pull = [px, py, near](const std::array<PointF, 4>& p) -> std::optional<PointF> {
        if (near(py, p[0].y)) {
            if (near(px, p[0].x)) return p[0];
            if (near(px, p[1].x)) return p[1];
        } else if (near(px, p[2].x)) {
            if (near(py, p[2].y)) return p[2];
            if (near(py, p[3].y)) return p[3];
        }
        return std::nullopt;
    };
    for (ElementKind kind : {ElementKind::Shape, ElementKind::Diamond}) {
        const int count = kind == ElementKind::Shape ? doc.shapeCount : doc.diamondCount;
        for (int i = 1; i <= count; ++i)
            if (const auto points = connectionPoints(doc, {kind, i}))
                if (const auto target = pull(*points)) return target;
    }
    return std::nullopt;
}

std::optional<PointF> snapTarget(const Document& doc, int32_t px, int32_t py, double reach) {
    const std::optional<PointF> p =
        connectionPointNear(doc, static_cast<float>(px), static_cast<float>(py), reach);
    if (!p) return std::nullopt;
    return PointF{static_cast<float>(roundI32Sat(p->x)), static_cast<float>(roundI32Sat(p->y))};
}

}  // namespace qm
