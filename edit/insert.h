// The insert commands: each ends what was under way, creates the new element from
// its collection's templates with a fresh record, and hands it to the pointer code
// to be placed. A full collection is refused with a message; nothing changes then.
#pragma once
#include <string>

#include "model/editor.h"

namespace qm {

// What an insert or a paste adds to the collections.
struct Needs {
    int shapes = 0, diamonds = 0, arrows = 0, labels = 0, segments = 0;
};

// Why the drawing has no room for them, in the words the user is told in a "提示"
// box; empty when it has.
std::string noRoomFor(const Document& doc, const Needs& needs);

void insertShape(Editor& ed, ShapeStyle style);
void insertDiamond(Editor& ed);
void insertLabel(Editor& ed, bool vertical);
void insertStraightArrow(Editor& ed, Dir dir);
void insertPolylineArrow(Editor& ed);

// The same as the menus and toolbars name them, one command per element kind.
inline void insertRectangle(Editor& ed) { insertShape(ed, ShapeStyle::Rectangle); }
inline void insertEllipse(Editor& ed) { insertShape(ed, ShapeStyle::Oval); }
inline void insertHorizontalLabel(Editor& ed) { insertLabel(ed, false); }
inline void insertVerticalLabel(Editor& ed) { insertLabel(ed, true); }
inline void insertUpArrow(Editor& ed) { insertStraightArrow(ed, Dir::Up); }
inline void insertDownArrow(Editor& ed) { insertStraightArrow(ed, Dir::Down); }
inline void insertLeftArrow(Editor& ed) { insertStraightArrow(ed, Dir::Left); }
inline void insertRightArrow(Editor& ed) { insertStraightArrow(ed, Dir::Right); }

}  // namespace qm
