#include "model/labels.h"

#include <algorithm>
#include <utility>

namespace qm {

TextExtent captionExtent(const LabelEl& label, const TextMetrics& metrics) {
    return metrics.measure(label.caption, label.fontName, label.fontSize, label.wordWrap ? label.width : 0);
}

bool fitsLabelSize(const TextExtent& e) { return e.width <= kMaxLabelExtent && e.height <= kMaxLabelExtent; }

void autosize(LabelEl& label, const TextMetrics& metrics) {
    const TextExtent e = captionExtent(label, metrics);
    if (!label.wordWrap) label.width = std::min(e.width, kMaxLabelExtent);
    label.height = std::min(e.height, kMaxLabelExtent);
}

void setCaption(LabelEl& label, std::string caption, const TextMetrics& metrics) {
    label.caption = std::move(caption);
    autosize(label, metrics);
}

void setFontName(LabelEl& label, std::string name, const TextMetrics& metrics) {
    label.fontName = std::move(name);
    autosize(label, metrics);
}

void setFontSize(LabelEl& label, float size, const TextMetrics& metrics) {
    label.fontSize = size;
    autosize(label, metrics);
}

void setWordWrap(LabelEl& label, bool wrap, float width, const TextMetrics& metrics) {
    label.wordWrap = wrap;
    if (wrap) label.width = width;
    autosize(label, metrics);
}

void layoutShapeTexts(Document& doc, int label1, int label2, int32_t left, int32_t top, int32_t height,
                      int32_t width) {
    const float middle = static_cast<float>(top) + static_cast<float>(height) / 2;
    if (LabelEl* upper = doc.Label.find(label1)) {
        upper->left = static_cast<float>(left) + (static_cast<float>(width) - upper->width) / 2;
        upper->top = middle - upper->height - 140;
    }
    if (LabelEl* lower = doc.Label.find(label2)) {
        lower->left = static_cast<float>(left) + (static_cast<float>(width) - lower->width) / 2;
        lower->top = middle + 140;
    }
}

}  // namespace qm
