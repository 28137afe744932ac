// An element as the user sees it, apart from how it is painted: the box its
// outline takes, the connection points arrows are drawn to, and the labels that
// go wherever it goes. What a rubber band takes in, what a move keeps on the
// canvas, what alignment lines up and where arrow ends are glued all start here.
#pragma once
#include <array>
#include <optional>
#include <vector>

#include "model/document.h"

namespace qm {

struct BoxF {
    float left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const BoxF&) const = default;
};

// The smallest box holding both.
BoxF unite(const BoxF& a, const BoxF& b);

// The box of an element's outline as painted, in twips: a rectangle's or
// ellipse's box, a diamond's corners, an arrow's vertices and head, a label's box,
// the title block's frame; the one box of an element everywhere. None exactly
// where the element is not present (model/vocabulary.h).
std::optional<BoxF> outlineOf(const Document& doc, ElementRef e);

// The four points of a visible rectangle, ellipse or diamond that arrows are
// drawn to: left and right (on a rectangle's divider, a diamond's side corners),
// then top and bottom, each in the middle. None for other elements and hidden ones.
std::optional<std::array<PointF, 4>> connectionPoints(const Document& doc, ElementRef e);

// The labels a rectangle, ellipse or diamond takes with it when it moves: its two
// texts and the labels lying on it (its inner list). None for other elements;
// unused slots (0) are left out.
std::vector<int> carriedLabels(const Document& doc, ElementRef e);

}  // namespace qm
