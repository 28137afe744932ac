// Reading and writing documents in both layouts: the full editor's (with its header
// tag and title block) and the reduced editor's `qmp` layout. Reading parses and
// checks the whole file and returns a new Document, never touching the drawing on
// the canvas; writing takes a const Document and replaces the file atomically.
#pragma once
#include <string>
#include <string_view>

#include "io/raw_document.h"
#include "io/result.h"
#include "model/document.h"
#include "model/text_metrics.h"

namespace qm {

// The text the shell shows, titled "错误", for any file that cannot be opened as a
// document, before the file's name and the reader's reason.
inline constexpr const char* kFormatErrorMessage = "文件格式错误或版本不兼容，文件无法打开";

// The layout of a file's bytes: quillmap when they begin with "QMP", qmp otherwise.
// A qmp file never begins so (its first two bytes are a shape count of at most
// 255), which lets a quillmap file with a damaged tag be reported as such instead
// of as a nonsensical qmp file.
Layout detectLayout(std::string_view bytes);

// In memory. Decoding errors carry the byte offset of the fault.
Result<Document> decodeDocument(std::string_view bytes, Layout layout, const TextMetrics& metrics);
// The same for the bytes of a whole file, which it lets go of as soon as they are
// parsed: reading a file takes less memory than twice its size.
Result<Document> decodeDocumentFile(std::string&& bytes, Layout layout, const TextMetrics& metrics);
Result<std::string> encodeDocument(const Document& doc, Layout layout);

// The raw view of a file after both the structure and the rules were checked; what
// a tool shows when it looks inside a file.
Result<RawDocument> decodeRawDocument(std::string_view bytes, Layout layout);

// Files; paths are UTF-8. Errors about the file itself name it and give the reason.
Result<Document> readDocument(const std::string& path, const TextMetrics& metrics);
Status writeDocument(const std::string& path, const Document& doc);
Result<Document> readQmpDocument(const std::string& path, const TextMetrics& metrics);
Status writeQmpDocument(const std::string& path, const Document& doc);

}  // namespace qm
