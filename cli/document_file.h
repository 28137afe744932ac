// A document file as qmptool meets it: which of the two layouts it is in, whether
// the editors would open it, the drawing exactly as the matching editor holds it
// after its Open command, and that drawing written again by quillmap's writer.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "batch/chart_opening.h"
#include "io/document_io.h"
#include "io/raw_document.h"
#include "io/result.h"
#include "model/editor.h"
#include "model/null_host.h"
#include "render/editable_exports.h"

namespace qm::cli {

using batch::DocumentEditor;
using batch::invalidDocument;
using batch::layoutName;
using batch::openDocumentFile;
using batch::sameFile;
using batch::unmeasuredMetrics;

// The file's fields after every check the editor makes when it opens the file:
// structure, rules, and building the drawing from them.
Result<RawDocument> checkDocument(std::string_view bytes, Layout layout);

// The items of a section, and how many of them are deleted: a file keeps what
// Delete hid, invisible (an arrow with no visible head).
struct SectionCount {
    size_t items = 0, deleted = 0;
};

// What the check of a valid file tells: its layout, the items of each section and
// the bytes after the document, which the editors ignore.
struct DocumentOutline {
    Layout layout;
    SectionCount shapes, labels, segments, arrows, diamonds;
    uint64_t ignoredBytes;
};

// checkDocument for the bytes of a whole file in the layout they begin with. The
// bytes and each text are let go of once checked, so that checking a file takes
// less memory than twice its size.
Result<DocumentOutline> checkDocumentFile(std::string&& bytes);

// `qmptool convert`: IN opened as its editor opens it, written to OUT by the
// quillmap editor's own writer. A qmp drawing becomes a quillmap document with a
// title block; a quillmap document comes out as the editor saves it (version 1,
// nothing after the title block position). An OUT that is IN, by any name or
// link, is refused before anything is read; OUT is replaced atomically.
// Returns the layout IN was in.
Result<Layout> convertDocumentFile(const std::string& in, const std::string& out, const TextMetrics& metrics);

// `qmptool convert` to a drawing another editor changes: IN opened and converted
// as for a document, then written to OUT (never IN) as `format`, atomically.
// Returns how many characters the format could not hold and took as U+FFFD.
Result<int> convertEditableFile(const std::string& in, const std::string& out, EditableFormat format,
                                const TextMetrics& metrics);

// What check says of a file: its layout and counts, or what is wrong at which byte.
struct CheckLine {
    std::string text;
    bool valid = false;
};
CheckLine checkLine(const std::string& path);


}  // namespace qm::cli
