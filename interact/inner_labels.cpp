#include "interact/inner_labels.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "model/rounding.h"

namespace qm {
namespace {

// The labels' top-left corners sorted into square cells, so that finding the labels
// inside one box looks at a few cells instead of every label of the drawing.
class LabelGrid {
public:
    explicit LabelGrid(const Document& doc) : at_(static_cast<size_t>(std::max<int16_t>(doc.labelCount, 0)) + 1) {
        // Counted into place: each cell lists its labels in ascending index order.
        std::array<uint32_t, kCells + 1> start{};
        for (int i = 1; i <= doc.labelCount; ++i) {
            if (const LabelEl* l = doc.Label.find(i)) {
                at_[static_cast<size_t>(i)] = {l->left, l->top, cellOf(l->left, l->top)};
                ++start[static_cast<size_t>(at_[static_cast<size_t>(i)].cell) + 1];
            }
        }
        for (size_t c = 0; c < kCells; ++c) start[c + 1] += start[c];
        cellStart_ = start;
        corners_.resize(start[kCells]);
        for (int i = 1; i <= doc.labelCount; ++i) {
            const Corner& c = at_[static_cast<size_t>(i)];
            if (c.cell >= 0) corners_[start[static_cast<size_t>(c.cell)]++] = {i, c.x, c.y};
        }
        inside_.resize(at_.size() / 64 + 1);
    }

    // Labels whose corner lies strictly inside the box, in ascending index order,
    // until fn returns false. The labels of the cells the box touches are marked
    // in a bit per label, which are then read in order: a box with 255 labels
    // costs about as many steps as its cells hold, with no sorting.
    template <class Fn>
    void forEachInside(double l, double t, double w, double h, Fn fn) const {
        if (!(w > 0 && h > 0)) return;
        const int cx0 = cellX(l), cx1 = cellX(l + w), cy0 = cellY(t), cy1 = cellY(t + h);
        size_t lo = inside_.size(), hi = 0;
        for (int cy = cy0; cy <= cy1; ++cy) {
            const auto first = static_cast<size_t>(cy * kCols + cx0), last = static_cast<size_t>(cy * kCols + cx1);
            // Without branches: about half the labels of a box's cells lie outside it.
            for (uint32_t k = cellStart_[first]; k < cellStart_[last + 1]; ++k) {
                const Listed& c = corners_[k];
                const double x = c.x, y = c.y;
                const uint64_t in = uint64_t{x > l} & uint64_t{l + w > x} & uint64_t{y > t} & uint64_t{t + h > y};
                const auto word = static_cast<size_t>(c.index) / 64;
                inside_[word] |= in << (c.index % 64);
                lo = std::min(lo, word);
                hi = std::max(hi, word);
            }
        }
        bool more = true;
        for (size_t word = lo; word <= hi && word < inside_.size(); ++word) {
            for (uint64_t bits = inside_[word]; more && bits; bits &= bits - 1) {
                const int i = static_cast<int>(word * 64) + std::countr_zero(bits);
                const Corner& c = at_[static_cast<size_t>(i)];
                more = fn(i, c.x, c.y);
            }
            inside_[word] = 0;
        }
    }

private:
    struct Corner {
        float x = 0, y = 0;
        int cell = -1;  // none: no such label
    };
    struct Listed {
        int index;
        float x, y;
    };
    static constexpr double kCell = 512;
    static constexpr int kCols = 34, kRows = 22;  // the canvas and a margin; the rest goes to the edges
    static constexpr size_t kCells = kCols * kRows;
    static int clampCell(double v, int n) { return std::clamp(static_cast<int>(std::floor(v / kCell)) + 1, 0, n - 1); }
    static int cellX(double x) { return clampCell(x, kCols); }
    static int cellY(double y) { return clampCell(y, kRows); }
    static int cellOf(double x, double y) { return cellY(y) * kCols + cellX(x); }

    std::vector<Corner> at_;                        // by label index
    std::array<uint32_t, kCells + 1> cellStart_{};  // where each cell's labels begin in corners_
    std::vector<Listed> corners_;                   // cell by cell
    mutable std::vector<uint64_t> inside_;          // a bit per label; all clear between calls
};

// Fills one inner list with the labels whose top-left corner lies strictly inside the
// box, other than the element's own two texts; at most 255 of them.
template <class Record>
void rebuildInnerList(const LabelGrid& grid, Record& rec, double l, double t, double w, double h) {
    rec.innerCount = 0;
    grid.forEachInside(l, t, w, h, [&](int i, double lx, double ly) {
        if (i == rec.label1 || i == rec.label2) return true;
        if (rec.innerCount == kMaxInner) return false;  // the lists hold no more
        const int c = ++rec.innerCount;
        rec.innerLabel[c] = static_cast<int16_t>(i);
        rec.innerDX[c] = roundI16Sat(lx - l);
        rec.innerDY[c] = roundI16Sat(ly - t);
        return true;
    });
}

void rebuildShapeLists(const LabelGrid& grid, Document& doc) {
    for (int s = 1; s <= lastRecordIndex(doc.shapeCount); ++s) {
        ShapeRecord& rec = doc.shapeRec[s];
        const ShapeEl* shape = doc.Shape1.find(s);
        if (!shape) {
            rec.innerCount = 0;
            continue;
        }
        rebuildInnerList(grid, rec, shape->left, shape->top, shape->width, shape->height);
    }
}

void rebuildDiamondLists(const LabelGrid& grid, Document& doc) {
    for (int d = 1; d <= lastRecordIndex(doc.diamondCount); ++d) {
        DiamondRecord& rec = doc.diamondRec[d];
        rebuildInnerList(grid, rec, rec.x, rec.y, rec.width, rec.height);
    }
}

}  // namespace

void rebuildShapeInnerLists(Document& doc) { rebuildShapeLists(LabelGrid(doc), doc); }

void rebuildDiamondInnerLists(Document& doc) { rebuildDiamondLists(LabelGrid(doc), doc); }

void rebuildInnerLists(Document& doc) {
    const LabelGrid grid(doc);
    rebuildShapeLists(grid, doc);
    rebuildDiamondLists(grid, doc);
}

}  // namespace qm
