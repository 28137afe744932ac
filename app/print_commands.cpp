#include "app/print_commands.h"

#include <memory>

#include <QPagedPaintDevice>

#include "app/canvas_widget.h"
#include "app/print_module.h"
#include "interact/label_editing.h"
#include "io/error_text.h"
#include "model/editor.h"
#include "render/canvas_painter.h"
#include "render/modules.h"
#include "render/print_layout.h"

namespace qm {
namespace {

// Owns the printer as a child of the window, so it lives as long as the window
// and no longer.
class PrinterHolder : public QObject {
public:
    PrinterHolder(QObject* parent, QPagedPaintDevice* printer) : QObject(parent), printer(printer) {
        setObjectName(QStringLiteral("printer"));
    }
    std::unique_ptr<QPagedPaintDevice> printer;
};

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

// Loaded by then: every printer was made by it.
const PrintModule& printModule() { return **moduleTable<PrintModule>(kPrintModule); }

// False when an open editor box holds a text that was refused: nothing prints then.
// The page shows the chart alone; the selection stays on the canvas.
bool commitForPrinting(Editor& ed, CanvasWidget& canvas) {
    if (!commitOpenEditors(ed)) return false;
    canvas.update();
    return true;
}

// Named as qmptool names its PDF, so that both write the same file. Set before
// the dialog too: Qt proposes a PDF file named after the job.
void nameJob(QPagedPaintDevice& printer, const Editor& ed) {
    printModule().nameJob(printer, printTitle(ed.doc), QStringLiteral("Quillmap"));
}

// The window's printer, or none when the print module is missing (told as "错误").
QPagedPaintDevice* printerOrMessage(Editor& ed, CanvasWidget& canvas) {
    const Result<QPagedPaintDevice*> printer = windowPrinter(canvas);
    if (printer) return *printer;
    ed.host.message("错误", "无法打印。\n" + chineseReason(printer.error()), Icon::Critical);
    return nullptr;
}

}  // namespace

Result<QPagedPaintDevice*> windowPrinter(CanvasWidget& canvas) {
    QWidget* window = canvas.window();
    if (auto* holder = window->findChild<PrinterHolder*>(QStringLiteral("printer"), Qt::FindDirectChildrenOnly))
        return holder->printer.get();
    const Result<const PrintModule*>& module = moduleTable<PrintModule>(kPrintModule);
    if (!module) return module.error();
    return (new PrinterHolder(window, (*module)->newPrinter(printPageLayout())))->printer.get();
}

bool printCanvas(Editor& ed, QPagedPaintDevice& printer) {
    nameJob(printer, ed);
    if (printCanvasPicture(printer, ed.doc, canvasPixelSize(ed.canvas))) return true;
    ed.host.message("错误", "无法打印到“" + printModule().destination(printer).toStdString() + "”。", Icon::Critical);
    return false;
}

void printCommand(Editor& ed, CanvasWidget& canvas) {
    if (!commitForPrinting(ed, canvas)) return;
    QPagedPaintDevice* printer = printerOrMessage(ed, canvas);
    if (!printer) return;
    nameJob(*printer, ed);
    if (printModule().askToPrint(*printer, canvas.window(), text("打印"))) printCanvas(ed, *printer);
}

void printPreviewCommand(Editor& ed, CanvasWidget& canvas) {
    if (!commitForPrinting(ed, canvas)) return;
    QPagedPaintDevice* printer = printerOrMessage(ed, canvas);
    if (!printer) return;
    printModule().preview(*printer, canvas.window(), text("打印预览"),
                          [&ed](QPagedPaintDevice& p) { printCanvas(ed, p); });
}

}  // namespace qm
