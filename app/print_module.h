// The printer and Qt's print dialog and print preview, in the module
// quillmap_print.so (see render/modules.h): Qt's print support is loaded with it
// when the user first prints, not when an editor starts. The pages themselves are
// painted by the program on the printer as a paged device.
#pragma once
#include <functional>

#include <QString>

class QPageLayout;
class QPagedPaintDevice;
class QWidget;

namespace qm {

inline constexpr const char* kPrintModule = "quillmap_print.so";

struct PrintModule {
    // A printer at its highest resolution on `layout`; the caller owns it.
    QPagedPaintDevice* (*newPrinter)(const QPageLayout& layout);
    // The name of the job in the print queue, and of the PDF file Qt proposes.
    void (*nameJob)(QPagedPaintDevice& printer, const QString& title, const QString& creator);
    // Where the pages go: the output file when there is one, else the printer's name.
    QString (*destination)(QPagedPaintDevice& printer);
    // Qt's print dialog over `parent`; true when the user confirmed.
    bool (*askToPrint)(QPagedPaintDevice& printer, QWidget* parent, const QString& title);
    // Qt's print preview over `parent`, at its size, with `paint` drawing the pages
    // on the printer it is given.
    void (*preview)(QPagedPaintDevice& printer, QWidget* parent, const QString& title,
                    const std::function<void(QPagedPaintDevice&)>& paint);
};

}  // namespace qm
