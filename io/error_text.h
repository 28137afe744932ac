// Why a read or a write failed, in the words the editors' messages use. IoError's
// own text is English, for qmptool and for reports; the editors speak Chinese, so
// their messages give this instead.
#pragma once
#include <string>

#include "io/result.h"

namespace qm {

// The reason in Chinese, paths kept, and the byte the fault lies at when known.
// A fault of the document's structure, which only qmptool check spells out field
// by field, is told as such.
std::string chineseReason(const IoError& error);

}  // namespace qm
