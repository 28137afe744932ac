// The rules a parsed file must keep before it becomes a drawing. Lenient where the
// editor's own files hold odd values (stale slots past the used entries, the arrow
// drawing cursor, head direction and picture, label index 0 meaning "none").
#include <cstdio>

#include "io/codepage.h"
#include "io/raw_layout.h"
#include "model/rounding.h"

namespace qm {
namespace {

class Checker {
public:
    explicit Checker(const RawDocument& raw) : raw_(raw) {}

    std::optional<IoError> error;

    template <class Item, class Field>
    void fail(const Item& item, const Field& field, std::string message) {
        if (!error) error = IoError{std::move(message), item.at + layout::offsetInItem(item, &field, raw_.layout)};
    }

    // A label index a record refers to: 0 (none) or an existing label.
    template <class Item>
    void labelIndex(const Item& item, const int16_t& field, const std::string& what) {
        if (field < 0 || field > static_cast<int>(raw_.labels.size()))
            fail(item, field,
                 what + " " + std::to_string(field) + " refers to no label (the file has " +
                     std::to_string(raw_.labels.size()) + ")");
    }

    template <class Item, class Record>
    void innerList(const Item& item, const Record& rec, const std::string& who) {
        if (rec.innerCount < 0 || rec.innerCount > kMaxInner) {
            fail(item, rec.innerCount,
                 who + ": innerCount " + std::to_string(rec.innerCount) + " is outside 0 to " + std::to_string(kMaxInner));
            return;
        }
        for (int k = 1; k <= rec.innerCount; ++k)
            labelIndex(item, rec.innerLabel[static_cast<size_t>(k)], who + ": innerLabel[" + std::to_string(k) + "]");
    }

    template <class Item>
    void text(const Item& item, const std::string& field, const std::string& what) {
        if (auto r = decodeDocumentText(field); !r) {
            if (!error)
                error = IoError{what + ": " + r.error().message,
                                item.at + layout::offsetInItem(item, &field, raw_.layout) + 2 + r.error().offset.value_or(0)};
        }
    }

    void shape(size_t n, const RawShape& s) {
        const std::string who = "shape " + std::to_string(n);
        if (s.entry.style < 0 || s.entry.style > 5)
            fail(s, s.entry.style, who + ": style " + std::to_string(s.entry.style) + " is not a shape style (0 to 5)");
        labelIndex(s, s.record.label1, who + ": label1");
        labelIndex(s, s.record.label2, who + ": label2");
        if (raw_.layout != Layout::Quillmap) return;
        if (s.entry.width < 0) fail(s, s.entry.width, who + ": width " + std::to_string(s.entry.width) + " is negative");
        if (s.entry.height < 0)
            fail(s, s.entry.height, who + ": height " + std::to_string(s.entry.height) + " is negative");
        innerList(s, s.record, who);
    }

    void label(size_t n, const RawLabel& l) {
        const std::string who = "label " + std::to_string(n);
        text(l, l.entry.caption, who + ": caption");
        if (raw_.layout != Layout::Quillmap) return;
        if (l.entry.wordWrap != 0 && l.entry.width < 0)
            fail(l, l.entry.width, who + ": width " + std::to_string(l.entry.width) + " of a word-wrapped label is negative");
        text(l, l.entry.fontName, who + ": fontName");
    }

    void arrow(size_t n, const RawArrow& a) {
        const std::string who = "arrow " + std::to_string(n);
        const int16_t count = a.record.count();
        if (count < 0 || count > ArrowRecord::kMaxSegments) {
            fail(a, a.record.slot[ArrowRecord::kCount],
                 who + ": segment count " + std::to_string(count) + " is outside 0 to " +
                     std::to_string(ArrowRecord::kMaxSegments));
            return;
        }
        for (int k = 1; k <= count; ++k) {
            const int16_t& seg = a.record.slot[static_cast<size_t>(k)];
            if (seg < 1 || seg > static_cast<int>(raw_.segments.size()))
                fail(a, seg,
                     who + ": slot " + std::to_string(k) + " refers to segment " + std::to_string(seg) +
                         ", which the file does not have (it has " + std::to_string(raw_.segments.size()) + ")");
        }
    }

    void diamond(size_t n, const RawDiamond& d) {
        const std::string who = "diamond " + std::to_string(n);
        labelIndex(d, d.record.label1, who + ": label1");
        labelIndex(d, d.record.label2, who + ": label2");
        if (raw_.layout == Layout::Quillmap) innerList(d, d.record, who);
    }

    void titleBlock() {
        if (raw_.layout != Layout::Quillmap) return;
        const uint64_t at = raw_.end >= 8 ? raw_.end - 8 : 0;
        if (!roundI16(raw_.titleBlockLeft))
            setError("titleBlockLeft " + number(raw_.titleBlockLeft) + " is not a position on the canvas", at);
        if (!roundI16(raw_.titleBlockTop))
            setError("titleBlockTop " + number(raw_.titleBlockTop) + " is not a position on the canvas", at + 4);
    }

private:
    static std::string number(float v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
        return buf;
    }
    void setError(std::string message, uint64_t at) {
        if (!error) error = IoError{std::move(message), at};
    }

    const RawDocument& raw_;
};

}  // namespace

Status validateRawDocument(const RawDocument& raw) {
    Checker c(raw);
    for (size_t k = 0; k < raw.shapes.size() && !c.error; ++k) c.shape(k + 1, raw.shapes[k]);
    for (size_t k = 0; k < raw.labels.size() && !c.error; ++k) c.label(k + 1, raw.labels[k]);
    for (size_t k = 0; k < raw.arrows.size() && !c.error; ++k) c.arrow(k + 1, raw.arrows[k]);
    for (size_t k = 0; k < raw.diamonds.size() && !c.error; ++k) c.diamond(k + 1, raw.diamonds[k]);
    if (!c.error) c.titleBlock();
    if (c.error) return *c.error;
    return {};
}

}  // namespace qm
