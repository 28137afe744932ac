#include "render/picture_encoders.h"

#include <functional>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QtEndian>

#include "render/canvas_painter.h"

namespace qm {
namespace {

// Vector pictures are laid out at the usual screen density, so one canvas pixel
// is one CSS pixel in SVG and 0.75 pt on a PDF page.
constexpr int kVectorDpi = 96;

std::string toString(const QByteArray& bytes) { return std::string(bytes.constData(), static_cast<size_t>(bytes.size())); }

IoError failure(const char* what) { return IoError{what, std::nullopt}; }

// The bits per pixel and compression fields of the BITMAPINFOHEADER that
// follows the 14-byte file header.
bool isUncompressed24Bit(const QByteArray& bmp) {
    if (bmp.size() < 54 || !bmp.startsWith("BM")) return false;
    const auto* d = reinterpret_cast<const uchar*>(bmp.constData());
    return qFromLittleEndian<quint16>(d + 28) == 24 && qFromLittleEndian<quint32>(d + 30) == 0;
}

using Painting = std::function<void(QPainter&)>;

Result<std::string> encodeRaster(const Painting& paint, QSize size, PictureFormat format, int scale) {
    const QImage image = paintedImage(paint, size, scale);
    if (image.isNull()) return failure("not enough memory for a picture of this scale");
    if (format == PictureFormat::Bmp) {
        const QByteArray bmp = encodeBmp24(image);
        if (bmp.isEmpty()) return failure("cannot encode the picture as a 24-bit BMP");
        return toString(bmp);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    if (!writer.write(image))
        return IoError{"cannot encode the picture: " + writer.errorString().toStdString(), std::nullopt};
    return toString(bytes);
}

Result<std::string> encodeSvg(const Painting& paint, QSize size, const std::string& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(kVectorDpi);
    svg.setTitle(QString::fromStdString(title));
    QPainter painter;
    if (!painter.begin(&svg)) return failure("cannot start an SVG picture");
    paint(painter);
    painter.end();
    return toString(bytes);
}

Result<std::string> encodePdf(const Painting& paint, QSize size, const std::string& title) {
    const QSizeF points = QSizeF(size) * 72.0 / kVectorDpi;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(kVectorDpi);
    // One page the size of the picture; a page size is given upright, so a picture
    // wider than high is a landscape page.
    const bool wide = points.width() > points.height();
    const QPageSize page(wide ? points.transposed() : points, QPageSize::Point, QString(), QPageSize::ExactMatch);
    if (!pdf.setPageLayout(QPageLayout(page, wide ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF())))
        return failure("cannot lay out the PDF page");
    pdf.setTitle(QString::fromStdString(title));
    pdf.setCreator(QStringLiteral("Quillmap"));
    QPainter painter;
    if (!painter.begin(&pdf)) return failure("cannot start a PDF picture");
    paint(painter);
    if (!painter.end()) return failure("cannot finish the PDF picture");
    return toString(bytes);
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

std::optional<PictureFormat> pictureFormatFor(std::string_view path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return std::nullopt;
    const std::string ext = lower(path.substr(dot + 1));
    if (ext == "bmp") return PictureFormat::Bmp;
    if (ext == "png") return PictureFormat::Png;
    if (ext == "svg") return PictureFormat::Svg;
    if (ext == "pdf") return PictureFormat::Pdf;
    return std::nullopt;
}

bool isRaster(PictureFormat format) { return format == PictureFormat::Bmp || format == PictureFormat::Png; }

QByteArray encodeBmp24(const QImage& image) {
    if (image.isNull()) return {};
    // Qt writes 24 bits for every image that has no colour table; RGB888 is such
    // an image and carries no alpha to lose.
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(rgb) || !isUncompressed24Bit(bytes)) return {};
    return bytes;
}

Result<std::string> encodePicture(const Document& doc, QSize size, PictureFormat format, int scale,
                                  const std::string& title) {
    return encodePainted([&](QPainter& p) { paintCanvasPicture(p, &doc, size); }, size, format, scale, title);
}

Result<std::string> encodePainted(const std::function<void(QPainter&)>& paint, QSize size, PictureFormat format,
                                  int scale, const std::string& title) {
    if (scale < 1 || scale > kMaxScale)
        return IoError{"the scale must be a whole number from 1 to " + std::to_string(kMaxScale), std::nullopt};
    switch (format) {
    case PictureFormat::Bmp:
    case PictureFormat::Png: return encodeRaster(paint, size, format, scale);
    case PictureFormat::Svg: return encodeSvg(paint, size, title);
    case PictureFormat::Pdf: return encodePdf(paint, size, title);
    }
    return failure("unknown picture format");
}

Result<std::string> encodeDrawingPicture(const Document& doc, const QRect& area, PictureFormat format, int scale,
                                         const std::string& title) {
    return encodePainted([&](QPainter& p) { paintDrawing(p, &doc, area); }, area.size(), format, scale, title);
}

}  // namespace qm
