#include "model/title_block.h"

#include "model/labels.h"
#include "model/rounding.h"

namespace qm {
namespace {

void setLine(LineEl& l, float x1, float y1, float x2, float y2) {
    l.x1 = x1; l.y1 = y1; l.x2 = x2; l.y2 = y2;
}

}  // namespace

void createTitleBlock(Document& doc, const TextMetrics& m, const CanvasGeometry& canvas) {
    for (int i = kNumberLabel; i <= kLastCellLabel; ++i) {
        doc.Label.create(i);
        doc.Label.setVisible(i, true);
    }
    LabelEl& number = *doc.Label.find(kNumberLabel);
    setCaption(number, kNumberPrefix, m);
    setFontSize(number, 12, m);
    number.left = 400;
    number.top = 400;

    // The title is centred with the width it has in the default face, before the
    // title face is set.
    LabelEl& title = *doc.Label.find(kTitleLabel);
    setCaption(title, "单击这里添加标题", m);
    setFontSize(title, 14, m);
    centreTitle(doc, canvas);
    title.top = 400;
    setFontName(title, kTitleFontName, m);

    const char* captions[] = {"制作人", "审核", "依据", "单击添加制作人", "单击添加审核", "单击添加依据"};
    for (int i = kFirstCellLabel; i <= kLastCellLabel; ++i)
        setCaption(*doc.Label.find(i), captions[i - kFirstCellLabel], m);

    layoutTitleBlock(doc, kTitleBlockLeft, kTitleBlockTop);
    doc.labelCount = kLastCellLabel;
}

void centreTitle(Document& doc, const CanvasGeometry& canvas) {
    if (LabelEl* title = doc.Label.find(kTitleLabel)) title->left = canvas.width / 2 + canvas.left - title->width / 2;
}

void relayoutTitleBlockText(Document& doc, const CanvasGeometry& canvas, int i) {
    if (i == kTitleLabel) centreTitle(doc, canvas);
    if (i >= kFirstCellLabel && i <= kLastCellLabel)
        layoutTitleBlock(doc, roundI16Sat(doc.Shape2.left), roundI16Sat(doc.Shape2.top));
}

void layoutTitleBlock(Document& doc, int16_t x, int16_t y) {
    ShapeEl& frame = doc.Shape2;
    const float w = frame.width, h = frame.height;
    frame.left = x;
    frame.top = y;
    setLine(doc.Line3, x, y + h / 3, x + w, y + h / 3);
    setLine(doc.Line4, x, y + 2 * (h / 3), x + w, y + 2 * (h / 3));
    setLine(doc.Line2, x + w / 3, y, x + w / 3, y + h);

    // Caption cells span the first third; value cells start at the column divider.
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 2; ++col) {
            const float l = frame.left, t = frame.top, fw = frame.width, fh = frame.height;
            const float x1 = col == 0 ? l : doc.Line2.x1;
            const float x2 = col == 0 ? l + fw / 3 : l + fw;
            const float y1 = t + static_cast<float>(row) * (fh / 3);
            const float y2 = row == 2 ? t + fh : t + static_cast<float>(row + 1) * (fh / 3);
            centreLabelInCell(doc, cellLabel(row, col), roundI16Sat(x1), roundI16Sat(x2), roundI16Sat(y1),
                              roundI16Sat(y2));
        }
    }
}

void centreLabelInCell(Document& doc, int i, int16_t x1, int16_t x2, int16_t y1, int16_t y2) {
    LabelEl* label = doc.Label.find(i);
    if (!label) return;
    const auto cellW = static_cast<int16_t>(x2 - x1);
    const auto cellH = static_cast<int16_t>(y2 - y1);
    label->left = static_cast<float>(x1) + static_cast<float>(cellW) / 2 - label->width / 2;
    label->top = static_cast<float>(y1) + static_cast<float>(cellH) / 2 - label->height / 2;
}

int titleBlockCellLabel(const Document& doc, float x, float y) {
    const ShapeEl& f = doc.Shape2;
    const int row = y < f.top + f.height / 3 ? 0 : y < f.top + 2 * (f.height / 3) ? 1 : 2;
    const int col = x < f.left + f.width / 3 ? 0 : 1;
    return cellLabel(row, col);
}

void removeTitleBlock(Document& doc) {
    doc.Shape2.visible = doc.Line2.visible = doc.Line3.visible = doc.Line4.visible = false;
}

}  // namespace qm
