#include "cli/picture.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "app/bmp_export.h"
#include "app/canvas_widget.h"
#include "io/atomic_file.h"

namespace qm::cli {
namespace {

// Vector pictures are laid out at the usual screen density, so one canvas pixel
// is one CSS pixel in SVG and 0.75 pt on a PDF page.
constexpr int kVectorDpi = 96;

// A canvas widget as the editor's window sizes it, never shown.
class Canvas {
public:
    explicit Canvas(const Editor& ed) {
        widget_.resize(canvasSize(ed));
        widget_.setDocument(&ed.doc);
    }
    ~Canvas() { widget_.setDocument(nullptr); }
    CanvasWidget& widget() { return widget_; }

private:
    CanvasWidget widget_;
};

std::string toString(const QByteArray& bytes) { return std::string(bytes.constData(), static_cast<size_t>(bytes.size())); }

IoError failure(const char* what) { return IoError{what, std::nullopt}; }

// BMP through the editor's own export encoder, so the bytes are the export's.
Result<std::string> encodeRaster(const QImage& image, PictureFormat format) {
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

Result<std::string> encodeSvg(const Editor& ed, const std::string& title) {
    Canvas canvas(ed);
    const QSize size = canvasSize(ed);
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
    canvas.widget().render(&painter);
    painter.end();
    return toString(bytes);
}

Result<std::string> encodePdf(const Editor& ed, const std::string& title) {
    Canvas canvas(ed);
    const QSizeF points = QSizeF(canvasSize(ed)) * 72.0 / kVectorDpi;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(kVectorDpi);
    // One page the size of the canvas; wider than high, so the page is landscape.
    const QPageSize page(points.transposed(), QPageSize::Point, QString(), QPageSize::ExactMatch);
    if (!pdf.setPageLayout(QPageLayout(page, QPageLayout::Landscape, QMarginsF())))
        return failure("cannot lay out the PDF page");
    pdf.setTitle(QString::fromStdString(title));
    pdf.setCreator(QStringLiteral("qmptool"));
    QPainter painter;
    if (!painter.begin(&pdf)) return failure("cannot start a PDF picture");
    canvas.widget().render(&painter);
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

QSize canvasSize(const Editor& ed) {
    return QSize(qRound(ed.canvas.width / kTwipsPerPixel), qRound(ed.canvas.height / kTwipsPerPixel));
}

QImage canvasImage(const Editor& ed, int scale) {
    Canvas canvas(ed);
    // The export's own path at its own size, so the pixels are the export's.
    if (scale == 1) return canvas.widget().renderImage();
    QImage image(canvasSize(ed) * scale, QImage::Format_RGB32);
    if (image.isNull()) return image;
    // Drawn at the higher density, not enlarged: lines and text stay sharp.
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    canvas.widget().render(&image);
    image.setDevicePixelRatio(1);
    return image;
}

Result<std::string> encodePicture(const Editor& ed, PictureFormat format, int scale, const std::string& title) {
    if (scale < 1 || scale > kMaxScale)
        return IoError{"the scale must be a whole number from 1 to " + std::to_string(kMaxScale), std::nullopt};
    switch (format) {
    case PictureFormat::Bmp:
    case PictureFormat::Png: {
        const QImage image = canvasImage(ed, scale);
        if (image.isNull()) return failure("not enough memory for a picture of this scale");
        return encodeRaster(image, format);
    }
    case PictureFormat::Svg: return encodeSvg(ed, title);
    case PictureFormat::Pdf: return encodePdf(ed, title);
    }
    return failure("unknown picture format");
}

Status writePicture(const Editor& ed, const std::string& path, PictureFormat format, int scale) {
    const std::string title = ed.doc.fileName.empty() ? path : ed.doc.fileName;
    const Result<std::string> bytes = encodePicture(ed, format, scale, title);
    if (!bytes) return IoError{"cannot draw \"" + path + "\": " + bytes.error().message, std::nullopt};
    return writeFileAtomically(path, *bytes);
}

}  // namespace qm::cli
