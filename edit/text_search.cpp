#include "edit/text_search.h"

#include <algorithm>

namespace qm {
namespace {

// The next code point of UTF-8 at `at`, moving `at` past it. A byte that starts
// no valid sequence stands for itself, so that a damaged text is still searched.
char32_t nextCodePoint(std::string_view s, size_t& at) {
    const auto b = static_cast<unsigned char>(s[at]);
    const size_t more = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 4;
    if (more == 0 || more == 4 || at + more >= s.size()) {
        ++at;
        return b;
    }
    char32_t c = b & (0x3Fu >> more);
    for (size_t k = 1; k <= more; ++k) {
        const auto t = static_cast<unsigned char>(s[at + k]);
        if ((t & 0xC0) != 0x80) {
            ++at;
            return b;
        }
        c = (c << 6) | (t & 0x3Fu);
    }
    at += more + 1;
    return c;
}

char32_t fold(char32_t c, const SearchOptions& o) {
    if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFF01 - 0x21;  // full-width forms of ASCII
    if (c == 0x3000) c = 0x20;                           // the ideographic space
    if (!o.matchCase && c >= 'A' && c <= 'Z') c += 'a' - 'A';
    return c;
}

// The folded text and where each of its code points starts in the UTF-8, with
// the end as a last entry.
struct Folded {
    std::u32string text;
    std::vector<size_t> starts;
};

Folded folded(std::string_view s, const SearchOptions& o) {
    Folded f;
    f.text.reserve(s.size());
    f.starts.reserve(s.size() + 1);
    for (size_t at = 0; at < s.size();) {
        f.starts.push_back(at);
        f.text.push_back(fold(nextCodePoint(s, at), o));
    }
    f.starts.push_back(s.size());
    return f;
}

}  // namespace

TextPattern::TextPattern(std::string_view utf8, SearchOptions options)
    : folded_(folded(utf8, options).text), options_(options) {}

std::vector<TextMatch> TextPattern::matches(std::string_view utf8) const {
    std::vector<TextMatch> out;
    if (folded_.empty() || utf8.size() < folded_.size()) return out;
    const Folded f = folded(utf8, options_);
    for (size_t from = 0;;) {
        const size_t at = f.text.find(folded_, from);
        if (at == std::u32string::npos) break;
        out.push_back({f.starts[at], f.starts[at + folded_.size()]});
        from = at + folded_.size();
    }
    return out;
}

bool TextPattern::foundIn(std::string_view utf8) const {
    return !folded_.empty() && utf8.size() >= folded_.size() && folded(utf8, options_).text.find(folded_) != std::u32string::npos;
}

std::string replaceMatches(std::string_view utf8, const std::vector<TextMatch>& found, std::string_view replacement) {
    std::string out;
    size_t done = 0;
    for (const TextMatch& m : found) {
        out.append(utf8.substr(done, m.begin - done));
        out.append(replacement);
        done = m.end;
    }
    out.append(utf8.substr(done));
    return out;
}

}  // namespace qm
