#include "render/picture_encoders.h"

#include <functional>

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QXmlStreamWriter>
#include <QtEndian>

#include "render/canvas_painter.h"
#include "render/document_painter.h"
#include "render/fonts.h"
#include "render/modules.h"
#include "render/svg_module.h"

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

// An SVG picture of `size` logical pixels that `paint` paints; an error when Qt
// could not start one or its writer's module cannot be loaded.
Result<QByteArray> svgPicture(const Painting& paint, QSize size, const std::string& title) {
    const Result<const SvgModule*>& svg = moduleTable<SvgModule>(kSvgModule);
    if (!svg) return svg.error();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!(*svg)->paintSvg(buffer, size, kVectorDpi, QString::fromStdString(title), paint))
        return failure("cannot start an SVG picture");
    return bytes;
}

Result<std::string> encodeSvg(const Painting& paint, QSize size, const std::string& title) {
    const Result<QByteArray> bytes = svgPicture(paint, size, title);
    if (!bytes) return bytes.error();
    return toString(*bytes);
}

// A CSS font-family list; names are quoted, so quotes and backslashes in a
// document's font name are left out.
QString cssFamilies(const QStringList& families) {
    QStringList quoted;
    for (QString f : families) {
        if (f == QLatin1String("serif") || f == QLatin1String("sans-serif")) {
            quoted << f;
            continue;
        }
        f.remove(QLatin1Char('\\')).remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
        quoted << QLatin1Char('\'') + f + QLatin1Char('\'');
    }
    return quoted.join(QStringLiteral(", "));
}

// XML takes no control characters but tab; a caption read from a file may hold some.
QString xmlText(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 0x20 && c != QLatin1Char('\t')) c = QChar(0xFFFD);
    return text;
}

// Every line of every label as one <text> run, in the order they are painted, with
// `origin` (client pixels) at the picture's corner: the
// whole line in one run keeps its words and spaces together, the faces are named
// as a list for a program that lacks ours, and the run's advance is fixed to the
// one it has here, so that any renderer fits the line into the same room.
QByteArray svgLabelTexts(const Document& doc, QPoint origin) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartElement(QStringLiteral("g"));
    xml.writeAttribute(QStringLiteral("stroke"), QStringLiteral("none"));
    // The fonts and their caches are shared with pictures made on other threads.
    const std::lock_guard lock(fontLock());
    for (int i = 1; i < doc.Label.end(); ++i) {
        const LabelEl* l = doc.Label.find(i);
        if (!l) continue;
        const QList<TextLine> lines = labelTextLines(*l);
        if (lines.isEmpty()) continue;
        const QFont& font = labelFont(l->fontName, l->fontSize);
        const QFontMetricsF metrics(font);
        const QString families = cssFamilies(pictureFontFamilies(l->fontName));
        for (const TextLine& line : lines) {
            xml.writeStartElement(QStringLiteral("text"));
            xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
            xml.writeAttribute(QStringLiteral("x"), QString::number(line.topLeft.x() - origin.x(), 'g', 7));
            xml.writeAttribute(QStringLiteral("y"), QString::number(line.topLeft.y() - origin.y() + metrics.ascent(), 'g', 7));
            xml.writeAttribute(QStringLiteral("font-family"), families);
            xml.writeAttribute(QStringLiteral("font-size"), QString::number(font.pixelSize()));
            xml.writeAttribute(QStringLiteral("fill"), toQColor(l->foreColor).name());
            xml.writeAttribute(QStringLiteral("textLength"),
                               QString::number(metrics.horizontalAdvance(line.text), 'g', 7));
            xml.writeAttribute(QStringLiteral("lengthAdjust"), QStringLiteral("spacingAndGlyphs"));
            xml.writeCharacters(xmlText(line.text));
            xml.writeEndElement();
        }
    }
    xml.writeEndElement();
    bytes.append('\n');
    return bytes;
}

// A generated picture as its head (up to its definitions) and its body (what is
// drawn, up to the closing tag).
struct SvgParts {
    QByteArrayView head, body;
};
std::optional<SvgParts> splitSvg(const QByteArray& svg) {
    const QByteArrayView defsEnd("</defs>\n");
    const qsizetype from = svg.indexOf(defsEnd), to = svg.lastIndexOf(QByteArrayView("</svg>"));
    if (from < 0 || to < from) return std::nullopt;
    const qsizetype bodyAt = from + defsEnd.size();
    return SvgParts{QByteArrayView(svg).first(bodyAt), QByteArrayView(svg).sliced(bodyAt, to - bodyAt)};
}

// QSvgGenerator writes a line of text as runs of one script each, every run at
// the place and in the one face it has here, so that a program without that face
// runs the words into each other. The picture is therefore made of the layer below
// the labels and the layer above them (arrowheads), both painted by Qt, with the
// labels' lines written between them.
Result<std::string> encodeDrawingSvg(const Document& doc, const QRect& area, const std::string& title) {
    const Result<QByteArray> below = svgPicture(
        [&](QPainter& p) { paintDrawing(p, &doc, area, CanvasLook::Chart, [](PartRef r) { return r.part >= Part::Label; }); },
        area.size(), title);
    const Result<QByteArray> above = svgPicture(
        [&](QPainter& p) {
            p.translate(-area.topLeft());
            PaintOptions options = chartPaintOptions();
            options.skip = [](PartRef r) { return r.part <= Part::Label; };
            paintDocument(p, doc, options);
        },
        area.size(), title);
    if (!below) return below.error();
    if (!above) return above.error();
    const std::optional<SvgParts> lower = splitSvg(*below), upper = splitSvg(*above);
    if (!lower || !upper) return failure("cannot read back the SVG picture Qt wrote");
    QByteArray out = lower->head.toByteArray();
    out += lower->body;
    out += svgLabelTexts(doc, area.topLeft());
    out += upper->body;
    out += QByteArrayLiteral("</svg>\n");
    return toString(out);
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

Result<std::string> encodePicture(const Document& doc, QSize size, PictureFormat format, int scale) {
    const std::string title = doc.displayName();
    if (format != PictureFormat::Bmp)
        return encodeDrawingPicture(doc, QRect(QPoint(0, 0), drawingSize(size)), format, scale, title);
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
    if (format == PictureFormat::Svg && scale >= 1 && scale <= kMaxScale) return encodeDrawingSvg(doc, area, title);
    return encodePainted([&](QPainter& p) { paintDrawing(p, &doc, area); }, area.size(), format, scale, title);
}

}  // namespace qm
