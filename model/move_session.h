// One press-to-release gesture on the canvas, held by the editor for as long as it
// lasts and never by the drawing: where the press was, which handle it grabbed, how
// far the drag has carried the selection, and the arrow ends it carries along.
// interact/move.h begins, steps and ends it; nothing of it is saved, copied with
// the drawing or undone.
#pragma once
#include <cstdint>
#include <vector>

#include "model/document.h"

namespace qm {

// An arrow end that the move under way carries along with the connection point of
// a rectangle, ellipse or diamond it lay on when the move began.
struct GluedEnd {
    int arrow = 0;
    bool head = false;  // the end of the last segment; else the start of the first
    ElementRef on;      // the shape or diamond
    int point = 0;      // which of its connection points
    PointF at;          // where that point was when the end last followed it
    // How the end's segment lay at the start, which its other vertex keeps when the
    // end moves: level (it moves up and down with the end), upright (left and
    // right), or neither, for a slanting segment or an arrow of one segment.
    enum Keep : uint8_t { Level, Upright, Neither } keep = Neither;
};

struct MoveSession {
    // The press, in whole canvas twips: where a drag measures from, where a
    // rubber band and a straight arrow being drawn start.
    int16_t downX = 0, downY = 0;
    // A label dragged by itself: its top-left corner at the press.
    int16_t startLeft = 0, startTop = 0;
    // The system cursor at the press on a selected label and at the release after
    // it: where the two are the same, the click opens the label's editor. They
    // outlast the release, which comes before the click.
    ScreenPoint pressPt, releasePt;
    // The arrow ends glued to what moves or is resized, in findGlue's order.
    std::vector<GluedEnd> glued;
    // How far the drag has carried the selection from where the press found it.
    PointF moved;
    // The handle the press grabbed: the corner (1 to 4) of a rectangle, ellipse or
    // diamond being resized, or the vertex of an arrow being dragged (0 its tail).
    // A straight arrow being placed is drawn, its head (1) following the pointer,
    // once the drag has gone further than a click would.
    int16_t hitIndex = 0;
    // The pointer's last position (canvas twips, as it came) and the buttons it
    // held: a change of Alt with the pointer still steps the gesture there again.
    PointF pointer;
    int buttons = 0;
};

}  // namespace qm
