// The editor as the rules see it: the current document, the host's services and the
// text metrics, plus the fixed geometry of the program's canvas. Operations of the
// core are free functions taking an Editor.
#pragma once
#include <functional>

#include "model/document.h"
#include "model/host.h"
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

class Editor {
public:
    Editor(Host& host, const TextMetrics& metrics, CanvasGeometry canvas = {})
        : host(host), metrics(metrics), canvas(canvas) {}

    Document doc;
    Host& host;
    const TextMetrics& metrics;
    CanvasGeometry canvas;

    // Runs the program's Save command; true only when the document was written.
    // Empty until the file commands are wired in: then nothing can be saved.
    std::function<bool()> save;

    // Every change to the drawing passes here.
    void markModified() { doc.modified = -1; }
};

}  // namespace qm
