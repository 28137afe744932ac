#include "batch/chart_opening.h"

#include <filesystem>

#include "edit/file_commands.h"
#include "edit/qmp_commands.h"
#include "edit/quillmap_commands.h"
#include "interact/qmp_rules.h"
#include "io/atomic_file.h"

namespace qm::batch {
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

}  // namespace qm::batch
