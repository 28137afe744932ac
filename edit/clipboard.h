// Copy, paste and duplicate in the core. Copied elements become a document of their
// own (numbered from 1, everything they are made of and nothing else), which
// travels as the clipboard payload of io/clipboard_payload.h. A paste puts such
// elements into the drawing as new elements after every index in use, with their
// records renumbered to match, 150 twips (10 pixels) right of and below where they
// were for each paste of the same payload in a row; whole or nothing.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edit/splice.h"
#include "io/raw_document.h"
#include "model/editor.h"
#include "model/parts.h"

namespace qm {

inline constexpr float kPasteStep = 150;

// What Copy, Cut and Duplicate take: the selected elements but the title block.
std::vector<ElementRef> copyableSelection(const Document& doc);

// The captions of their visible labels, one a line, for programs that take text.
std::string elementTexts(const Document& elements);

// Counts pastes of one payload in a row: 1 for a payload that differs from the
// last one pasted, one more for each further paste of the same.
class PasteSeries {
public:
    int next(std::string_view payload);

private:
    std::string last_;
    int count_ = 0;
};

// Puts the elements (a document as extractElements makes it, in the drawing's layout)
// into the drawing `step` times kPasteStep right of and below their place, less
// where that would take them past the canvas's edge. Whole or nothing: a paste that
// would pass a limit changes nothing and says which in a "提示" box. Returns the
// new elements (rectangles and ellipses, diamonds, arrows, then labels that belong
// to none of them); they become the selection.
std::vector<ElementRef> pasteElements(Editor& ed, const Document& elements, int step);

// The Paste command for the clipboard's payload, into a drawing of `layout`; a
// payload of the other program is converted first. A payload that cannot be read,
// or that holds what this program's drawings cannot, is refused with a message.
std::vector<ElementRef> pastePayload(Editor& ed, std::string_view payload, Layout layout, PasteSeries& series);

// The Paste command for plain text: a new label holding it, where a new label appears.
std::vector<ElementRef> pasteText(Editor& ed, std::string_view text, PasteSeries& series);

// 创建副本: the selection copied and pasted once, the clipboard left alone.
std::vector<ElementRef> duplicateSelection(Editor& ed);

}  // namespace qm
