// The elements the editors put on the clipboard as the type
// `application/x-quillmap-elements`: a short header, then the copied elements as a
// document of their own in the copying program's file layout, written and read by
// the same code as files. The header, 12 bytes:
//
//   offset 0   8 bytes  "QMELEMS" and a zero byte
//          8   u16      the layout of what follows: 0 quillmap, 1 qmp
//         10   u16      the version of this header, 1
//
// The document that follows holds the elements numbered from 1 and nothing else:
// no title block (its labels 3 to 8 are elements like any other) and no byte after
// its end. Reading trusts nothing: the header, the size and then everything the
// file reader checks.
#pragma once
#include <string>
#include <string_view>

#include "io/raw_document.h"
#include "io/result.h"
#include "model/document.h"
#include "model/text_metrics.h"

namespace qm {

inline constexpr const char* kElementsMimeType = "application/x-quillmap-elements";
inline constexpr uint16_t kPayloadVersion = 1;
inline constexpr size_t kPayloadHeaderSize = 12;
// Far more than the largest drawing the limits allow takes in practice; a larger
// payload is refused before it is looked at.
inline constexpr size_t kMaxPayloadBytes = size_t{64} << 20;

struct ClipboardElements {
    Layout layout = Layout::Quillmap;
    Document elements;  // counters and records as the payload has them; nothing selected
};

// The payload of `elements` (a document holding only the copied elements) in
// `layout`. Fails on what the file writer refuses.
Result<std::string> encodePayload(const Document& elements, Layout layout);

// Refuses a payload of another program or a later version, one larger than
// kMaxPayloadBytes, and every document the file reader refuses; errors say which,
// and at which byte of the payload.
Result<ClipboardElements> decodePayload(std::string_view bytes, const TextMetrics& metrics);

}  // namespace qm
