#include "edit/editable_chart.h"

#include <algorithm>

#include "interact/glue.h"
#include "model/chart_elements.h"
#include "model/vocabulary.h"

namespace qm {
namespace {

ChartLine chartLine(const LineEl& l) {
    return {{l.x1, l.y1}, {l.x2, l.y2}, l.borderColor, l.style == LineStyle::Dotted};
}

std::optional<ChartLine> visibleLine(const LineEl* l) {
    if (!l || !l->visible) return std::nullopt;
    return chartLine(*l);
}

// Styles 1, 3 and 5 draw a square or circle centred in the box, as the painter does.
BoxF outlineBox(const ShapeEl& s) {
    if (s.style != 1 && s.style != 3 && s.style != 5) return {s.left, s.top, s.left + s.width, s.top + s.height};
    const float side = std::min(s.width, s.height);
    const float left = s.left + (s.width - side) / 2, top = s.top + (s.height - side) / 2;
    return {left, top, left + side, top + side};
}

std::vector<const LabelEl*> visibleTexts(const Document& doc, ElementRef e) {
    std::vector<const LabelEl*> out;
    for (int i : elementLabels(doc, e))
        if (const LabelEl* l = doc.Label.find(i); l && l->visible) out.push_back(l);
    return out;
}

std::optional<ChartFigure> figure(const Document& doc, ElementRef e) {
    const auto points = connectionPoints(doc, e);
    const auto box = outlineOf(doc, e);
    if (!points || !box) return std::nullopt;
    ChartFigure f;
    f.ref = e;
    f.box = *box;
    f.points = *points;
    f.texts = visibleTexts(doc, e);
    if (e.kind == ElementKind::Shape) {
        const ShapeEl& s = *doc.Shape1.find(e.index);
        f.kind = figureKind(s.style);
        f.box = outlineBox(s);
        f.color = s.borderColor;
        f.divider = visibleLine(doc.LineRect.find(e.index));
        f.id = "shape" + std::to_string(e.index);
    } else {
        f.kind = FigureKind::Diamond;
        f.color = doc.lx1.find(e.index)->borderColor;
        f.divider = visibleLine(doc.lx5.find(e.index));
        f.id = "diamond" + std::to_string(e.index);
    }
    return f;
}

std::optional<ChartArrow> arrow(const Document& doc, int a) {
    const ArrowRecord* r = doc.arrowRecord(a);
    if (!r) return std::nullopt;
    ChartArrow out;
    out.index = a;
    for (int k = 1; k <= r->segmentCount(); ++k) {
        const LineEl* s = doc.Line1.find(r->slot[static_cast<size_t>(k)]);
        if (!s) continue;
        if (out.points.empty()) {
            out.points.push_back({s->x1, s->y1});
            out.color = s->borderColor;
            out.dotted = s->style == LineStyle::Dotted;
        }
        out.points.push_back({s->x2, s->y2});
    }
    if (out.points.size() < 2) return std::nullopt;
    out.start.at = out.points.front();
    out.end.at = out.points.back();
    const Collection<PictureEl>* heads = doc.heads(r->direction());
    const PictureEl* head = heads ? heads->find(r->head()) : nullptr;
    out.head = head && head->visible;
    return out;
}

}  // namespace

// The vocabulary's ellipses; of its rectangles, styles 4 and 5 are drawn with
// rounded corners.
FigureKind figureKind(int16_t shapeStyle) {
    if (isEllipseStyle(shapeStyle)) return FigureKind::Ellipse;
    if (shapeStyle == 4 || shapeStyle == 5) return FigureKind::RoundedRectangle;
    return FigureKind::Rectangle;
}

EditableChart editableChart(const Document& doc) {
    EditableChart out;
    std::vector<ElementRef> figureRefs;
    for (ElementRef e : chartElements(doc)) {
        switch (e.kind) {
            case ElementKind::Shape:
            case ElementKind::Diamond:
                if (auto f = figure(doc, e)) {
                    out.figures.push_back(std::move(*f));
                    figureRefs.push_back(e);
                }
                break;
            case ElementKind::Label:
                if (const LabelEl* l = doc.Label.find(e.index)) out.texts.push_back({l, isVerticalLabel(*l)});
                break;
            case ElementKind::Arrow:
                if (auto a = arrow(doc, e.index)) out.arrows.push_back(std::move(*a));
                break;
            case ElementKind::TitleBlock: {
                ChartTitleBlock t;
                t.frame = {doc.Shape2.left, doc.Shape2.top, doc.Shape2.left + doc.Shape2.width,
                           doc.Shape2.top + doc.Shape2.height};
                t.color = doc.Shape2.borderColor;
                for (const LineEl* l : {&doc.Line2, &doc.Line3, &doc.Line4})
                    if (auto line = visibleLine(l)) t.dividers.push_back(*line);
                for (const LabelEl* l : visibleTexts(doc, e)) t.texts.push_back({l, isVerticalLabel(*l)});
                out.titleBlock = std::move(t);
                break;
            }
        }
    }
    // The very rule that makes an end follow its shape in the editor.
    for (const GluedEnd& g : findGlue(doc, figureRefs, {})) {
        const auto arrowAt = std::find_if(out.arrows.begin(), out.arrows.end(),
                                          [&](const ChartArrow& a) { return a.index == g.arrow; });
        const auto figureAt = std::find(figureRefs.begin(), figureRefs.end(), g.on);
        if (arrowAt == out.arrows.end() || figureAt == figureRefs.end()) continue;
        ChartArrowEnd& end = g.head ? arrowAt->end : arrowAt->start;
        end.figure = static_cast<size_t>(figureAt - figureRefs.begin());
        end.point = g.point;
    }
    return out;
}

}  // namespace qm
