#include "io/document_io.h"

#include <utility>

#include "io/atomic_file.h"
#include "io/document_build.h"

namespace qm {
namespace {

Result<Document> readFile(const std::string& path, Layout layout, const TextMetrics& metrics) {
    auto bytes = readWholeFile(path);
    if (!bytes) return bytes.error();
    return decodeDocumentFile(std::move(*bytes), layout, metrics);
}

// Nothing is written unless the whole document could be encoded.
Status writeFile(const std::string& path, const Document& doc, Layout layout) {
    auto bytes = encodeDocument(doc, layout);
    if (!bytes) return IoError{"cannot save \"" + path + "\": " + bytes.error().message, std::nullopt};
    return writeFileAtomically(path, *bytes);
}

}  // namespace

Layout detectLayout(std::string_view bytes) { return bytes.starts_with("QMP") ? Layout::Quillmap : Layout::Qmp; }

Result<RawDocument> decodeRawDocument(std::string_view bytes, Layout layout) {
    auto raw = parseRawDocument(bytes, layout);
    if (!raw) return raw;
    if (Status s = validateRawDocument(*raw); !s) return s.error();
    return raw;
}

Result<Document> decodeDocument(std::string_view bytes, Layout layout, const TextMetrics& metrics) {
    auto raw = decodeRawDocument(bytes, layout);
    if (!raw) return raw.error();
    return buildDocument(*raw, metrics);
}

Result<Document> decodeDocumentFile(std::string&& bytes, Layout layout, const TextMetrics& metrics) {
    auto raw = decodeRawDocument(bytes, layout);
    std::string().swap(bytes);
    if (!raw) return raw.error();
    return buildDocument(std::move(*raw), metrics);
}

Result<std::string> encodeDocument(const Document& doc, Layout layout) {
    auto raw = rawFromDocument(doc, layout);
    if (!raw) return raw.error();
    return encodeRawDocument(*raw);
}

Result<Document> readDocument(const std::string& path, const TextMetrics& metrics) {
    return readFile(path, Layout::Quillmap, metrics);
}

Status writeDocument(const std::string& path, const Document& doc) { return writeFile(path, doc, Layout::Quillmap); }

Result<Document> readQmpDocument(const std::string& path, const TextMetrics& metrics) {
    return readFile(path, Layout::Qmp, metrics);
}

Status writeQmpDocument(const std::string& path, const Document& doc) { return writeFile(path, doc, Layout::Qmp); }

}  // namespace qm
