// What the user calls each element and what counts as its own: its kind by name,
// whether it is there at all, and the labels that are its texts. The painter, the
// accessible canvas, the compare, the clipboard, dump, diff and every export ask
// here, so that no two of them can name, count or group an element differently.
// Its box is outlineOf (model/element_parts.h).
#pragma once
#include <cstdint>
#include <vector>

#include "model/document.h"
#include "model/parts.h"

namespace qm {

// An element's kind as the user names it. A shape of style 2 or 3 is an ellipse
// (3 a circle), any other style a rectangle; a label with word wrap is written
// one character a line, a vertical label.
enum class UserKind : uint8_t { Rectangle, Ellipse, Diamond, Label, VerticalLabel, Arrow, TitleBlock };

constexpr bool isEllipseStyle(int16_t style) { return style == 2 || style == 3; }
// Written one character a line.
inline bool isVerticalLabel(const LabelEl& label) { return label.wordWrap; }

UserKind userKind(const Document& doc, ElementRef e);

// The name of a kind for the user ("椭圆", "竖向标签") and for the command line
// ("ellipse", "vertical label").
constexpr const char* chineseName(UserKind kind) {
    switch (kind) {
        case UserKind::Rectangle: return "矩形";
        case UserKind::Ellipse: return "椭圆";
        case UserKind::Diamond: return "菱形";
        case UserKind::Label: return "标签";
        case UserKind::VerticalLabel: return "竖向标签";
        case UserKind::Arrow: return "箭头";
        case UserKind::TitleBlock: return "标题栏";
    }
    return "";
}
constexpr const char* englishName(UserKind kind) {
    switch (kind) {
        case UserKind::Rectangle: return "rectangle";
        case UserKind::Ellipse: return "ellipse";
        case UserKind::Diamond: return "diamond";
        case UserKind::Label: return "label";
        case UserKind::VerticalLabel: return "vertical label";
        case UserKind::Arrow: return "arrow";
        case UserKind::TitleBlock: return "title block";
    }
    return "";
}

// Whether any part of the element is painted: an element deleted (hidden) or
// never there is not. Labels that are texts of another element count as present
// here too; they are not elements of their own (ownedLabels).
bool isPresent(const Document& doc, ElementRef e);

// The labels an element shows as its texts, visible or not, in reading order: a
// rectangle's, ellipse's or diamond's upper and lower one, the title block's
// title, number and its table row by row (caption, value), a free label itself;
// an arrow has none. Unused slots (0) are kept, so that positions mean the same.
std::vector<int> elementLabels(const Document& doc, ElementRef e);

// For each label index 0..labelCount: whether it is a text of an existing
// rectangle, ellipse or diamond, or of the title block while it is shown, rather
// than an element of its own.
std::vector<bool> ownedLabels(const Document& doc);

}  // namespace qm
