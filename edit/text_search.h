// Matching a pattern in the texts of a chart as people expect of a search in
// Chinese documents: full-width letters, digits and punctuation (Ａ, １, ，) and
// the ideographic space match their half-width forms always, and letter case
// only when asked. Shared by the editor's find and replace and qmptool find.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct SearchOptions {
    bool matchCase = false;
};

// One occurrence, as byte offsets into the searched UTF-8 text.
struct TextMatch {
    size_t begin = 0, end = 0;
    bool operator==(const TextMatch&) const = default;
};

// A pattern prepared once for many texts.
class TextPattern {
public:
    TextPattern(std::string_view utf8, SearchOptions options);
    bool empty() const { return folded_.empty(); }
    // Every occurrence in `utf8`, left to right, none overlapping.
    std::vector<TextMatch> matches(std::string_view utf8) const;
    bool foundIn(std::string_view utf8) const;

private:
    std::u32string folded_;
    SearchOptions options_;
};

// `utf8` with each of `found` (as matches gives them) replaced.
std::string replaceMatches(std::string_view utf8, const std::vector<TextMatch>& found, std::string_view replacement);

}  // namespace qm
