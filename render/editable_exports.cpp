#include "render/editable_exports.h"

#include <algorithm>
#include <memory>

#include <zip.h>

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

struct ZipDeleter {
    void operator()(zip_t* z) const { zip_discard(z); }
};

// The package: the mimetype first and stored, so that a reader knows the file by
// its first bytes, then the manifest and the parts, compressed.
Result<std::string> odgPackage(const OdfDrawing& odf) {
    zip_error_t error;
    zip_error_init(&error);
    const std::unique_ptr<zip_error_t, void (*)(zip_error_t*)> finishError(&error, zip_error_fini);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer) return IoError{std::string("cannot make the package: ") + zip_error_strerror(&error), std::nullopt};
    zip_source_keep(buffer);
    const auto dropBuffer = std::unique_ptr<zip_source_t, void (*)(zip_source_t*)>(buffer, zip_source_free);
    std::unique_ptr<zip_t, ZipDeleter> zip(zip_open_from_source(buffer, ZIP_TRUNCATE, &error));
    if (!zip) return IoError{std::string("cannot make the package: ") + zip_error_strerror(&error), std::nullopt};
    const std::string manifest = odfManifest();
    const std::pair<const char*, std::string_view> parts[] = {{"mimetype", kOdgMimeType},
                                                              {"META-INF/manifest.xml", manifest},
                                                              {"styles.xml", odf.styles},
                                                              {"content.xml", odf.content}};
    for (const auto& [name, data] : parts) {
        zip_source_t* s = zip_source_buffer(zip.get(), data.data(), data.size(), 0);
        const zip_int64_t at = s ? zip_file_add(zip.get(), name, s, ZIP_FL_ENC_UTF_8) : -1;
        if (at < 0) {
            if (s) zip_source_free(s);
            return IoError{std::string("cannot add ") + name + " to the package: " + zip_strerror(zip.get()),
                           std::nullopt};
        }
        const bool stored = std::string_view(name) == "mimetype";
        if (zip_set_file_compression(zip.get(), static_cast<zip_uint64_t>(at), stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                     0) != 0)
            return IoError{std::string("cannot compress ") + name + ": " + zip_strerror(zip.get()), std::nullopt};
    }
    if (zip_close(zip.get()) != 0)
        return IoError{std::string("cannot write the package: ") + zip_strerror(zip.get()), std::nullopt};
    zip.release();  // zip_close freed it
    zip_stat_t st;
    if (zip_source_stat(buffer, &st) != 0 || zip_source_open(buffer) != 0)
        return IoError{"cannot read the package back", std::nullopt};
    std::string out(static_cast<size_t>(st.size), '\0');
    const zip_int64_t read = zip_source_read(buffer, out.data(), st.size);
    zip_source_close(buffer);
    if (read < 0 || static_cast<zip_uint64_t>(read) != st.size) return IoError{"cannot read the package back", std::nullopt};
    return out;
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
