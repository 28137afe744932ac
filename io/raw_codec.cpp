// Parsing and encoding of the raw view, and the field walk, all driven by the one
// description of the layouts in raw_layout.h.
#include <algorithm>
#include <array>

#include "io/binary.h"
#include "io/raw_layout.h"

namespace qm {
namespace {

using layout::describeDocument;
using layout::minimumItemSize;

// Where the walk is, for error messages: "labels[5].entry.caption".
class Path {
public:
    void enterList(const char* name) { list_ = name, index_ = 0; }
    void leaveList() { list_ = nullptr; }
    void setIndex(size_t i) { index_ = i; }
    // Every item and field is entered and left, so this stays off the heap.
    void push(const char* g) {
        if (depth_ < groups_.size()) groups_[depth_] = g;
        ++depth_;
    }
    void pop() { --depth_; }

    std::string to(const char* field) const {
        std::string s;
        if (list_) s = std::string(list_) + "[" + std::to_string(index_) + "]";
        for (size_t k = 0; k < std::min(depth_, groups_.size()); ++k) s += (s.empty() ? "" : ".") + std::string(groups_[k]);
        if (field) s += (s.empty() ? "" : ".") + std::string(field);
        return s;
    }

private:
    const char* list_ = nullptr;
    size_t index_ = 0;
    std::array<const char*, 4> groups_{};  // the layouts nest three deep
    size_t depth_ = 0;
};

class Parser {
public:
    Parser(std::string_view bytes, Layout layout) : bytes_(bytes), in_(bytes), layout_(layout) {}

    bool ok() const { return !in_.failed(); }
    ByteReader& in() { return in_; }

    void begin(const char* name) { path_.push(name); }
    void end() { path_.pop(); }
    void i16(const char* name, int16_t& f) {
        if (need(name, 2)) in_.i16(f);
    }
    void i32(const char* name, int32_t& f) {
        if (need(name, 4)) in_.i32(f);
    }
    void f32(const char* name, float& f) {
        if (need(name, 4)) in_.f32(f);
    }
    template <size_t N>
    void i16s(const char* name, std::array<int16_t, N>& a) {
        if (!need(name, 2 * N)) return;
        for (auto& v : a) in_.i16(v);
    }
    void bytes8(const char* name, std::array<uint8_t, 8>& a) {
        if (need(name, a.size())) in_.bytes(a.data(), a.size());
    }
    void text(const char* name, std::string& f) {
        const uint64_t at = in_.pos();
        uint16_t n = 0;
        if (!need(name, 2)) return;
        in_.u16(n);
        if (n > in_.remaining()) {
            in_.fail(path_.to(name) + ": a text of " + std::to_string(n) + " bytes runs past the end of the data (" +
                         std::to_string(in_.remaining()) + " bytes remain)",
                     at);
            return;
        }
        in_.bytes(f, n);
    }
    void tag(const char*, std::string& f) {
        const std::string& want = quillmapTag();
        const std::string_view have = bytes_.substr(static_cast<size_t>(in_.pos()), want.size());
        for (size_t k = 0; k < have.size(); ++k) {
            if (have[k] != want[k]) {
                in_.fail("not a quillmap document: the header tag is not \"QMP\" followed by 252 spaces",
                         in_.pos() + k);
                return;
            }
        }
        if (have.size() < want.size()) {
            in_.fail("not a quillmap document: the data ends after " + std::to_string(have.size()) +
                         " bytes, inside the 255-byte header tag",
                     in_.pos() + have.size());
            return;
        }
        in_.bytes(f, want.size());
    }

    template <class Vec, class Fn>
    void list(const char* listName, const char* countName, Vec& items, int max, Fn fn) {
        using Item = typename Vec::value_type;
        if (!ok()) return;
        const uint64_t at = in_.pos();
        int16_t count = 0;
        if (!need(countName, 2)) return;
        in_.i16(count);
        if (count < 0 || count > max) {
            in_.fail(std::string(countName) + " " + std::to_string(count) + " is outside 0 to " + std::to_string(max), at);
            return;
        }
        const uint64_t least = static_cast<uint64_t>(count) * minimumItemSize<Item>(layout_);
        if (least > in_.remaining()) {
            in_.fail(std::string(countName) + " " + std::to_string(count) + " needs at least " + std::to_string(least) +
                         " bytes but the data ends after " + std::to_string(in_.remaining()),
                     at);
            return;
        }
        items.resize(static_cast<size_t>(count));
        path_.enterList(listName);
        for (size_t k = 0; k < items.size() && ok(); ++k) {
            path_.setIndex(k + 1);
            items[k].at = in_.pos();
            fn(items[k]);
        }
        path_.leaveList();
    }

private:
    // Fails with the field's path when fewer than n bytes remain; the message is
    // built only then, so the common case costs nothing.
    bool need(const char* name, uint64_t n) {
        if (!ok()) return false;
        if (in_.remaining() >= n) return true;
        in_.fail(path_.to(name) + ": needs " + std::to_string(n) + " bytes but the data ends after " +
                     std::to_string(in_.remaining()),
                 in_.pos());
        return false;
    }

