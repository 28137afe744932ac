// The menu command "导出" (PDF, SVG or PNG pictures; OpenDocument drawings and
// draw.io diagrams that other editors change), and the saving of a picture file it
// shares with "保存为BMP图像" (bmp_command.h): a picture of the document,
// encoded by render/picture_encoders.h, written to a file the user picks,
// atomically, leaving the document's changed mark and file name alone.
#pragma once
#include <string>
#include "model/document.h"
#include "model/host.h"

namespace qm {

class CanvasWidget;
class Editor;

// The name a picture of the drawing is proposed under: the drawing's, with the
// extension (no dot) instead of its own.
std::string pictureName(const Document& doc, const std::string& extension);
// The presets of the "导出" dialog: the drawing's name, its types, PDF first.
FileDialogPresets exportDialogPresets(const Document& doc);

// Commits an open editor box, asks for a file with the presets and writes the
// picture of the chart in the format its extension names; PNG at `rasterScale`
// pixels per canvas pixel. The picture leaves out the selection's look and the
// handles, which belong to the editing; the selection stays. A failure is shown
// as "错误" with the reason. False when the dialog was cancelled or nothing was
// written.
bool savePictureAs(Editor& ed, CanvasWidget& canvas, const FileDialogPresets& presets, int rasterScale);

// "导出": the drawing without the window's frame, PDF and SVG as vectors with
// their text, PNG at twice the drawing's pixels.
bool exportCommand(Editor& ed, CanvasWidget& canvas);

}  // namespace qm
