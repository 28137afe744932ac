// The insert commands: each ends what was under way, creates the new element from
// its collection's templates with a fresh record, and hands it to the pointer code
// to be placed. A full collection is refused with a message; nothing changes then.
#pragma once

#include "model/editor.h"

namespace qm {

void insertShape(Editor& ed, ShapeStyle style);
void insertDiamond(Editor& ed);
void insertLabel(Editor& ed, bool vertical);
void insertStraightArrow(Editor& ed, Dir dir);
void insertPolylineArrow(Editor& ed);

inline constexpr float kVerticalLabelWidth = 165;

}  // namespace qm
