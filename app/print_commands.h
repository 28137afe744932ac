// The editor's "打印" and "打印预览" commands: Qt's print dialog and print
// preview on a printer that starts on A4 landscape and keeps the user's choices
// for the window's life. The pages themselves are laid out by print_layout; the
// printer and the dialogs come from the print module (print_module.h).
#pragma once
#include "io/result.h"

class QPagedPaintDevice;

namespace qm {

class CanvasWidget;
class Editor;

// The printer of the canvas's window (a QPrinter); made on first use. An error
// when the print module cannot be loaded.
Result<QPagedPaintDevice*> windowPrinter(CanvasWidget& canvas);

// Prints the document's canvas picture on the printer as it is set up now. A
// failure is shown as "错误"; false when nothing was printed.
bool printCanvas(Editor& ed, QPagedPaintDevice& printer);

// Commits an open editor box, then shows the print dialog and prints what the
// user confirms. The selection stays; its look and the handles never print.
void printCommand(Editor& ed, CanvasWidget& canvas);

// The same, with the pages shown in Qt's print preview first.
void printPreviewCommand(Editor& ed, CanvasWidget& canvas);

}  // namespace qm
