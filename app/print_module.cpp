// Built into the module quillmap_print.so alone, never into a program.
#include "app/print_module.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace qm {
namespace {

// Every printer the program holds was made by newPrinter.
QPrinter& printerOf(QPagedPaintDevice& device) { return static_cast<QPrinter&>(device); }

QPagedPaintDevice* newPrinter(const QPageLayout& layout) {
    auto* printer = new QPrinter(QPrinter::HighResolution);
    printer->setPageLayout(layout);
    return printer;
}

void nameJob(QPagedPaintDevice& device, const QString& title, const QString& creator) {
    printerOf(device).setDocName(title);
    printerOf(device).setCreator(creator);
}

QString destination(QPagedPaintDevice& device) {
    const QPrinter& printer = printerOf(device);
    return printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
}

bool askToPrint(QPagedPaintDevice& device, QWidget* parent, const QString& title) {
    QPrintDialog dialog(&printerOf(device), parent);
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}

void preview(QPagedPaintDevice& device, QWidget* parent, const QString& title,
             const std::function<void(QPagedPaintDevice&)>& paint) {
    QPrintPreviewDialog preview(&printerOf(device), parent);
    preview.setWindowTitle(title);
    // Qt's own size shows the page too small to read; take the window's.
    preview.resize(parent->size());
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&paint](QPrinter* p) { paint(*p); });
    preview.exec();
}

constexpr PrintModule kTable{newPrinter, nameJob, destination, askToPrint, preview};

}  // namespace
}  // namespace qm

extern "C" Q_DECL_EXPORT const void* quillmap_module() { return &qm::kTable; }
