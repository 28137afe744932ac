#include "app/print_commands.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "app/canvas_widget.h"
#include "interact/label_editing.h"
#include "model/editor.h"
#include "render/canvas_painter.h"
#include "render/print_layout.h"

namespace qm {
namespace {

// Owns the printer as a child of the window, so it lives as long as the window
// and no longer.
class PrinterHolder : public QObject {
public:
    explicit PrinterHolder(QObject* parent) : QObject(parent), printer(QPrinter::HighResolution) {
        setObjectName(QStringLiteral("printer"));
        printer.setPageLayout(printPageLayout());
    }
    QPrinter printer;
};

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

// False when an open editor box holds a text that was refused: nothing prints then.
// The page shows the chart alone; the selection stays on the canvas.
bool commitForPrinting(Editor& ed, CanvasWidget& canvas) {
    if (!commitOpenEditors(ed)) return false;
    canvas.update();
    return true;
}

// Named as qmptool names its PDF, so that both write the same file. Set before
// the dialog too: Qt proposes a PDF file named after the job.
void nameJob(QPrinter& printer, const Editor& ed) {
    printer.setDocName(printTitle(ed.doc));
    printer.setCreator(QStringLiteral("Quillmap"));
}

}  // namespace

QPrinter& windowPrinter(CanvasWidget& canvas) {
    QWidget* window = canvas.window();
    auto* holder = window->findChild<PrinterHolder*>(QStringLiteral("printer"), Qt::FindDirectChildrenOnly);
    if (!holder) holder = new PrinterHolder(window);
    return holder->printer;
}

bool printCanvas(Editor& ed, QPrinter& printer) {
    nameJob(printer, ed);
    if (printCanvasPicture(printer, ed.doc, canvasPixelSize(ed.canvas))) return true;
    const std::string where = printer.outputFileName().isEmpty() ? printer.printerName().toStdString()
                                                                  : printer.outputFileName().toStdString();
    ed.host.message("错误", "无法打印到“" + where + "”。", Icon::Critical);
    return false;
}

void printCommand(Editor& ed, CanvasWidget& canvas) {
    if (!commitForPrinting(ed, canvas)) return;
    QPrinter& printer = windowPrinter(canvas);
    nameJob(printer, ed);
    QPrintDialog dialog(&printer, canvas.window());
    dialog.setWindowTitle(text("打印"));
    if (dialog.exec() == QDialog::Accepted) printCanvas(ed, printer);
}

void printPreviewCommand(Editor& ed, CanvasWidget& canvas) {
    if (!commitForPrinting(ed, canvas)) return;
    QPrinter& printer = windowPrinter(canvas);
    QPrintPreviewDialog preview(&printer, canvas.window());
    preview.setWindowTitle(text("打印预览"));
    // Qt's own size shows the page too small to read; take the window's.
    preview.resize(canvas.window()->size());
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&ed](QPrinter* p) { printCanvas(ed, *p); });
    preview.exec();
}

}  // namespace qm
