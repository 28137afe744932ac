// A chart file opened as the editor of its layout opens it, for work on charts
// without a window: qmptool's commands and the editor's batch export.
#pragma once
#include <memory>
#include <string>

#include "io/document_io.h"
#include "io/result.h"
#include "model/editor.h"
#include "model/null_host.h"

namespace qm::batch {

const char* layoutName(Layout layout);

// The error of a file that is no valid document of `layout`, naming the file and
// keeping the byte offset of the fault.
IoError invalidDocument(const std::string& path, Layout layout, const IoError& fault);

// An editor of the program that owns a layout (quillmap or qmp: canvas, rules,
// start-up state), on a host that answers no questions.
struct DocumentEditor {
    DocumentEditor(Layout layout, const TextMetrics& metrics);
    DocumentEditor(const DocumentEditor&) = delete;
    DocumentEditor& operator=(const DocumentEditor&) = delete;

    Layout layout;
    NullHost host;
    Editor ed;
};

// Reads the file at `path` (UTF-8) and opens it in its layout's editor, as the
// editor's Open command does; labels are sized through `metrics`. Errors name the file.
Result<std::unique_ptr<DocumentEditor>> openDocumentFile(const std::string& path, const TextMetrics& metrics);

// Text metrics that measure nothing, for what does not depend on the size of
// labels: whether a file opens, and where its elements are.
const TextMetrics& unmeasuredMetrics();

// Whether the two paths name one file (also through links); false when either
// does not exist.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace qm::batch
