// Elements taken out of one drawing and put into another, the pair behind copy
// and paste, 创建副本 and any import. Extracting makes the elements a document of
// their own, numbered from 1, with everything they are made of and own; splicing
// puts such a document's elements into a drawing after every index in use, each
// record renumbered to match. Pure: the limits, the message and the selection
// are the caller's.
#pragma once
#include <optional>
#include <span>
#include <vector>

#include "model/document.h"
#include "model/element_parts.h"
#include "model/parts.h"

namespace qm {

// The elements with their parts: a rectangle or ellipse with its divider, its two
// texts and the visible labels lying on it; a diamond likewise; an arrow with its
// segments and head; a label. No title block; a part two elements share is taken
// once.
Document extractElements(const Document& doc, std::span<const ElementRef> elements);

// Puts every element of `elements` into `doc` under new indices, after those in
// use, and raises the counters. The caller has made sure there is room. Returns
// what the user sees as the new elements: rectangles and ellipses, diamonds,
// arrows, then labels that belong to none of them; hidden ones are left out.
std::vector<ElementRef> spliceElements(Document& doc, const Document& elements);

// The box around what is visible of the elements, in twips; none when nothing is.
std::optional<BoxF> extent(const Document& elements);

// Every element and every position a record holds moved by (dx, dy) twips.
void shiftElements(Document& elements, float dx, float dy);

}  // namespace qm
