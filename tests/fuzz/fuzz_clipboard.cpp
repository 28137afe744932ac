// Fuzz target: the clipboard payload, as Paste reads it into each program's
// drawing. A refused payload says what is wrong and at which byte, and its paste
// changes nothing; accepted elements write out to a payload that reads back the
// same, and the drawing pasted into opens again as a file.
#include <cstdint>
#include <string_view>

#include "edit/clipboard.h"
#include "edit/qmp_commands.h"
#include "edit/quillmap_commands.h"
#include "interact/qmp_rules.h"
#include "io/clipboard_payload.h"
#include "io/document_io.h"
#include "model/null_host.h"
#include "reader_checks.h"

namespace {

using namespace qm;

void readPayload(std::string_view in) {
    const Result<ClipboardElements> read = decodePayload(in, fuzz::metrics());
    if (!read) return fuzz::refusedWithOffset(read.error(), in.size());
    const Result<std::string> again = encodePayload(read->elements, read->layout);
    if (!again) return;  // a label the metrics make wider than a file holds: told, not a fault
    const Result<ClipboardElements> reread = decodePayload(*again, fuzz::metrics());
    fuzz::check(reread && encodePayload(reread->elements, reread->layout).value() == *again,
                "accepted elements write out to a payload that reads back the same");
}

void pasteInto(Editor& ed, const NullHost& host, std::string_view in, Layout layout) {
    const std::string before = encodeDocument(ed.doc, layout).value();
    PasteSeries series;
    pastePayload(ed, in, layout, series);
    const Result<std::string> after = encodeDocument(ed.doc, layout);
    fuzz::check(after.ok(), "a drawing pasted into can be saved");
    if (!host.messages.empty())
        return fuzz::check(*after == before, "a refused paste changes nothing");
    fuzz::check(fuzz::openDocument(*after, layout).has_value(), "a drawing pasted into opens again");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    readPayload(in);
    NullHost fullHost, qmpHost;
    Editor full(fullHost, fuzz::metrics());
    startUp(full);
    pasteInto(full, fullHost, in, Layout::Quillmap);
    Editor qmp(qmpHost, fuzz::metrics(), reduced::canvasGeometry(), &reduced::kRules);
    reduced::startUp(qmp);
    pasteInto(qmp, qmpHost, in, Layout::Qmp);
    return 0;
}
