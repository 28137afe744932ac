// Text as an XML file may hold it. A caption may carry what XML 1.0 forbids
// (control characters, bytes that are no UTF-8); such a character is written as
// U+FFFD and counted, so that the export can say how many it had to change.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// `text` escaped for an attribute value or character data, each character XML
// cannot hold replaced by U+FFFD and counted in `replaced`. A tab, a line feed
// and a carriage return are kept, as character references inside attributes.
std::string xmlEscaped(std::string_view text, int& replaced);

// ` name="value"`, the value already escaped where it needs to be.
std::string xmlAttribute(const char* name, const std::string& value);

// A colour as "#rrggbb" (packed red + 256*green + 65536*blue), in lower- or
// upper-case hexadecimal as the format writes it.
std::string hexColour(int32_t colour, bool upperCase);

}  // namespace qm
