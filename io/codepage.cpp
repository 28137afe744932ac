#include "io/codepage.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace qm {
namespace {

// One iconv conversion of a single character. glibc's CP936 "converts" some
// characters it cannot map (the tag characters U+E0000..) to nothing and counts
// them as irreversible, so only a complete, reversible, non-empty result counts.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (usable()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    bool convertOne(std::string_view in, std::string& out) {
        if (!usable()) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buf[16];
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) != 0 || srcLeft != 0) return false;
        if (iconv(cd_, nullptr, nullptr, &dst, &dstLeft) != 0) return false;
        if (dst == buf) return false;
        out.append(buf, static_cast<size_t>(dst - buf));
        return true;
    }

private:
    iconv_t cd_;
};

struct Converters {
    Converter toGbk{"CP936", "UTF-8"};
    Converter toGb18030{"GB18030", "UTF-8"};
    Converter fromGbk{"UTF-8", "CP936"};
    Converter fromGb18030{"UTF-8", "GB18030"};
    bool usable() const {
        return toGbk.usable() && toGb18030.usable() && fromGbk.usable() && fromGb18030.usable();
    }
};

Converters& converters() {
    thread_local Converters c;
    return c;
}

// A system can lack the converters: a minimal container may leave out glibc's
// gconv modules, and newer Debian releases ship the CJK ones in a package of
// their own. Say what is missing rather than blame the document.
IoError unavailable(const Converters& cv) {
    std::string missing;
    if (!cv.toGbk.usable() || !cv.fromGbk.usable()) missing = "CP936 (GBK.so)";
    if (!cv.toGb18030.usable() || !cv.fromGb18030.usable())
        missing += std::string(missing.empty() ? "" : " and ") + "GB18030 (GB18030.so)";
    return IoError{"the system cannot convert document texts: glibc's iconv has no converter for " + missing +
                       "; these gconv modules come with the Debian package libc6, or "
                       "libc-gconv-modules-extra from Debian 14 on",
                   std::nullopt};
}

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at s[i], or 0 when it is not one.
size_t utf8Length(std::string_view s, size_t i, char32_t& cp) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char c = b(0);
    size_t len;
    if (c >= 0xC2 && c <= 0xDF) len = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) len = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) len = 4, cp = c & 0x07;
    else return 0;
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        if (!isContinuation(b(k))) return 0;
        cp = cp << 6 | (b(k) & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    return len;
}

// The length of the GBK/GB18030 character starting with s[i]: one byte for ASCII
// and 0x80 (the euro sign of code page 936), four for GB18030's four-byte form
// (second byte a digit), two otherwise; 0 for a byte no character starts with.
size_t documentCharLength(std::string_view s, size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c <= 0x80) return 1;
    if (c == 0xFF) return 0;
    if (i + 1 < s.size()) {
        const auto d = static_cast<unsigned char>(s[i + 1]);
        if (d >= 0x30 && d <= 0x39) return 4;
    }
    return 2;
}

std::string hexBytes(std::string_view b) {
    std::string out;
    char buf[4];
    for (unsigned char c : b) {
        std::snprintf(buf, sizeof buf, out.empty() ? "%02X" : " %02X", c);
        out += buf;
    }
    return out;
}

std::string codePoint(char32_t cp) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
    return buf;
}

// Decodes one character of at most four bytes; appends its UTF-8 to out.
bool decodeOne(Converters& cv, std::string_view ch, std::string& out) {
    if (ch.size() <= 2 && cv.fromGbk.convertOne(ch, out)) return true;
    return cv.fromGb18030.convertOne(ch, out);
}

// Two-byte characters as decoded before. A document's texts use a few thousand of
// them over and over, and a lookup costs far less than asking iconv again.
class TwoByteMemo {
public:
    // Appends the UTF-8 of the two bytes; false when they are no character.
    bool decode(Converters& cv, std::string_view ch, std::string& out) {
        if (!known_) known_ = std::make_unique<std::array<uint32_t, 65536>>();  // all unknown
        uint32_t& e = (*known_)[static_cast<size_t>(static_cast<unsigned char>(ch[0])) << 8 |
                                static_cast<unsigned char>(ch[1])];
        if (e == kUnknown || e == kLong) {
            std::string utf8;
            const bool ok = decodeOne(cv, ch, utf8);
            if (e == kUnknown) e = !ok ? kInvalid : utf8.size() > 3 ? kLong : pack(utf8);
            out += utf8;
            return ok;
        }
        if (e == kInvalid) return false;
        const auto n = static_cast<size_t>(e >> 24);
        for (size_t k = 0; k < n; ++k) out += static_cast<char>(e >> (16 - 8 * k) & 0xFF);
        return true;
    }

private:
    // An entry: unknown, no character, UTF-8 too long to pack (decoded every time),
    // or the length in the top byte and up to three bytes of UTF-8 below it.
    static constexpr uint32_t kUnknown = 0, kInvalid = 1, kLong = 2;
    static uint32_t pack(const std::string& utf8) {
        uint32_t e = static_cast<uint32_t>(utf8.size()) << 24;
        for (size_t k = 0; k < utf8.size(); ++k) e |= uint32_t{static_cast<unsigned char>(utf8[k])} << (16 - 8 * k);
        return e;
    }
    std::unique_ptr<std::array<uint32_t, 65536>> known_;
};

// Copies the run of ASCII bytes from `i` on, the same in UTF-8 and in the
// document's code page; the index after it.
size_t copyAscii(std::string_view in, size_t i, std::string& out) {
    size_t end = i;
    while (end < in.size() && static_cast<unsigned char>(in[end]) < 0x80) ++end;
    out.append(in.substr(i, end - i));
    return end;
}

}  // namespace

Status checkCodePages() {
    const Converters& cv = converters();
    return cv.usable() ? Status() : Status(unavailable(cv));
}

Result<std::string> encodeDocumentText(std::string_view utf8) {
    Converters& cv = converters();
    if (!cv.usable()) return unavailable(cv);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; (i = copyAscii(utf8, i, out)) < utf8.size();) {
        char32_t cp = 0;
        const size_t len = utf8Length(utf8, i, cp);
        if (len == 0) return IoError{"the text is not valid UTF-8", i};
        const std::string_view ch = utf8.substr(i, len);
        if (!cv.toGbk.convertOne(ch, out)) {
            // Keep the GB18030 form only if it reads back as the same character:
            // a two-byte code GBK assigns differently would come back as another.
            std::string gb, back;
            if (!cv.toGb18030.convertOne(ch, gb) || !decodeOne(cv, gb, back) || back != ch)
                return IoError{"the character " + codePoint(cp) + " cannot be stored in a document", i};
            out += gb;
        }
        i += len;
    }
    return out;
}

Result<std::string> decodeDocumentText(std::string_view bytes) {
    Converters& cv = converters();
    if (!cv.usable()) return unavailable(cv);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (size_t i = 0; (i = copyAscii(bytes, i, out)) < bytes.size();) {
        const size_t len = documentCharLength(bytes, i);
        if (len == 0) return IoError{"the byte FF is not part of any GBK or GB18030 character", i};
        if (i + len > bytes.size())
            return IoError{"the text ends inside a character (" + hexBytes(bytes.substr(i)) + ")", i};
        thread_local TwoByteMemo memo;
        if (!(len == 2 ? memo.decode(cv, bytes.substr(i, len), out) : decodeOne(cv, bytes.substr(i, len), out)))
            return IoError{"the bytes " + hexBytes(bytes.substr(i, len)) + " are not a GBK or GB18030 character", i};
        i += len;
    }
    return out;
}

}  // namespace qm
