#include "cli/json_writer.h"

#include <charconv>
#include <cmath>

namespace qm::cli {
namespace {

// Length of the well-formed UTF-8 sequence at the start of `s`, 0 if there is none.
size_t utf8Length(std::string_view s) {
    const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(0);
    if (c < 0x80) return 1;
    size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;  // overlong
        if (c == 0xED) hi = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;  // overlong
        if (c == 0xF4) hi = 0x8F;  // above U+10FFFF
    } else
        return 0;
    if (s.size() < n || b(1) < lo || b(1) > hi) return 0;
    for (size_t i = 2; i < n; ++i)
        if (b(i) < 0x80 || b(i) > 0xBF) return 0;
    return n;
}

}  // namespace

bool isUtf8(std::string_view s) {
    while (!s.empty()) {
        const size_t n = utf8Length(s);
        if (n == 0) return false;
        s.remove_prefix(n);
    }
    return true;
}

void JsonWriter::newline(size_t depth) {
    out_ += '\n';
    out_.append(2 * depth, ' ');
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (stack_.empty()) return;
    Level& level = stack_.back();
    if (!level.empty) out_ += level.layout == Layout::Inline ? ", " : ",";
    if (level.layout == Layout::Block) newline(stack_.size());
    level.empty = false;
}

void JsonWriter::beginObject(Layout layout) {
    beforeValue();
    out_ += '{';
    // Inside a one-line container everything stays on that line.
    const bool inlined = layout == Layout::Inline || (!stack_.empty() && stack_.back().layout == Layout::Inline);
    stack_.push_back({true, inlined ? Layout::Inline : Layout::Block});
}

void JsonWriter::beginArray(Layout layout) {
    beforeValue();
    out_ += '[';
    const bool inlined = layout == Layout::Inline || (!stack_.empty() && stack_.back().layout == Layout::Inline);
    stack_.push_back({false, inlined ? Layout::Inline : Layout::Block});
}

void JsonWriter::close(char bracket, bool object) {
    if (stack_.empty() || stack_.back().object != object || afterKey_) return;  // misuse: keep the text as it is
    const Level level = stack_.back();
    stack_.pop_back();
    if (level.layout == Layout::Block && !level.empty) newline(stack_.size());
    out_ += bracket;
}

void JsonWriter::endObject() { close('}', true); }
void JsonWriter::endArray() { close(']', false); }

void JsonWriter::key(std::string_view name) {
    beforeValue();
    quoted(name);
    out_ += ": ";
    afterKey_ = true;
}

void JsonWriter::string(std::string_view utf8) {
    beforeValue();
    quoted(utf8);
}

void JsonWriter::quoted(std::string_view utf8) {
    static const char hex[] = "0123456789abcdef";
    out_ += '"';
    while (!utf8.empty()) {
        const auto c = static_cast<unsigned char>(utf8[0]);
        if (c >= 0x80) {
            const size_t n = utf8Length(utf8);
            if (n == 0) {
                out_ += "\xEF\xBF\xBD";
                utf8.remove_prefix(1);
            } else {
                out_.append(utf8.substr(0, n));
                utf8.remove_prefix(n);
            }
            continue;
        }
        utf8.remove_prefix(1);
        switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        case '\b': out_ += "\\b"; break;
        case '\f': out_ += "\\f"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out_ += "\\u00";
                out_ += hex[c >> 4];
                out_ += hex[c & 15];
            } else
                out_ += static_cast<char>(c);
        }
    }
    out_ += '"';
}

void JsonWriter::integer(int64_t value) {
    beforeValue();
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out_.append(buf, r.ptr);
}

void JsonWriter::real(double value) {
    if (!std::isfinite(value)) {
        null();
        return;
    }
    beforeValue();
    char buf[32];
    // A value that came from a 32-bit field is written in its shortest 32-bit form
    // (11500.5, not 11500.5000000001) and still reads back exactly.
    const auto f = static_cast<float>(value);
    const auto r = static_cast<double>(f) == value ? std::to_chars(buf, buf + sizeof buf, f)
                                                  : std::to_chars(buf, buf + sizeof buf, value);
    out_.append(buf, r.ptr);
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::null() {
    beforeValue();
    out_ += "null";
}

}  // namespace qm::cli
