// Arrow geometry under the pointer: the segment hit test, the arrowhead kept on the
// tip and pointing along the last segment, vertex handles, and the steps of drawing,
// placing and dragging arrows that the pointer code calls.
#pragma once
#include <cstdint>
#include <optional>

#include "model/editor.h"

namespace qm {

inline constexpr double kSegmentReach = 100;  // twips, on an unzoomed canvas

// Within `reach` twips of the segment's line and inside the disc whose diameter is
// the segment. A zero-length segment is hit only exactly at its point.
bool hitSegment(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t px, int16_t py,
                double reach = kSegmentReach);

// Direction of a vector: horizontal only when it is strictly flatter than steep.
Dir directionOf(double fx, double fy, double tx, double ty);

// Puts a head picture of direction dir with its tip on (tx, ty).
void placeHead(PictureEl& head, Dir dir, float tx, float ty);

void showArrowHandles(Editor& ed, int n);
// Arrow n moved whole: its segments and its head.
void translateArrow(Document& doc, int n, float dx, float dy);
void orientArrowHead(Document& doc, int n);

// Polyline drawing (selKind 5) with square corners and a rubber band from the last
// vertex to the pointer: pointer moves, left releases and the end.
void polylineStep(Editor& ed, float x, float y);
void polylineLeftRelease(Editor& ed, float x, float y);
// Ends the drawing. With a release point, a rubber band longer than 150 twips
// becomes a last segment to it. A trailing segment that never moved is dropped; an
// arrow left without segments is abandoned, otherwise it gets its head.
void endPolyline(Editor& ed, std::optional<PointF> release);
// The right release: endPolyline at the release point.
void polylineRightRelease(Editor& ed, float x, float y);

// The same steps for arrows drawn at any angle: the segment being drawn runs to the
// pointer and a preview of the head of its direction rides on the pointer; a left
// release starts the next segment there; the right release ends the arrow with the
// segment that followed the pointer, without a rubber band.
void freePolylineStep(Editor& ed, float x, float y);
void freePolylineLeftRelease(Editor& ed, float x, float y);
void freePolylineRightRelease(Editor& ed, float x, float y);


// True when the document has room for one more segment in arrow n; otherwise the
// user is told why, and false.
bool roomForSegment(Editor& ed, int n);

}  // namespace qm
