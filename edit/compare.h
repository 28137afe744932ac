// What changed between two versions of a drawing, for a reviewer: the title
// block's fields by their names, then each element matched by kind and index
// (a drawing never renumbers its elements, and a deleted one stays as a hidden
// entry, which counts as absent). Pure functions of documents; qmptool diff, the
// editor's compare window and the picture of the change all read the same list.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "io/raw_document.h"
#include "io/result.h"
#include "model/document.h"
#include "model/text_metrics.h"
#include "model/title_block.h"

namespace qm {

// What a reviewer calls one element. A rectangle or ellipse is its outline, its
// divider and its two texts; a diamond its five lines and two texts; an arrow its
// segments and head; a label stands alone. The title block is its frame (with the
// dividers) and five fields: the title and the number field (labels of their own,
// placed freely) and the three rows of the table (caption and value cell, placed
// by the frame).
enum class ChartKind : uint8_t {
    TitleText, TitleRow, TitleBlock, Rectangle, Ellipse, Diamond, Arrow, Label, VerticalLabel,
};
inline constexpr int kChartKinds = 9;

struct TwipPoint {
    int32_t x = 0, y = 0;
    bool operator==(const TwipPoint&) const = default;
};

struct TwipBox {
    int32_t left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipBox&) const = default;
};

// One present element, its geometry in whole twips as a save would store it, so
// that a drawing compares equal to the file it was just saved to.
struct ChartElement {
    ChartKind kind;
    int index;  // rectangle, ellipse, diamond, arrow number or label; a title row's value label
    TwipBox box;
    std::vector<std::string> texts;  // in reading order; a hidden text is empty
    std::array<int, 2> labels{};     // the Label indices of the texts (0: none)
    std::vector<int> segments;       // an arrow's Line1 indices in drawing order
    std::vector<TwipPoint> points;   // an arrow's vertices
    int headDir = -1;                // an arrow's head direction (Dir), -1 when it has none
    TwipPoint head;                  // where its head picture stands
};

// What is compared of each kind besides its texts: its own place, and its size (a
// label's follows from its text, a title row's from the frame); an arrow is
// compared by its points.
struct KindTraits {
    bool placed, sized;
};
const KindTraits& kindTraits(ChartKind kind);


// The present elements of a drawing in report order: the title block first, then
// rectangles and ellipses, diamonds, arrows and labels, each by index.
std::vector<ChartElement> comparedElements(const Document& doc);

enum class ChangeKind : uint8_t { Added, Deleted, Moved, Resized, Text, Points };

// One change; `before` and `after` index the comparison's element lists (-1: not
// there). `slot` is the text a Text change is about.
struct Change {
    ChangeKind kind;
    int before = -1, after = -1;
    int slot = 0;
};

struct Comparison {
    std::vector<ChartElement> older, newer;
    std::vector<Change> changes;  // title block first, then by element, in report order
    bool same() const { return changes.empty(); }
    const ChartElement& element(const Change& c) const { return c.after >= 0 ? newer[c.after] : older[c.before]; }
};

Comparison compareDrawings(const Document& older, const Document& newer);

// A drawing in the layout it was read in.
struct Version {
    Document doc;
    Layout layout;
};

// A qmp drawing compared with a quillmap one is converted first, as qmptool
// convert would convert it; any other drawing stays as it is. The error names the
// drawing by `name`.
Status convertForComparison(Version& version, Layout otherLayout, const TextMetrics& metrics, const std::string& name);

}  // namespace qm
