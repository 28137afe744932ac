// `qmptool find`: the texts of many charts searched for a pattern, reading only
// what the files hold (no measuring, no drawing), with full-width and half-width
// forms of letters, digits and punctuation taken as the same character, as the
// editor's find takes them (edit/text_search.h).
#pragma once
#include <string>
#include <string_view>

namespace qm::cli {

enum class FindOutput { Lines, Files, Counts, Json };

struct FindRequest {
    std::string pattern;
    bool ignoreCase = false;
    FindOutput output = FindOutput::Lines;
};

// Prints each chart's hits in chart order, element order, text order; unreadable
// charts are one line each on standard error. The status as grep's: 0 a hit, 1
// none, 2 trouble.
int findInCharts(const FindRequest& request, const struct BatchCommand& charts);

}  // namespace qm::cli
