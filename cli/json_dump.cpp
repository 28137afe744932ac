#include "cli/json_dump.h"

#include "cli/document_file.h"
#include "cli/json_writer.h"
#include "io/codepage.h"

namespace qm::cli {
namespace {

using Block = JsonWriter::Layout;

class JsonSink : public RawFieldSink {
public:
    explicit JsonSink(JsonWriter& w) : w_(w) {}

    void beginList(std::string_view name) override {
        w_.key(name);
        w_.beginArray(Block::Block);
    }
    void endList() override { w_.endArray(); }

    // An item of a section gets a block of its own; its entries and records one line each.
    void beginGroup(std::string_view name, uint64_t offset) override {
        if (name.empty()) {
            w_.beginObject(Block::Block);
            w_.key("offset");
            w_.integer(static_cast<int64_t>(offset));
            return;
        }
        w_.key(name);
        w_.beginObject(Block::Inline);
    }
    void endGroup() override { w_.endObject(); }

    void integer(std::string_view name, int64_t value, uint64_t) override {
        w_.key(name);
        w_.integer(value);
    }
    void real(std::string_view name, double value, uint64_t) override {
        w_.key(name);
        w_.real(value);
    }
    void text(std::string_view name, std::string_view bytes, uint64_t) override {
        w_.key(name);
        const Result<std::string> utf8 = decodeDocumentText(bytes);
        if (utf8) {
            w_.string(*utf8);
            return;
        }
        w_.null();
        w_.key(std::string(name) + "Hex");
        w_.string(hex(bytes));
    }
    void integers(std::string_view name, std::span<const int16_t> values, uint64_t) override {
        w_.key(name);
        w_.beginArray(Block::Inline);
        for (int16_t v : values) w_.integer(v);
        w_.endArray();
    }
    void bytes(std::string_view name, std::span<const uint8_t> values, uint64_t) override {
        w_.key(name);
        w_.beginArray(Block::Inline);
        for (uint8_t v : values) w_.integer(v);
        w_.endArray();
    }

private:
    static std::string hex(std::string_view bytes) {
        static const char digits[] = "0123456789abcdef";
        std::string s;
        s.reserve(2 * bytes.size());
        for (char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            s += digits[b >> 4];
            s += digits[b & 15];
        }
        return s;
    }

    JsonWriter& w_;
};

}  // namespace

std::string documentJson(const RawDocument& raw) {
    JsonWriter w;
    w.beginObject();
    w.key("layout");
    w.string(layoutName(raw.layout));
    // The qmp layout stores no version; the quillmap walk writes its own after the tag.
    if (raw.layout == Layout::Qmp) {
        w.key("version");
        w.null();
    }
    JsonSink sink(w);
    walkRawFields(raw, sink);
    w.endObject();
    return w.text() + "\n";
}

Result<std::string> dumpDocument(std::string_view bytes) {
    const Result<RawDocument> raw = checkDocument(bytes, detectLayout(bytes));
    if (!raw) return raw.error();
    return documentJson(*raw);
}

}  // namespace qm::cli
