// The canvas's edge, which every element stays inside: a selection moved, an
// element dropped, resized, or an arrow's vertex put somewhere all stop there by
// the one rule below.
#pragma once

#include "model/editor.h"
#include "model/element_parts.h"

namespace qm {

// The canvas's client area, where elements lie, in twips.
BoxF canvasBox(const Editor& ed);

// The offset nearest `want` by which `box` moves without leaving the canvas, or,
// lying partly off it already, without going further off.
PointF clampOffset(const BoxF& box, const BoxF& canvas, PointF want);

// Where `box` must go to lie wholly on the canvas: the offset, by the same rule,
// that brings it nearest to where it is; nothing when it lies there already. A new
// element dropped, an element resized or an arrow's vertex moved stops at the
// edge as a moved selection does.
PointF intoCanvas(const Editor& ed, const BoxF& box);

}  // namespace qm