    std::string_view bytes_;
    ByteReader in_;
    Layout layout_;
    Path path_;
};

class Encoder {
public:
    bool ok() const { return !error_; }
    std::optional<IoError>& error() { return error_; }
    ByteWriter& out() { return out_; }

    void begin(const char* name) { path_.push(name); }
    void end() { path_.pop(); }
    void i16(const char*, const int16_t& f) { out_.i16(f); }
    void i32(const char*, const int32_t& f) { out_.i32(f); }
    void f32(const char*, const float& f) { out_.f32(f); }
    template <size_t N>
    void i16s(const char*, const std::array<int16_t, N>& a) {
        out_.i16s(a);
    }
    void bytes8(const char*, const std::array<uint8_t, 8>& a) { out_.bytes(a.data(), a.size()); }
    void text(const char* name, const std::string& f) {
        if (f.size() > 0xFFFF) {
            fail(path_.to(name) + ": a text of " + std::to_string(f.size()) +
                 " bytes is longer than the 65535 bytes a document can store");
            return;
        }
        out_.u16(static_cast<uint16_t>(f.size()));
        out_.bytes(f);
    }
    void tag(const char* name, const std::string& f) {
        if (f.size() != kTagSize) fail(std::string(name) + " must be 255 bytes long");
        out_.bytes(f);
    }
    template <class Vec, class Fn>
    void list(const char* listName, const char* countName, const Vec& items, int max, Fn fn) {
        if (items.size() > static_cast<size_t>(max)) {
            fail(std::string(countName) + " " + std::to_string(items.size()) + " is outside 0 to " + std::to_string(max));
            return;
        }
        out_.i16(static_cast<int16_t>(items.size()));
        path_.enterList(listName);
        for (size_t k = 0; k < items.size() && ok(); ++k) {
            path_.setIndex(k + 1);
            fn(items[k]);
        }
        path_.leaveList();
    }

protected:
    void fail(std::string message) {
        if (!error_) error_ = IoError{std::move(message), std::nullopt};
    }

private:
    ByteWriter out_;
    Path path_;
    std::optional<IoError> error_;
};

// The encoder with each section's items left out and the bytes cut where they
// would stand.
class FrameEncoder : public Encoder {
public:
    explicit FrameEncoder(const std::array<size_t, kSectionCount>& counts) : counts_(counts) {}

    template <class Vec, class Fn>
    void list(const char*, const char* countName, const Vec&, int max, Fn) {
        const size_t n = counts_[section_++];
        if (n > static_cast<size_t>(max)) {
            fail(std::string(countName) + " " + std::to_string(n) + " is outside 0 to " + std::to_string(max));
            return;
        }
        out().i16(static_cast<int16_t>(n));
        pieces_.push_back(out().take());
        out() = ByteWriter{};
    }

    std::array<std::string, kSectionCount + 1> take() {
        std::array<std::string, kSectionCount + 1> all;
        for (size_t k = 0; k < pieces_.size() && k < kSectionCount; ++k) all[k] = std::move(pieces_[k]);
        all[kSectionCount] = out().take();
        return all;
    }

private:
    const std::array<size_t, kSectionCount>& counts_;
    size_t section_ = 0;
    std::vector<std::string> pieces_;
};

// Emits every field with the offset the encoder gives it.
class Walker {
public:
    explicit Walker(RawFieldSink& sink) : sink_(sink) {}
    bool ok() const { return true; }

