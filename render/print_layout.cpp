#include "render/print_layout.h"

#include <algorithm>

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include "render/canvas_painter.h"

namespace qm {
namespace {

constexpr qreal kPointsPerPixel = 72.0 / 96.0;

// Qt's PDF writer and its printers on PDF start with these margins.
constexpr qreal kMarginPoints = 10;

}  // namespace

QPageLayout printPageLayout(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation) {
    return QPageLayout(QPageSize(paper), orientation,
                       QMarginsF(kMarginPoints, kMarginPoints, kMarginPoints, kMarginPoints), QPageLayout::Point);
}

QRectF printedPictureRect(const QPageLayout& layout, QSize size) {
    const QRectF paper = layout.fullRect(QPageLayout::Point);
    const QRectF printable = layout.paintRect(QPageLayout::Point);
    const QSizeF trueSize = QSizeF(size) * kPointsPerPixel;
    if (trueSize.isEmpty() || printable.isEmpty()) return {};
    QRectF r(QPointF(), trueSize);
    r.moveCenter(paper.center());
    if (printable.contains(r)) return r;
    // Margins of unequal width can push a picture that would fit off centre.
    const qreal scale = std::min({1.0, printable.width() / trueSize.width(), printable.height() / trueSize.height()});
    r.setSize(trueSize * scale);
    r.moveCenter(printable.center());
    return r;
}

bool printCanvasPicture(QPagedPaintDevice& device, const Document& doc, QSize canvasSize) {
    const QPageLayout layout = device.pageLayout();
    const QSize size = drawingSize(canvasSize);
    const QRectF target = printedPictureRect(layout, size);
    QPainter painter;
    if (target.isEmpty() || !painter.begin(&device)) return false;
    // The painter's origin is the printable area's corner, its unit a device pixel.
    const qreal pixelsPerPoint = device.logicalDpiX() / 72.0;
    const QPointF origin = target.topLeft() - layout.paintRect(QPageLayout::Point).topLeft();
    painter.translate(origin * pixelsPerPoint);
    painter.scale(target.width() * pixelsPerPoint / size.width(), target.height() * pixelsPerPoint / size.height());
    // A preview shows the page far smaller than print; smoothed, its one-pixel
    // lines stay visible there. Paper and PDF take the shapes as they are.
    painter.setRenderHint(QPainter::Antialiasing);
    paintDrawing(painter, &doc, QRect(QPoint(0, 0), size));
    return painter.end();
}

QString printTitle(const Document& doc) { return QString::fromStdString(doc.displayName()); }

Result<std::string> printedPdf(const Document& doc, QSize size, const QPageLayout& layout) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    if (!pdf.setPageLayout(layout)) return IoError{"cannot lay out the page on this paper", std::nullopt};
    pdf.setTitle(printTitle(doc));
    pdf.setCreator(QStringLiteral("Quillmap"));
    if (!printCanvasPicture(pdf, doc, size)) return IoError{"cannot draw the printed page", std::nullopt};
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace qm
