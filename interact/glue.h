// Arrows that stay on their shapes. When a move begins, the ends of arrows lying on
// a connection point of a rectangle, ellipse or diamond about to move are found
// from where everything lies; as the shapes move or change size, those ends follow
// their points. The ends are the move session's (model/move_session.h), never the
// drawing's, so files stay as they were and older ones glue alike.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/document.h"
#include "model/editor.h"

namespace qm {

// How far from a connection point an end still lies on it: one pixel, since
// pointer snapping puts ends on the pixel nearest the point.
inline constexpr float kGlueReach = kTwipsPerPixel;

// The ends, of arrows other than `wholeArrows` (which the move carries whole),
// lying on a connection point of one of `shapes`; an end on points of two shapes
// goes with the first. The keep of each is taken from its segment as it lies now.
// Listed by arrow in index order, an arrow's tail before its head: the two ends of
// one arrow always next to each other, as followGlue needs them.
std::vector<GluedEnd> findGlue(const Document& doc, std::span<const ElementRef> shapes,
                               std::span<const ElementRef> wholeArrows);

// Each end follows its point to where it lies now. An arrow with both ends glued
// whose points moved alike moves whole; otherwise a glued end's vertex moves with
// its point, and so does the vertex next to it, along the one axis that keeps the
// end's segment level or upright (an arrow of one segment keeps its other end).
// A head that moved is turned along its last segment.
// `glued` must be in findGlue's order: an arrow glued by both ends is known by
// its second end following its first at once in the list; apart, or with another
// arrow's end between them, each end would bend the arrow on its own and an arrow
// carried whole would be bent instead. Each `at` is brought up to date.
void followGlue(Document& doc, std::vector<GluedEnd>& glued);

inline constexpr double kSnapReach = 100;  // twips on each axis, on an unzoomed canvas

// The first connection point within reach of (px, py), where a dragged arrow end
// goes: shapes in index order before diamonds, hidden ones never. Canvas twips.
std::optional<PointF> connectionPointNear(const Document& doc, float px, float py, double reach = kSnapReach);
// The same point in whole twips, where the pointer is pulled while an arrow is drawn.
std::optional<PointF> snapTarget(const Document& doc, int32_t px, int32_t py, double reach = kSnapReach);

// The arrows the ends belong to, each once, in index order.
std::vector<int> gluedArrows(const std::vector<GluedEnd>& glued);

}  // namespace qm
