// Labels size themselves to their text; every change of caption, font or word wrap
// goes through these so the size is never stale. Also the text layout of a shape.
#pragma once
#include <cstdint>
#include <string>

#include "model/document.h"
#include "model/text_metrics.h"

namespace qm {

// The largest width and height a label can have: the file stores them in 16 bits.
inline constexpr float kMaxLabelExtent = 32767;
// The wrap width of a vertical label: one character a line.
inline constexpr float kVerticalLabelWidth = 165;

// The size the label's caption takes in its font and wrap, which may be more than
// the file can hold.
TextExtent captionExtent(const LabelEl& label, const TextMetrics& metrics);
bool fitsLabelSize(const TextExtent& e);

// Sizes the label to its caption, no larger than the file holds, so that a drawing
// can always be saved; the caption is still drawn whole.
void autosize(LabelEl& label, const TextMetrics& metrics);
void setCaption(LabelEl& label, std::string caption, const TextMetrics& metrics);
void setFontName(LabelEl& label, std::string name, const TextMetrics& metrics);
void setFontSize(LabelEl& label, float size, const TextMetrics& metrics);
void setWordWrap(LabelEl& label, bool wrap, float width, const TextMetrics& metrics);

// Centres the upper and lower text of a rectangle, ellipse or diamond on the box,
// 140 twips above and below its middle line. Missing labels are skipped.
void layoutShapeTexts(Document& doc, int label1, int label2, int32_t left, int32_t top, int32_t height,
                      int32_t width);

}  // namespace qm
