// The "保存为BMP图像" command: the canvas, frame included, rendered offscreen
// from the document and written as a 24-bit Windows bitmap, atomically.
#pragma once
#include "render/picture_encoders.h"  // encodeBmp24, the encoder it writes with

namespace qm {

class CanvasWidget;
class Editor;

// Asks for a file name and writes the picture. False when the dialog was
// cancelled or the file could not be written (the user has then been told why).
// The document's `modified` and `fileName` are left alone.
bool saveCanvasAsBmp(Editor& ed, CanvasWidget& canvas);

}  // namespace qm
