// The visual elements a drawing is made of, as entries of a retained drawing list.
// Each holds exactly the properties the editor relies on; geometry is in twips.
#pragma once
#include <cstdint>
#include <string>

namespace qm {

// Colours are packed red + 256*green + 65536*blue.
using Color = int32_t;
inline constexpr Color kBlack = 0;
inline constexpr Color kGreen = 65280;  // the colour the selection is drawn in, never stored by the editor

enum class ShapeStyle : int16_t { Rectangle = 0, Oval = 2 };

struct ShapeEl {
    float left = 0, top = 0, width = 0, height = 0;
    bool visible = false;
    int16_t style = 0;  // 0 rectangle, 2 oval; the file format allows 0..5
    Color borderColor = kBlack;
    bool operator==(const ShapeEl&) const = default;
};

enum class LineStyle : int16_t { Solid = 0, Dotted = 1 };

struct LineEl {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool visible = false;
    Color borderColor = kBlack;
    LineStyle style = LineStyle::Solid;
    bool operator==(const LineEl&) const = default;
};

struct LabelEl {
    float left = 0, top = 0, width = 0, height = 0;
    bool visible = false;
    std::string caption;  // UTF-8
    Color foreColor = kBlack;
    bool wordWrap = false;
    std::string fontName;  // as documents name it, e.g. "宋体"
    float fontSize = 9;    // points
    bool operator==(const LabelEl&) const = default;
};

// An arrowhead picture; which way it points follows from its collection.
struct PictureEl {
    float left = 0, top = 0, width = 150, height = 150;
    bool visible = false;
    bool operator==(const PictureEl&) const = default;
};

// Where a handle's fill colour comes from; the shell maps it to the platform's colour.
enum class SystemColor : int16_t { Highlight, ActiveCaption };

struct HandleEl {
    float left = 0, top = 0, width = 75, height = 75;
    bool visible = false;
    SystemColor fill = SystemColor::Highlight;
};

// Arrowhead directions, as stored in an arrow record and in files.
enum class Dir : int16_t { Up = 0, Down = 1, Left = 2, Right = 3 };

}  // namespace qm
