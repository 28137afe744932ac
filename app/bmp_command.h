// The menu command "保存为BMP图像": the canvas, frame included, rendered offscreen
// from the document and written as a 24-bit Windows bitmap (encodeBmp24 in
// render/picture_encoders.h), atomically.
#pragma once

namespace qm {

class CanvasWidget;
class Editor;

// Clears the selection (an open editor box committed first), asks for a file
// name and writes the picture. False when the dialog was cancelled or the file
// could not be written (the user has then been told why). The document's
// `modified` and `fileName` are left alone.
bool saveAsBmpCommand(Editor& ed, CanvasWidget& canvas);

}  // namespace qm
