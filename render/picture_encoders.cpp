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
#include <QSvgGenerator>
#include <QXmlStreamWriter>
#include <QtEndian>

#include "render/canvas_painter.h"
#include "render/document_painter.h"
#include "render/fonts.h"

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

Result<std::string> encodeRaster(const Document& doc, QSize size, PictureFormat format, int scale) {
    const bool bmp = format == PictureFormat::Bmp;
    const QImage image = bmp ? canvasPictureImage(&doc, size, scale) : drawingPictureImage(&doc, size, scale);
    if (image.isNull()) return failure("not enough memory for a picture of this scale");
    if (bmp) {
        const QByteArray bmpBytes = encodeBmp24(image);
        if (bmpBytes.isEmpty()) return failure("cannot encode the picture as a 24-bit BMP");
        return toString(bmpBytes);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    if (!writer.write(image))
        return IoError{"cannot encode the picture: " + writer.errorString().toStdString(), std::nullopt};
    return toString(bytes);
}

QString pictureTitle(const Document& doc) { return QString::fromStdString(doc.displayName()); }

// One SVG picture of the drawing, painted by `paint` with the painter's origin at
// the drawing's corner.
std::optional<QByteArray> svgLayer(const Document& doc, QSize size, const std::function<void(QPainter&)>& paint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(kVectorDpi);
    svg.setTitle(pictureTitle(doc));
    QPainter painter;
    if (!painter.begin(&svg)) return std::nullopt;
    paint(painter);
    painter.end();
    return bytes;
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

// Every line of every label as one <text> run, in the order they are painted: the
// whole line in one run keeps its words and spaces together, the faces are named
// as a list for a program that lacks ours, and the run's advance is fixed to the
// one it has here, so that any renderer fits the line into the same room.
QByteArray svgLabelTexts(const Document& doc) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartElement(QStringLiteral("g"));
    xml.writeAttribute(QStringLiteral("stroke"), QStringLiteral("none"));
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
            xml.writeAttribute(QStringLiteral("x"), QString::number(line.topLeft.x(), 'g', 7));
            xml.writeAttribute(QStringLiteral("y"), QString::number(line.topLeft.y() + metrics.ascent(), 'g', 7));
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
Result<std::string> encodeSvg(const Document& doc, QSize canvasSize) {
    const QSize size = drawingSize(canvasSize);
    const std::optional<QByteArray> below = svgLayer(doc, size, [&](QPainter& p) {
        paintDrawingPicture(p, &doc, canvasSize, [](PartRef r) { return r.part >= Part::Label; });
    });
    const std::optional<QByteArray> above = svgLayer(doc, size, [&](QPainter& p) {
        PaintOptions options = chartPaintOptions();
        options.skip = [](PartRef r) { return r.part <= Part::Label; };
        paintDocument(p, doc, options);
    });
    if (!below || !above) return failure("cannot start an SVG picture");
    const std::optional<SvgParts> lower = splitSvg(*below), upper = splitSvg(*above);
    if (!lower || !upper) return failure("cannot read back the SVG picture Qt wrote");
    QByteArray out = lower->head.toByteArray();
    out += lower->body;
    out += svgLabelTexts(doc);
    out += upper->body;
    out += QByteArrayLiteral("</svg>\n");
    return toString(out);
}

Result<std::string> encodePdf(const Document& doc, QSize canvasSize) {
    const QSize size = drawingSize(canvasSize);
    const QSizeF points = QSizeF(size) * 72.0 / kVectorDpi;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(kVectorDpi);
    // One page the size of the drawing; wider than high, so the page is landscape.
    const QPageSize page(points.transposed(), QPageSize::Point, QString(), QPageSize::ExactMatch);
    if (!pdf.setPageLayout(QPageLayout(page, QPageLayout::Landscape, QMarginsF())))
        return failure("cannot lay out the PDF page");
    pdf.setTitle(pictureTitle(doc));
    pdf.setCreator(QStringLiteral("Quillmap"));
    QPainter painter;
    if (!painter.begin(&pdf)) return failure("cannot start a PDF picture");
    paintDrawingPicture(painter, &doc, canvasSize);
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
    if (scale < 1 || scale > kMaxScale)
        return IoError{"the scale must be a whole number from 1 to " + std::to_string(kMaxScale), std::nullopt};
    switch (format) {
    case PictureFormat::Bmp:
    case PictureFormat::Png: return encodeRaster(doc, size, format, scale);
    case PictureFormat::Svg: return encodeSvg(doc, size);
    case PictureFormat::Pdf: return encodePdf(doc, size);
    }
    return failure("unknown picture format");
}

}  // namespace qm
