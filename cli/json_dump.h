// What `qmptool dump` prints: a document file as one JSON object holding every
// field of every entry and record in file order, under the names the file format
// gives them, with texts as UTF-8 and the file's layout and version on top.
#pragma once
#include <string>
#include <string_view>

#include "io/raw_document.h"
#include "io/result.h"

namespace qm::cli {

// The JSON text of a checked document. Each item of a section also gets its byte
// offset in the file ("offset"). A stored text that is no GBK text (only the
// reserved text of a label can be one) comes out as null, with its bytes in hex
// beside it under the field's name plus "Hex", so nothing of the file is lost.
std::string documentJson(const RawDocument& raw);

// Detects the layout of the file's bytes, checks them as the editor does and
// returns their JSON text, or what is wrong with them.
Result<std::string> dumpDocument(std::string_view bytes);

}  // namespace qm::cli
