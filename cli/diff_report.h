// What `qmptool diff` and `qmptool dump --text` print: the comparison of two
// drawings as lines (one a change, title block first) or as one JSON object for
// scripts, and a drawing as one stable line per element for line-based diffs.
#pragma once
#include <string>

#include "edit/compare_words.h"

namespace qm::cli {

// One line per change, each ending in a line break; nothing when the drawings are the same.
std::string diffText(const Comparison& c);
// {"old", "new", "same", "changes": [...]}; each change names its element by kind
// and index (or by the title block field's name) with what changed in pixels.
std::string diffJson(const Comparison& c, const std::string& oldPath, const std::string& newPath);
// One line per present element in report order.
std::string drawingText(const Document& doc);

}  // namespace qm::cli
