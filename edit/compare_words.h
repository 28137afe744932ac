// The compare's list read out: each element and each change on one line, in the
// words of one language (English for qmptool, Chinese for the editor). The lines
// share their layout; only the word tables differ.
#pragma once
#include <array>
#include <string>

#include "edit/compare.h"

namespace qm {

// The words of the report in one language; the layout of the lines is shared.
struct CompareWords {
    std::array<const char*, kChartKinds> kinds;  // by ChartKind; empty for the title block's, which have names
    const char* separator;  // after the element's name
    const char* comma;      // between the parts of a change
    const char *added, *deleted, *moved, *resized, *points, *head;
    const char *at, *size, *to, *from, *pixels, *was;
    std::array<const char*, 2> shapeTexts;  // upper, lower
    std::array<const char*, 2> rowTexts;    // caption, value
    const char* text;
    std::array<const char*, 4> directions;  // by Dir
};
extern const CompareWords kEnglishWords;  // qmptool
extern const CompareWords kChineseWords;  // the editor

// "rectangle 3", "标题", "标题栏".
std::string elementName(const ChartElement& e, const CompareWords& w);
// The name of text `slot` of the element: "upper text", "caption", "text".
const char* textName(const ChartElement& e, int slot, const CompareWords& w);
// The element on one line: name, place and size (or points), texts; what
// qmptool dump --text prints for each element.
std::string describeElement(const ChartElement& e, const CompareWords& w);
// The change on one line.
std::string describeChange(const Comparison& c, const Change& change, const CompareWords& w);
// A twips value in pixels, 15 to a pixel, with at most two decimals: "20", "0.47".
std::string pixelText(int32_t twips);
double pixelValue(int32_t twips);
// A caption as one quoted line: quotes, backslashes and control characters escaped.
std::string quoted(const std::string& text);

}  // namespace qm
