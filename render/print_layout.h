// Printed pages of a chart: the drawing (the canvas without its window's frame)
// on one page, at true size (one logical pixel = 1/96 inch, 15 twips) centred on
// the paper, or where it does not
// fit, scaled down uniformly to fit the printable area: never cropped, never split
// across pages, never enlarged. The editor's Print and Print preview and
// `qmptool print` all lay their pages out here.
#pragma once
#include <string>

#include <QPageLayout>
#include <QRectF>
#include <QSize>

#include "io/result.h"
#include "model/document.h"

class QPagedPaintDevice;

namespace qm {

// A paper in an orientation, with the margins of Qt's PDF output. Print starts on
// A4 landscape.
QPageLayout printPageLayout(QPageSize::PageSizeId paper = QPageSize::A4,
                            QPageLayout::Orientation orientation = QPageLayout::Landscape);

// Where a picture of `size` logical pixels lies on the page, in points from the
// paper's top-left corner.
QRectF printedPictureRect(const QPageLayout& layout, QSize size);

// Paints the drawing of a canvas of `size` logical pixels on one page of the
// device (a printer or a PDF writer) as its page layout asks. False when the device cannot be painted on, such as a
// printer whose output file cannot be opened.
bool printCanvasPicture(QPagedPaintDevice& device, const Document& doc, QSize size);

// The name a printed chart carries (the print queue's, the PDF's title): the
// drawing's name, its file's without the folder.
QString printTitle(const Document& doc);

// The PDF file of those pages for a page layout: the pages Print sends to a
// printer with that paper.
Result<std::string> printedPdf(const Document& doc, QSize size, const QPageLayout& layout);

}  // namespace qm
