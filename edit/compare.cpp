#include "edit/compare.h"

#include <algorithm>
#include <climits>
#include <tuple>

#include "io/qmp_convert.h"
#include "model/editor.h"
#include "model/rounding.h"
#include "model/vocabulary.h"

namespace qm {
namespace {

int32_t twips(float v) { return roundI32Sat(v); }

TwipBox boxOf(float left, float top, float width, float height) {
    return {twips(left), twips(top), twips(width), twips(height)};
}

// The smallest box holding every point.
TwipBox boundsOf(const std::vector<TwipPoint>& pts) {
    if (pts.empty()) return {};
    int32_t l = INT32_MAX, t = INT32_MAX, r = INT32_MIN, b = INT32_MIN;
    for (const TwipPoint& p : pts) {
        l = std::min(l, p.x), t = std::min(t, p.y), r = std::max(r, p.x), b = std::max(b, p.y);
    }
    return {l, t, r - l, b - t};
}

std::string textOf(const Document& doc, int label) {
    const LabelEl* l = doc.Label.find(label);
    return l && l->visible ? l->caption : std::string();
}

// An element with one text (label2 0) or two.
ChartElement withTexts(const Document& doc, ChartKind kind, int index, TwipBox box, int label1, int label2) {
    ChartElement e{kind, index, box, {textOf(doc, label1)}, {label1, label2}, {}, {}, -1, {}};
    if (label2 != 0) e.texts.push_back(textOf(doc, label2));
    return e;
}

void addTitleBlock(const Document& doc, std::vector<ChartElement>& out) {
    for (const TitleField& f : kTitleFields) {
        if (f.captionLabel == 0) {
            const LabelEl* l = doc.Label.find(f.label);
            const TwipBox box = l ? boxOf(l->left, l->top, l->width, l->height) : TwipBox{};
            out.push_back(withTexts(doc, ChartKind::TitleText, f.label, box, f.label, 0));
        } else {
            out.push_back(withTexts(doc, ChartKind::TitleRow, f.label, {}, f.captionLabel, f.label));
        }
    }
    const ShapeEl& s = doc.Shape2;
    out.push_back({ChartKind::TitleBlock, 0, boxOf(s.left, s.top, s.width, s.height), {}, {}, {}, {}, -1, {}});
}

// Vertices in drawing order; a segment that does not start where the previous one
// ended adds its start too.
void addArrow(const Document& doc, int a, std::vector<ChartElement>& out) {
    const ArrowRecord& r = doc.arrowRec[a];
    if (!isPresent(doc, {ElementKind::Arrow, a})) return;
    ChartElement e{ChartKind::Arrow, a, {}, {}, {}, {}, {}, -1, {}};
    for (int k = 1; k <= r.segmentCount(); ++k) {
        const LineEl* l = doc.Line1.find(r.slot[k]);
        if (!l) continue;
        e.segments.push_back(r.slot[k]);
        const TwipPoint from{twips(l->x1), twips(l->y1)}, to{twips(l->x2), twips(l->y2)};
        if (e.points.empty() || !(e.points.back() == from)) e.points.push_back(from);
        e.points.push_back(to);
    }
    std::vector<TwipPoint> extent = e.points;
    const Collection<PictureEl>* heads = doc.heads(r.direction());
    if (const PictureEl* p = heads ? heads->find(r.head()) : nullptr; p && p->visible) {
        e.headDir = r.direction();
        e.head = {twips(p->left), twips(p->top)};
        extent.push_back(e.head);
        extent.push_back({twips(p->left + p->width), twips(p->top + p->height)});
    }
    e.box = boundsOf(extent);
    out.push_back(std::move(e));
}

// The order elements are reported in, and the key they are matched by besides
// their kind: a rectangle and an ellipse share their indices, as do both labels.
std::tuple<int, int> orderOf(const ChartElement& e) {
    switch (e.kind) {
        case ChartKind::TitleText:
        case ChartKind::TitleRow:
            for (size_t k = 0; k < kTitleFields.size(); ++k)
                if (kTitleFields[k].label == e.index) return {0, static_cast<int>(k)};
            return {0, 0};
        case ChartKind::TitleBlock: return {0, static_cast<int>(kTitleFields.size())};
        case ChartKind::Rectangle:
        case ChartKind::Ellipse: return {1, e.index};
        case ChartKind::Diamond: return {2, e.index};
        case ChartKind::Arrow: return {3, e.index};
        case ChartKind::Label:
        case ChartKind::VerticalLabel: return {4, e.index};
    }
    return {5, e.index};
}

void compareElements(const Comparison& c, int b, int a, std::vector<Change>& out) {
    const ChartElement &old = c.older[static_cast<size_t>(b)], &now = c.newer[static_cast<size_t>(a)];
    const KindTraits& t = kindTraits(now.kind);
    const bool resized = t.sized && (old.box.width != now.box.width || old.box.height != now.box.height);
    const bool placeChanged = old.box.left != now.box.left || old.box.top != now.box.top;
    if (t.placed && placeChanged && !resized) out.push_back({ChangeKind::Moved, b, a});
    if (resized) out.push_back({ChangeKind::Resized, b, a});
    for (size_t s = 0; s < now.texts.size() && s < old.texts.size(); ++s)
        if (old.texts[s] != now.texts[s]) out.push_back({ChangeKind::Text, b, a, static_cast<int>(s)});
    const bool differs = old.points != now.points || old.headDir != now.headDir || old.head != now.head;
    if (now.kind == ChartKind::Arrow && differs) {
        // An arrow carried whole moved; anything else reshaped it.
        const int32_t dx = now.box.left - old.box.left, dy = now.box.top - old.box.top;
        bool carried = old.points.size() == now.points.size() && old.headDir == now.headDir &&
                       now.head == TwipPoint{old.head.x + dx, old.head.y + dy};
        for (size_t k = 0; carried && k < old.points.size(); ++k)
            carried = now.points[k] == TwipPoint{old.points[k].x + dx, old.points[k].y + dy};
        out.push_back({carried ? ChangeKind::Moved : ChangeKind::Points, b, a});
    }
}

}  // namespace

const KindTraits& kindTraits(ChartKind k) {
    static constexpr std::array<KindTraits, kChartKinds> traits{{
        {true, false},   // TitleText
        {false, false},  // TitleRow
        {true, false},   // TitleBlock
        {true, true},    // Rectangle
        {true, true},    // Ellipse
        {true, true},    // Diamond
        {false, false},  // Arrow: its points
        {true, false},   // Label
        {true, false},   // VerticalLabel
    }};
    return traits[static_cast<size_t>(k)];
}

std::vector<ChartElement> comparedElements(const Document& doc) {
    std::vector<ChartElement> out;
    out.reserve(kTitleFields.size() + 1 + static_cast<size_t>(std::max(0, doc.shapeCount + doc.diamondCount +
                                                                        doc.arrowCount + doc.labelCount)));
    if (doc.Shape2.visible) addTitleBlock(doc, out);
    for (int i = 1; i <= lastRecordIndex(doc.shapeCount); ++i) {
        const ShapeEl* s = doc.Shape1.find(i);
        if (!isPresent(doc, {ElementKind::Shape, i})) continue;
        const ShapeRecord& r = doc.shapeRec[i];
        const ChartKind kind = userKind(doc, {ElementKind::Shape, i}) == UserKind::Ellipse ? ChartKind::Ellipse
                                                                                            : ChartKind::Rectangle;
        out.push_back(withTexts(doc, kind, i, boxOf(s->left, s->top, s->width, s->height), r.label1, r.label2));
    }
    for (int i = 1; i <= lastRecordIndex(doc.diamondCount); ++i) {
        if (!isPresent(doc, {ElementKind::Diamond, i})) continue;
        std::vector<TwipPoint> corners;
        for (const Collection<LineEl>* lines : doc.diamondLines()) {
            const LineEl* l = lines->find(i);
            if (!l) continue;
            corners.push_back({twips(l->x1), twips(l->y1)});
            corners.push_back({twips(l->x2), twips(l->y2)});
        }
        const DiamondRecord& r = doc.diamondRec[i];
        out.push_back(withTexts(doc, ChartKind::Diamond, i, boundsOf(corners), r.label1, r.label2));
    }
    for (int a = 1; a <= lastRecordIndex(doc.arrowCount); ++a) addArrow(doc, a, out);
    // Labels that belong to the title block or to a shape are reported with it.
    const std::vector<bool> owned = ownedLabels(doc);
    for (int i = 1; i <= doc.labelCount; ++i) {
        const LabelEl* l = doc.Label.find(i);
        if (!isPresent(doc, {ElementKind::Label, i}) || owned[static_cast<size_t>(i)]) continue;
        const ChartKind kind = userKind(doc, {ElementKind::Label, i}) == UserKind::VerticalLabel
                                   ? ChartKind::VerticalLabel
                                   : ChartKind::Label;
        out.push_back({kind, i, boxOf(l->left, l->top, l->width, l->height), {l->caption}, {i, 0}, {}, {}, -1, {}});
    }
    return out;
}

Comparison compareDrawings(const Document& older, const Document& newer) {
    Comparison c{comparedElements(older), comparedElements(newer), {}};
    // Both lists are in report order, so one walk along both matches them.
    size_t b = 0, a = 0;
    while (b < c.older.size() || a < c.newer.size()) {
        if (a == c.newer.size() || (b < c.older.size() && orderOf(c.older[b]) < orderOf(c.newer[a]))) {
            c.changes.push_back({ChangeKind::Deleted, static_cast<int>(b++), -1});
        } else if (b == c.older.size() || orderOf(c.newer[a]) < orderOf(c.older[b])) {
            c.changes.push_back({ChangeKind::Added, -1, static_cast<int>(a++)});
        } else if (c.older[b].kind != c.newer[a].kind) {
            // One index, another kind (a rectangle where an ellipse was): not the same element.
            c.changes.push_back({ChangeKind::Deleted, static_cast<int>(b++), -1});
            c.changes.push_back({ChangeKind::Added, -1, static_cast<int>(a++)});
        } else {
            compareElements(c, static_cast<int>(b++), static_cast<int>(a++), c.changes);
        }
    }
    return c;
}

Status convertForComparison(Version& version, Layout otherLayout, const TextMetrics& metrics, const std::string& name) {
    if (version.layout != Layout::Qmp || otherLayout != Layout::Quillmap) return {};
    Result<Document> converted = convertQmpToQuillmap(version.doc, metrics);
    if (!converted)
        return IoError{"cannot convert \"" + name + "\" to compare it: " + converted.error().describe(), std::nullopt};
    version = {std::move(converted).value(), Layout::Quillmap};
    return {};
}

}  // namespace qm
