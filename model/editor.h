// The editor as the rules see it: the current document, the host's services and the
// text metrics, plus the fixed geometry of the program's canvas. Operations of the
// core are free functions taking an Editor.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "model/document.h"
#include "model/drag_guides.h"
#include "model/file_identity.h"
#include "model/host.h"
#include "model/move_session.h"
#include "model/text_metrics.h"

namespace qm {

inline constexpr float kTwipsPerPixel = 15;

// The canvas Picture1: its position in its container and its outer size, in twips,
// and the width of its sunken frame; element positions are relative to the area
// inside the frame.
struct CanvasGeometry {
    float left = 75, top = 75, width = 14415, height = 9615;
    float frame = 2 * kTwipsPerPixel;
};

// An in-place editor box laid over a label while its text is edited. The shell
// shows a real text widget wherever and whenever the box says, and keeps `text`
// equal to what the user has typed.
struct EditBox {
    bool visible = false;
    float left = 0, top = 0, width = 0, height = 0;
    std::string text;
    // The bytes at the start of `text` the box opens with outside its selection,
    // so that the first key typed replaces the rest and keeps them.
    std::size_t keptPrefix = 0;
};

// The tall box's height when its text needs no more.
inline constexpr float kTallBoxHeight = 1515;

// Which element a press landed on; the moves and the release that follow go to
// the same target, whatever they pass over.
struct PointerTarget {
    // Abandoned: a press whose gesture was backed out (Esc, Undo) or that did all
    // it does at once (a Ctrl+click); the moves and the release that remain of it
    // go nowhere.
    enum Kind { None, Canvas, Label, Picture, Abandoned } kind = None;
    int index = 0;       // of the label or arrowhead picture
    Dir dir = Dir::Up;   // of the arrowhead picture: which collection it is in
};

struct Rules;
struct EditHistory;

class Editor {
public:
    Editor(Host& host, const TextMetrics& metrics, CanvasGeometry canvas = {}, const Rules* rules = nullptr)
        : host(host), metrics(metrics), canvas(canvas), rules(rules) {}

    Document doc;
    Host& host;
    const TextMetrics& metrics;
    CanvasGeometry canvas;
    const Rules* rules;  // the program's pointer and label handlers; null: quillmap's

    // Text1: one line, for labels without word wrap; Text2: tall, for vertical labels.
    EditBox text1{false, 0, 0, 1515, 315, {}, 0};
    EditBox text2{false, 0, 0, 315, kTallBoxHeight, {}, 0};

    PointerTarget capture;  // set by a press, cleared by the release
    MoveSession drag;       // the gesture under way (interact/move.h)

    // How many twips one pixel of the screen spans where the canvas is shown:
    // kTwipsPerPixel at 100%, fewer when the view is zoomed in. The shell sets it
    // with the zoom; the rules read the system cursor through it.
    float twipsPerScreenPixel = kTwipsPerPixel;
    // What the user aims at with the pointer (handles, arrow segments, the pull of
    // connection points) is as large on the screen at every zoom: `twips` is the
    // reach on an unzoomed canvas, the result that reach on the canvas as shown.
    float screenTolerance(float twips) const { return twips * twipsPerScreenPixel / kTwipsPerPixel; }

    // Snapping, as the program's settings have it: the shell sets them. Both off
    // leave every drag pixel-exact, as the reduced editor always is.
    bool snapToGrid = false;
    bool alignmentGuides = false;
    // Alt held during the drag under way: neither snaps for it.
    bool snapHeldOff = false;
    DragGuides guides;

    // The drawing's file as it was when last read or written; a save to it first
    // checks that nobody else has changed it since.
    FileIdentity fileOnDisk;

    // Runs the program's Save command; true only when the document was written.
    // Empty until the file commands are wired in: then nothing can be saved.
    std::function<bool()> save;

    // The drawing's past, for Undo and Redo and the changed mark (edit/undo.h);
    // null until the program starts one.
    std::shared_ptr<EditHistory> history;

    // A change to the drawing: marked at once, and confirmed or taken back by
    // comparing with the saved state when the editor comes to rest.
    void markModified() { doc.setModified(true); }
};

// Puts a document that was read in place of the editor's, keeping what belongs to
// the editor rather than to the drawing: templates, handles, the editor's settings.
// Nothing is selected afterwards and the document counts as unchanged.
void replaceDocument(Editor& ed, Document&& next, const std::string& path);

}  // namespace qm
