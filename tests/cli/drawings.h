// Drawings for the tests of qmptool, made the way a user makes them: with the
// editors' insert commands, pointer events and editor boxes on a fake host, and
// with Qt's text metrics, so that every label has the size the real editor gives it.
#pragma once
#include <string>

#include "io/raw_document.h"
#include "model/editor.h"
#include "render/qt_text_metrics.h"
#include "unit/support/fakes.h"

namespace qm::test {

struct DrawingEditor {
    explicit DrawingEditor(Layout layout);
    DrawingEditor(const DrawingEditor&) = delete;
    DrawingEditor& operator=(const DrawingEditor&) = delete;

    // A click as the shell routes it, with the system cursor at (x, y) twips.
    void click(float x, float y, int button = 1);
    void move(float x, float y);
    // Places the element being inserted: the label timer follows the cursor first.
    void place(float x, float y);
    // Clicks label i twice to open its editor box, types `text`, commits it.
    void type(int label, const std::string& text);
    // Draws a polyline arrow through `points` twips: a click at each, the last a
    // right click that ends it; the arrow stays selected.
    void polyline(std::initializer_list<PointF> points);

    FakeHost host;
    QtTextMetrics metrics;
    Editor ed;
    Document& doc;
};

// quillmap: a rectangle and an ellipse with typed captions, a deleted rectangle, a
// diamond, a free label, a vertical label, a straight arrow and a polyline arrow.
void drawEveryKind(DrawingEditor& d);

// qmp: a rectangle, an ellipse, a deleted rectangle, a diamond, a free label and a
// polyline arrow, captions typed.
void drawEveryReducedKind(DrawingEditor& d);

}  // namespace qm::test
