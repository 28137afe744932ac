#include "io/clipboard_payload.h"

#include "io/binary.h"
#include "io/document_build.h"
#include "io/document_io.h"

namespace qm {
namespace {

constexpr std::string_view kMagic{"QMELEMS\0", 8};

IoError refusal(std::string message, uint64_t at) { return IoError{std::move(message), at}; }

// Offsets of the document's errors counted from the payload's first byte.
IoError inPayload(IoError e) {
    if (e.offset) *e.offset += kPayloadHeaderSize;
    return e;
}

}  // namespace

Result<std::string> encodePayload(const Document& elements, Layout layout) {
    auto body = encodeDocument(elements, layout);
    if (!body) return body.error();
    ByteWriter out;
    out.bytes(kMagic);
    out.u16(layout == Layout::Qmp ? 1 : 0);
    out.u16(kPayloadVersion);
    out.bytes(*body);
    return out.take();
}

Result<ClipboardElements> decodePayload(std::string_view bytes, const TextMetrics& metrics) {
    if (bytes.size() > kMaxPayloadBytes)
        return refusal("the elements take " + std::to_string(bytes.size()) + " bytes, more than the " +
                           std::to_string(kMaxPayloadBytes) + " a paste takes",
                       kMaxPayloadBytes);
    if (bytes.substr(0, kMagic.size()) != kMagic) return refusal("these are not elements of a Quillmap program", 0);
    ByteReader in(bytes.substr(kMagic.size()));
    uint16_t layout = 0, version = 0;
    if (!in.u16(layout) || !in.u16(version))
        return refusal("the data ends inside the 12-byte header", bytes.size());
    if (layout > 1) return refusal("layout " + std::to_string(layout) + " is neither quillmap (0) nor qmp (1)", 8);
    if (version != kPayloadVersion)
        return refusal("version " + std::to_string(version) + " of the elements is not version " +
                           std::to_string(kPayloadVersion) + ", which this program reads",
                       10);

    ClipboardElements out;
    out.layout = layout == 1 ? Layout::Qmp : Layout::Quillmap;
    const std::string_view body = bytes.substr(kPayloadHeaderSize);
    auto raw = decodeRawDocument(body, out.layout);
    if (!raw) return inPayload(raw.error());
    if (raw->end != body.size())
        return refusal(std::to_string(body.size() - raw->end) + " bytes are left over after the last diamond",
                       kPayloadHeaderSize + raw->end);
    auto doc = buildDocument(*raw, metrics, Contents::Elements);
    if (!doc) return inPayload(doc.error());
    out.elements = std::move(doc).value();
    return out;
}

}  // namespace qm
