// A chart as the drawing another editor keeps of it: what each visible element
// becomes there (a figure with its texts, a text frame, an arrow whose ends are
// glued to figures or free, the title block as a group). The OpenDocument and
// draw.io writers both work from this one description, so the two formats agree
// on what is glued where: an end is glued exactly when it would follow its shape
// in the editor (interact/glue.h).
#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/document.h"
#include "model/element_parts.h"

namespace qm {

enum class FigureKind { Rectangle, RoundedRectangle, Ellipse, Diamond };

// A line of the drawing, in canvas twips.
struct ChartLine {
    PointF from, to;
    Color color = kBlack;
    bool dotted = false;
};

// A label as a text frame: its box, text and face as the label holds them.
struct ChartText {
    const LabelEl* label = nullptr;
    bool vertical = false;  // written top to bottom, one character a line
};

// A rectangle, ellipse or diamond with its outline's box, its divider and texts.
struct ChartFigure {
    ElementRef ref;
    FigureKind kind = FigureKind::Rectangle;
    BoxF box;
    Color color = kBlack;
    std::array<PointF, 4> points{};  // the connection points: left, right, top, bottom
    std::optional<ChartLine> divider;
    std::vector<const LabelEl*> texts;  // the visible ones, upper first
    std::string id;                     // unique in the drawing: "shape3", "diamond1"
};

// An arrow end: where it lies, and the figure and connection point it is glued to.
struct ChartArrowEnd {
    PointF at;
    std::optional<size_t> figure;  // index into EditableChart::figures
    int point = 0;                 // 0 left, 1 right, 2 top, 3 bottom
};

struct ChartArrow {
    int index = 0;
    std::vector<PointF> points;  // start, bends, end
    ChartArrowEnd start, end;
    bool head = false;  // an arrowhead at the end
    Color color = kBlack;
    bool dotted = false;
};

struct ChartTitleBlock {
    BoxF frame;
    Color color = kBlack;
    std::vector<ChartLine> dividers;
    std::vector<ChartText> texts;
};

struct EditableChart {
    std::vector<ChartFigure> figures;
    std::vector<ChartText> texts;  // free labels
    std::vector<ChartArrow> arrows;
    std::optional<ChartTitleBlock> titleBlock;
};

EditableChart editableChart(const Document& doc);

// What kind of figure a rectangle-or-ellipse element's style draws.
FigureKind figureKind(int16_t shapeStyle);

}  // namespace qm
