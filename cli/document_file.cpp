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

namespace qm::cli {
namespace {

// Whether a file opens does not depend on how large its labels come out.
class NoMetrics : public TextMetrics {
public:
    TextExtent measure(std::string_view, std::string_view, float, float wrapWidth) const override {
        return {wrapWidth > 0 ? wrapWidth : 0, 0};
    }
};

Editor makeEditor(Layout layout, Host& host, const TextMetrics& metrics) {
    if (layout == Layout::Qmp) return Editor(host, metrics, reduced::canvasGeometry(), &reduced::kRules);
    return Editor(host, metrics);
}

}  // namespace

const TextMetrics& unmeasuredMetrics() {
    static const NoMetrics metrics;
    return metrics;
}

const char* layoutName(Layout layout) { return layout == Layout::Qmp ? "qmp" : "quillmap"; }

IoError invalidDocument(const std::string& path, Layout layout, const IoError& fault) {
    return IoError{"\"" + path + "\" is not a valid " + layoutName(layout) + " document: " + fault.message, fault.offset};
}

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

DocumentEditor::DocumentEditor(Layout layout, const TextMetrics& metrics)
    : layout(layout), ed(makeEditor(layout, host, metrics)) {
    if (layout == Layout::Qmp) reduced::startUp(ed);
    else startUp(ed);
}

Result<std::unique_ptr<DocumentEditor>> openDocumentFile(const std::string& path, const TextMetrics& metrics) {
    Result<std::string> bytes = readWholeFile(path);
    if (!bytes) return bytes.error();
    const Layout layout = detectLayout(*bytes);
    Result<Document> doc = decodeDocumentFile(std::move(*bytes), layout, metrics);
    if (!doc) return invalidDocument(path, layout, doc.error());
    auto opened = std::make_unique<DocumentEditor>(layout, metrics);
    replaceDocument(opened->ed, std::move(doc).value(), path);
    return opened;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    const bool same = std::filesystem::equivalent(pathFromUtf8(a), pathFromUtf8(b), ec);
    return same && !ec;
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

}  // namespace qm::cli
