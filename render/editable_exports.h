// Files of a chart that other editors change: an OpenDocument drawing (.odg, a
// zip package, or .fodg, the same as one XML file) laid on the page as Print lays
// it, and a draw.io diagram (.drawio), with the faces the pictures name. The
// editor's 导出 and qmptool's convert take their bytes from here.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include <QSize>

#include "io/result.h"
#include "model/document.h"

namespace qm {

enum class EditableFormat { Odg, Fodg, Drawio };

// The format a file name asks for by its extension, in any letter case.
std::optional<EditableFormat> editableFormatFor(std::string_view path);

struct EditableFile {
    std::string bytes;
    int replaced = 0;  // characters the format cannot hold, written as U+FFFD
};

// The file of the document on a canvas of `size` logical pixels.
Result<EditableFile> encodeEditable(const Document& doc, QSize size, EditableFormat format);

// The one line that says how many characters were written changed; empty for none.
std::string replacedWarning(int replaced);

}  // namespace qm
