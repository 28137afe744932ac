// Find and replace over every text of a chart: the texts of rectangles, ellipses
// and diamonds, free and vertical labels, and the title block's title, number and
// table, in reading order (top to bottom, then left to right, by where each text
// lies). Replacing all is whole or nothing: one text the file could not hold and
// nothing changes; done in one event, it is one undo step.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "edit/text_search.h"
#include "model/editor.h"

namespace qm {

// A text the user reads, and the element it belongs to.
struct ElementText {
    ElementRef element;
    int label = 0;
    bool operator==(const ElementText&) const = default;
};

// Every text shown, in reading order.
std::vector<ElementText> chartTexts(const Document& doc);

struct TextHit {
    ElementText text;
    TextMatch match;
    bool operator==(const TextHit&) const = default;
};

// Every occurrence of the pattern, text by text in reading order.
std::vector<TextHit> findInChart(const Document& doc, const TextPattern& pattern);

// What a replacement did: how many texts changed, or why none did, naming the
// first text the file could not hold.
struct ReplaceOutcome {
    int texts = 0;
    std::string refusal;
};

// 全部替换: every occurrence in every text.
ReplaceOutcome replaceAll(Editor& ed, const TextPattern& pattern, std::string_view replacement);
// 替换: the one occurrence `hit` (as findInChart found it in the drawing as it is).
ReplaceOutcome replaceHit(Editor& ed, const TextHit& hit, std::string_view replacement);

// How the user names a text in a message: "矩形 3", "标题", "竖向标签 12".
std::string textOwnerName(const Document& doc, const ElementText& text);

}  // namespace qm
