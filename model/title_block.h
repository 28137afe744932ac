// The title block of every quillmap drawing: number field, title and the framed
// three-row table (maker, review, basis) at the bottom right. Its texts are
// ordinary labels 1 to 8, named here once; qmp's drawings have none.
#pragma once
#include <array>
#include <cstdint>

#include "model/document.h"
#include "model/editor.h"
#include "model/text_metrics.h"

namespace qm {

inline constexpr int16_t kTitleBlockLeft = 11500;
inline constexpr int16_t kTitleBlockTop = 8000;

// The title block's labels: the number field, the title, and the table's six
// cells, the captions' column first, each column from the top row down.
inline constexpr int kNumberLabel = 1;
inline constexpr int kTitleLabel = 2;
inline constexpr int kFirstCellLabel = 3;
inline constexpr int kLastCellLabel = 8;
// The label of the cell in row 0..2 and column 0 (caption) or 1 (value).
constexpr int cellLabel(int row, int col) { return kFirstCellLabel + row + 3 * col; }
// What the number field says before the number the user types after it.
inline constexpr const char* kNumberPrefix = "编号:";

// The title block's fields in reading order and the names the user knows them by.
struct TitleField {
    const char* name;
    int label;            // the label holding the value
    int captionLabel = 0; // a table row's caption cell
};
inline constexpr std::array<TitleField, 5> kTitleFields{{
    {"标题", kTitleLabel},
    {"编号", kNumberLabel},
    {"制作人", cellLabel(0, 1), cellLabel(0, 0)},
    {"审核", cellLabel(1, 1), cellLabel(1, 0)},
    {"依据", cellLabel(2, 1), cellLabel(2, 0)},
}};

// Creates the title block of a new drawing on a drawing just destroyed: its eight
// labels with their texts and fonts, the title centred on the canvas, the table
// laid out at its default place; labelCount is 8.
void createTitleBlock(Document& doc, const TextMetrics& metrics, const CanvasGeometry& canvas);

// The title centred on the canvas with the width it has now.
void centreTitle(Document& doc, const CanvasGeometry& canvas);

// Label i of the title block laid out again after its caption changed, where its
// place follows its size: the title centred on the canvas, a cell's text centred
// in its cell, as a new title block and an opened file lay them out.
void relayoutTitleBlockText(Document& doc, const CanvasGeometry& canvas, int i);

// Moves the table frame's top-left corner to (x, y) and lays out the dividers and
// the six cell labels with it.
void layoutTitleBlock(Document& doc, int16_t x, int16_t y);

// Centres label i in the cell with the given edges; a missing label is skipped.
void centreLabelInCell(Document& doc, int i, int16_t x1, int16_t x2, int16_t y1, int16_t y2);

// The label of the table cell under (x, y), whose frame is Shape2.
int titleBlockCellLabel(const Document& doc, float x, float y);

// A drawing without a title block (qmp's): its frame and dividers stay hidden.
void removeTitleBlock(Document& doc);

}  // namespace qm
