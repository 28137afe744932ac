// What is selected: one element (selKind and selIndex) or several (the group),
// chosen, added to, cleared (the look is drawn from the state, see
// model/selection_look.h). Deleting is in interact/deleting.h, the labels lying
// on each shape in interact/inner_labels.h.
#pragma once
#include <vector>

#include "model/editor.h"
#include "model/element_parts.h"

namespace qm {

// Selects element i of a kind as a press or click on it would, texts left as they
// are; nothing when there is no such element. The title block has no index.
void selectElement(Editor& ed, ElementKind kind, int i);

// Makes `elements` the selection, whatever was selected before: none, one (as
// selectElement selects it) or several. Left out are elements hidden or missing,
// a rectangle's, ellipse's or diamond's own texts when it is among them (they go
// with it), and, when there are others, the title block and its labels, which
// never join a selection of several.
void selectElements(Editor& ed, std::vector<ElementRef> elements);

// Ctrl+click: the element joins the selection, or leaves it when it was in it.
void toggleSelected(Editor& ed, ElementRef e);

// 全选: every visible element but the title block and its labels.
void selectAll(Editor& ed);
// Every visible element but the title block and its labels, each kind in index
// order: what 全选 chooses from, the texts of shapes included.
std::vector<ElementRef> everySelectable(const Editor& ed);
// What 全选 would select now, changing nothing.
std::vector<ElementRef> selectedByAll(const Editor& ed);
// Whether 全选 finds anything to select.
bool canSelectAll(const Editor& ed);

// The elements whose outline lies wholly inside the box, as a rubber band takes
// them: visible ones, the title block and its labels never.
std::vector<ElementRef> elementsInside(const Editor& ed, const BoxF& box);

// Whether the element is selected or goes with a selected one wherever it goes (a
// text of a selected rectangle, the labels lying on it).
bool carriedBySelection(const Document& doc, ElementRef e);

// Nothing selected any more, the element's handles hidden. A drag or resize under
// way is ended as its release would end it, a rubber band dropped. A polyline
// arrow being drawn stays in drawing.
void clearSelection(Editor& ed);

// Ends whatever is selected, placed or drawn, for a drawing about to be replaced:
// nothing selected, handles hidden, rubber band hidden, default canvas cursor, the
// label-following timer stopped.
void endInteraction(Editor& ed);

// Ends the drawing of a polyline arrow as the right button would: rubber band
// hidden, a trailing segment that never moved dropped, the head made; an arrow with
// no segment is abandoned. Does nothing outside drawing.
void finishArrowDrawing(Editor& ed);

}  // namespace qm
