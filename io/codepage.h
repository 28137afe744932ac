// Texts in documents are bytes of code page 936 (GBK), so that files stay
// byte-identical with those a Chinese Windows system writes. A character GBK cannot
// hold (an emoji, a rare character) is stored as GB18030 writes it, which every GBK
// byte sequence leaves alone, and is read back the same way.
#pragma once
#include <string>
#include <string_view>

#include "io/result.h"

namespace qm {

// Whether the system can convert document texts at all; the error names the
// converters it lacks.
Status checkCodePages();

// UTF-8 to document bytes. Fails on bytes that are not UTF-8 and on the few
// characters neither code page can store; the error's offset is into `utf8`.
Result<std::string> encodeDocumentText(std::string_view utf8);

// Document bytes to UTF-8. Fails on bytes that are no GBK or GB18030 character,
// never dropping or replacing them; the error's offset is into `bytes`.
Result<std::string> decodeDocumentText(std::string_view bytes);

}  // namespace qm
