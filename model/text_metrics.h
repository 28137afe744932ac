// How large a caption is in a font, in twips. Labels size themselves to their text
// through this; the shell measures with the face it really draws with.
#pragma once
#include <string_view>

namespace qm {

struct TextExtent {
    float width = 0, height = 0;
};

class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    // wrapWidth <= 0: one line per line break, width follows the text.
    // wrapWidth > 0: lines are broken to fit that width (anywhere, so a width narrower
    // than one character puts every character on its own line); width is the wrap width.
    virtual TextExtent measure(std::string_view utf8, std::string_view fontName, float pointSize,
                               float wrapWidth) const = 0;
};

}  // namespace qm