    void begin(const char* name) { sink_.beginGroup(name, pos_); }
    void end() { sink_.endGroup(); }
    void i16(const char* name, const int16_t& f) { sink_.integer(name, f, advance(2)); }
    void i32(const char* name, const int32_t& f) { sink_.integer(name, f, advance(4)); }
    void f32(const char* name, const float& f) { sink_.real(name, f, advance(4)); }
    template <size_t N>
    void i16s(const char* name, const std::array<int16_t, N>& a) {
        sink_.integers(name, a, advance(2 * N));
    }
    void bytes8(const char* name, const std::array<uint8_t, 8>& a) { sink_.bytes(name, a, advance(8)); }
    void text(const char* name, const std::string& f) { sink_.text(name, f, advance(2 + f.size())); }
    void tag(const char* name, const std::string& f) { sink_.text(name, f, advance(f.size())); }
    template <class Vec, class Fn>
    void list(const char* listName, const char* countName, const Vec& items, int, Fn fn) {
        sink_.integer(countName, static_cast<int64_t>(items.size()), advance(2));
        sink_.beginList(listName);
        for (const auto& item : items) {
            sink_.beginGroup("", pos_);
            fn(item);
            sink_.endGroup();
        }
        sink_.endList();
    }

private:
    uint64_t advance(uint64_t n) {
        const uint64_t at = pos_;
        pos_ += n;
        return at;
    }

    RawFieldSink& sink_;
    uint64_t pos_ = 0;
};

}  // namespace

const std::string& quillmapTag() {
    static const std::string tag = "QMP" + std::string(kTagSize - 3, ' ');
    return tag;
}

bool startsWithQuillmapTag(std::string_view bytes) { return bytes.substr(0, kTagSize) == quillmapTag(); }

Result<RawDocument> parseRawDocument(std::string_view bytes, Layout layout) {
    RawDocument raw;
    raw.layout = layout;
    Parser p(bytes, layout);
    describeDocument(p, raw);
    if (p.ok() && layout == Layout::Qmp && p.in().remaining() > 0) {
        p.in().fail("not a qmp document: " + std::to_string(p.in().remaining()) +
                        " bytes are left over after the last diamond",
                    p.in().pos());
    }
    if (!p.ok()) return p.in().error();
    raw.end = p.in().pos();
    return raw;
}

Result<std::string> encodeRawDocument(const RawDocument& raw) {
    Encoder e;
    describeDocument(e, raw);
    if (!e.ok()) return *e.error();
    return e.out().take();
}

void walkRawFields(const RawDocument& raw, RawFieldSink& sink) {
    Walker w(sink);
    describeDocument(w, raw);
}

template <class Item>
Result<std::string> encodeRawItems(std::span<const Item> items, Layout layout) {
    // Sized first, so that the bytes are written once and hold no spare room (a
    // checkpoint keeps them).
    layout::OffsetFinder size;
    for (const Item& item : items) layout::describeItem(size, item, layout);
    Encoder e;
    e.out().reserve(size.pos);
    for (size_t k = 0; k < items.size() && e.ok(); ++k) layout::describeItem(e, items[k], layout);
    if (!e.ok()) return *e.error();
    return e.out().take();
}

template <class Item>
Result<std::vector<Item>> parseRawItems(std::string_view bytes, Layout layout, size_t count) {
    std::vector<Item> items(count);
    Parser p(bytes, layout);
    for (size_t k = 0; k < count && p.ok(); ++k) {
        items[k].at = p.in().pos();
        layout::describeItem(p, items[k], layout);
    }
    if (p.ok() && p.in().remaining() > 0)
        p.in().fail(std::to_string(p.in().remaining()) + " bytes are left over after the last item", p.in().pos());
    if (!p.ok()) return p.in().error();
    return items;
}

#define QM_RAW_ITEM(Item)                                                                         \
    template Result<std::string> encodeRawItems<Item>(std::span<const Item>, Layout);            \
    template Result<std::vector<Item>> parseRawItems<Item>(std::string_view, Layout, size_t);
QM_RAW_ITEM(RawShape)
QM_RAW_ITEM(RawLabel)
QM_RAW_ITEM(RawSegment)
QM_RAW_ITEM(RawArrow)
QM_RAW_ITEM(RawDiamond)
#undef QM_RAW_ITEM

Result<std::array<std::string, kSectionCount + 1>> encodeRawFrame(const RawDocument& raw,
                                                                  const std::array<size_t, kSectionCount>& counts) {
    FrameEncoder e(counts);
    describeDocument(e, raw);
    if (!e.ok()) return *e.error();
    return e.take();
}

}  // namespace qm
