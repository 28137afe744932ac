#include "render/editable_exports.h"

#include <algorithm>

#include <QBuffer>
#include <QByteArray>
#include <private/qzipwriter_p.h>

#include "edit/drawio_diagram.h"
#include "edit/odf_drawing.h"
#include "render/canvas_painter.h"
#include "render/fonts.h"
#include "render/print_layout.h"

namespace qm {
namespace {

bool endsWith(std::string_view path, std::string_view ext) {
    if (path.size() < ext.size()) return false;
    return std::equal(ext.begin(), ext.end(), path.end() - static_cast<std::ptrdiff_t>(ext.size()),
                      [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
}

// The faces a picture names, without the generic family: a drawing's reader
// takes the first of them it has, and falls back by itself.
std::vector<std::string> fontFamilies(std::string_view documentName) {
    QStringList list;
    {
        const std::lock_guard lock(fontLock());
        list = pictureFontFamilies(documentName);
    }
    list.removeAll(QStringLiteral("serif"));
    list.removeAll(QStringLiteral("sans-serif"));
    std::vector<std::string> out;
    for (const QString& f : list) out.push_back(f.toStdString());
    return out;
}

// Where Print puts the drawing on an A4 landscape page.
OdfPage printedPage(QSize canvasSize) {
    const QPageLayout layout = printPageLayout();
    const QSize drawing = drawingSize(canvasSize);
    const QRectF paper = layout.fullRect(QPageLayout::Millimeter);
    const QRectF placed = printedPictureRect(layout, drawing);
    constexpr double mmPerPoint = 25.4 / 72;
    const double mmPerPixel = drawing.width() > 0 ? placed.width() * mmPerPoint / drawing.width() : 0;
    return {paper.width(), paper.height(), placed.left() * mmPerPoint, placed.top() * mmPerPoint,
            mmPerPixel / kTwipsPerPixel};
}

// The package: the mimetype first and stored, so that a reader knows the file by
// its first bytes, then the manifest and the parts, compressed. Written by Qt's
// own zip writer (its OpenDocument text writer's): a zip library, with the
// compressors it brings, would be loaded at every start of the editor.
Result<std::string> odgPackage(const OdfDrawing& odf) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QZipWriter zip(&buffer);
    const std::string manifest = odfManifest();
    const std::pair<const char*, std::string_view> parts[] = {{"mimetype", kOdgMimeType},
                                                              {"META-INF/manifest.xml", manifest},
                                                              {"styles.xml", odf.styles},
                                                              {"content.xml", odf.content}};
    for (const auto& [name, data] : parts) {
        const bool stored = std::string_view(name) == "mimetype";
        zip.setCompressionPolicy(stored ? QZipWriter::NeverCompress : QZipWriter::AlwaysCompress);
        zip.addFile(QString::fromLatin1(name), QByteArray(data.data(), static_cast<qsizetype>(data.size())));
        if (zip.status() != QZipWriter::NoError)
            return IoError{std::string("cannot add ") + name + " to the package", std::nullopt};
    }
    zip.close();
    if (zip.status() != QZipWriter::NoError) return IoError{"cannot write the package", std::nullopt};
    return bytes.toStdString();
}

}  // namespace

std::optional<EditableFormat> editableFormatFor(std::string_view path) {
    if (endsWith(path, ".odg")) return EditableFormat::Odg;
    if (endsWith(path, ".fodg")) return EditableFormat::Fodg;
    if (endsWith(path, ".drawio")) return EditableFormat::Drawio;
    return std::nullopt;
}

Result<EditableFile> encodeEditable(const Document& doc, QSize size, EditableFormat format) {
    const EditableChart chart = editableChart(doc);
    if (format == EditableFormat::Drawio) {
        DrawioDiagram d = drawioDiagram(chart, fontFamilies, doc.displayName());
        return EditableFile{std::move(d.xml), d.replaced};
    }
    const OdfForm form = format == EditableFormat::Fodg ? OdfForm::Flat : OdfForm::Package;
    OdfDrawing odf = odfDrawing(chart, printedPage(size), fontFamilies, form);
    if (form == OdfForm::Flat) return EditableFile{std::move(odf.content), odf.replaced};
    Result<std::string> package = odgPackage(odf);
    if (!package) return package.error();
    return EditableFile{std::move(*package), odf.replaced};
}

std::string replacedWarning(int replaced) {
    if (replaced <= 0) return {};
    return std::to_string(replaced) + " 个字符无法写入此格式，已写为替换字符 U+FFFD";
}

}  // namespace qm
