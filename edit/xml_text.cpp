#include "edit/xml_text.h"

#include <cstdint>
#include <cstdio>

namespace qm {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence at the start of `s` and its code
// point, or 0 when it is none (overlong, a surrogate, beyond U+10FFFF, cut short).
size_t decode(std::string_view s, char32_t& cp) {
    const auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t c = b(0);
    size_t n = 0;
    if (c < 0x80) return cp = c, 1;
    if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
    else return 0;
    if (s.size() < n) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(k) & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

bool allowedInXml(char32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
           cp >= 0x10000;
}

}  // namespace

std::string xmlEscaped(std::string_view text, int& replaced) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        // Most text is a run of characters that go through as they are.
        size_t plain = at;
        while (plain < text.size()) {
            const auto c = static_cast<uint8_t>(text[plain]);
            if (c < 0x20 || c >= 0x80 || c == '&' || c == '<' || c == '>' || c == '"') break;
            ++plain;
        }
        out.append(text.substr(at, plain - at));
        at = plain;
        if (at == text.size()) break;
        char32_t cp = 0;
        const size_t n = decode(text.substr(at), cp);
        if (n == 0 || !allowedInXml(cp)) {
            out += kReplacement;
            ++replaced;
            at += n == 0 ? 1 : n;
            continue;
        }
        switch (cp) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\t': out += "&#9;"; break;
            case '\n': out += "&#10;"; break;
            case '\r': out += "&#13;"; break;
            default: out.append(text.substr(at, n));
        }
        at += n;
    }
    return out;
}

std::string xmlAttribute(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + value + "\"";
}

std::string hexColour(int32_t colour, bool upperCase) {
    const auto v = static_cast<uint32_t>(colour);
    char buf[8];
    std::snprintf(buf, sizeof buf, upperCase ? "#%02X%02X%02X" : "#%02x%02x%02x", v & 0xFF, (v >> 8) & 0xFF,
                  (v >> 16) & 0xFF);
    return buf;
}

}  // namespace qm
