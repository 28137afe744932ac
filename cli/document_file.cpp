#include "cli/document_file.h"

#include <algorithm>
#include <filesystem>

#include "edit/file_commands.h"
#include "edit/qmp_commands.h"
#include "edit/quillmap_commands.h"
#include "interact/qmp_rules.h"
#include "interact/selection.h"
#include "io/atomic_file.h"
#include "io/document_build.h"
#include "io/document_io.h"
#include "io/qmp_convert.h"
#include "render/canvas_painter.h"

namespace qm::cli {


Result<RawDocument> checkDocument(std::string_view bytes, Layout layout) {
    Result<RawDocument> raw = decodeRawDocument(bytes, layout);
    if (!raw) return raw;
    if (auto doc = buildDocument(*raw, unmeasuredMetrics()); !doc) return doc.error();
    return raw;
}

Result<DocumentOutline> checkDocumentFile(std::string&& bytes) {
    const Layout layout = detectLayout(bytes);
    Result<RawDocument> raw = decodeRawDocument(bytes, layout);
    if (!raw) return raw.error();
    const auto hidden = [](const auto& items, auto isHidden) {
        return SectionCount{items.size(), static_cast<size_t>(std::count_if(items.begin(), items.end(), isHidden))};
    };
    const auto entryHidden = [](const auto& item) { return item.entry.visible == 0; };
    const DocumentOutline outline{
        layout,
        hidden(raw->shapes, entryHidden),
        hidden(raw->labels, entryHidden),
        hidden(raw->segments, entryHidden),
        hidden(raw->arrows,
               [](const RawArrow& a) {
                   return std::none_of(a.heads.pictures.begin(), a.heads.pictures.end(),
                                       [](const PictureEntry& p) { return p.visible != 0; });
               }),
        hidden(raw->diamonds, entryHidden),
        bytes.size() - raw->end};
    std::string().swap(bytes);
    if (auto doc = buildDocument(std::move(*raw), unmeasuredMetrics()); !doc) return doc.error();
    return outline;
}

Result<Layout> convertDocumentFile(const std::string& in, const std::string& out, const TextMetrics& metrics) {
    if (sameFile(in, out))
        return IoError{"\"" + out + "\" is the input file; the converted document needs another name", std::nullopt};
    Result<std::unique_ptr<DocumentEditor>> opened = openDocumentFile(in, metrics);
    if (!opened) return opened.error();
    Editor& ed = (*opened)->ed;
    const Layout from = (*opened)->layout;
    // As the editor's Save does, whatever selection state the file held.
    clearSelection(ed);
    if (from == Layout::Qmp) {
        const Result<Document> converted = convertQmpToQuillmap(ed.doc, metrics);
        if (!converted) return IoError{"cannot convert \"" + in + "\": " + converted.error().describe(), std::nullopt};
        if (Status st = writeDocument(out, *converted); !st) return st.error();
    } else if (Status st = writeDocument(out, ed.doc); !st) {
        return st.error();
    }
    return from;
}

Result<int> convertEditableFile(const std::string& in, const std::string& out, EditableFormat format,
                                const TextMetrics& metrics) {
    if (sameFile(in, out))
        return IoError{"\"" + out + "\" is the input file; the drawing needs another name", std::nullopt};
    Result<std::unique_ptr<DocumentEditor>> opened = openDocumentFile(in, metrics);
    if (!opened) return opened.error();
    Editor& ed = (*opened)->ed;
    clearSelection(ed);
    const bool qmp = (*opened)->layout == Layout::Qmp;
    Result<Document> doc = qmp ? convertQmpToQuillmap(ed.doc, metrics) : Result<Document>(ed.doc);
    if (!doc) return IoError{"cannot convert \"" + in + "\": " + doc.error().describe(), std::nullopt};
    const Result<EditableFile> file = encodeEditable(*doc, canvasPixelSize(qmp ? CanvasGeometry{} : ed.canvas), format);
    if (!file) return IoError{"cannot write \"" + out + "\": " + file.error().message, std::nullopt};
    if (Status st = writeFileAtomically(out, file->bytes); !st) return st.error();
    return file->replaced;
}

CheckLine checkLine(const std::string& path) {
    Result<std::string> bytes = readWholeFile(path);
    if (!bytes) return {path + ": " + bytes.error().describe()};
    const Layout layout = detectLayout(*bytes);
    const Result<DocumentOutline> doc = checkDocumentFile(std::move(*bytes));
    if (!doc) return {path + ": not a valid " + layoutName(layout) + " document: " + doc.error().describe()};
    const auto count = [](const char* name, const SectionCount& c) {
        std::string text = name + (" " + std::to_string(c.items));
        if (c.deleted > 0) text += " (" + std::to_string(c.deleted) + " deleted)";
        return text;
    };
    std::string line = path + ": " + layoutName(layout) + ": " + count("shapes", doc->shapes) + ", " +
                       count("labels", doc->labels) + ", " + count("segments", doc->segments) + ", " +
                       count("arrows", doc->arrows) + ", " + count("diamonds", doc->diamonds);
    if (doc->ignoredBytes > 0)
        line += "; the " + std::to_string(doc->ignoredBytes) + " bytes after the document are ignored";
    return {line, true};
}

}  // namespace qm::cli
