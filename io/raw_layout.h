// The order, widths and names of every field of both document layouts, written once
// and walked by the parser, the writer, the field walker and the offset finder.
// A visitor provides begin/end(name), i16/i32/f32/text/i16s/bytes8(name, field) and
// tag(name, field); each item function works on a const or a mutable item.
#pragma once
#include <functional>
#include <optional>
#include <type_traits>

#include "io/raw_document.h"

namespace qm::layout {

template <class V, class Item>
void describeItem(V& v, Item& s, Layout l) requires std::is_same_v<std::remove_const_t<Item>, RawShape> {
    const bool full = l == Layout::Quillmap;
    v.begin("entry");
    v.i16("left", s.entry.left);
    v.i16("top", s.entry.top);
    v.i16("visible", s.entry.visible);
    v.i16("style", s.entry.style);
    if (full) {
        v.i16("width", s.entry.width);
        v.i16("height", s.entry.height);
    }
    v.end();
    v.begin("line");
    v.i16("x1", s.line.x1);
    v.i16("x2", s.line.x2);
    v.i16("y1", s.line.y1);
    v.i16("y2", s.line.y2);
    v.i16("visible", s.line.visible);
    v.end();
    v.begin("record");
    v.i16("selfIndex", s.record.selfIndex);
    v.i16("moved", s.record.moved);
    v.i32("lastLeft", s.record.lastLeft);
    v.i32("lastTop", s.record.lastTop);
    v.i16("label1", s.record.label1);
    v.i16("label2", s.record.label2);
    v.i16("shapeType", s.record.shapeType);
    if (full) {
        v.i16("innerCount", s.record.innerCount);
        v.i16s("innerLabel", s.record.innerLabel);
        v.i16s("innerDX", s.record.innerDX);
        v.i16s("innerDY", s.record.innerDY);
    }
    v.end();
}

template <class V, class Item>
void describeItem(V& v, Item& s, Layout l) requires std::is_same_v<std::remove_const_t<Item>, RawLabel> {
    const bool full = l == Layout::Quillmap;
    v.begin("entry");
    v.i16("left", s.entry.left);
    v.i16("top", s.entry.top);
    if (full) {
        v.i16("height", s.entry.height);
        v.i16("width", s.entry.width);
    }
    v.text("caption", s.entry.caption);
    v.i16("visible", s.entry.visible);
    if (full) {
        v.i16("wordWrap", s.entry.wordWrap);
        v.i16("fontSize", s.entry.fontSize);
        v.text("fontName", s.entry.fontName);
    }
    v.end();
    v.begin("reserve");
    v.i16("a", s.reserve.a);
    v.i16("b", s.reserve.b);
    v.i16("c", s.reserve.c);
    v.bytes8("bytes", s.reserve.bytes);
    v.text("text", s.reserve.text);
    v.end();
}

template <class V, class Item>
void describeItem(V& v, Item& s, Layout) requires std::is_same_v<std::remove_const_t<Item>, RawSegment> {
    v.begin("entry");
    v.i16("x1", s.entry.x1);
    v.i16("y1", s.entry.y1);
    v.i16("x2", s.entry.x2);
    v.i16("y2", s.entry.y2);
    v.i16("visible", s.entry.visible);
    v.end();
}

template <class V, class Item>
void describeItem(V& v, Item& s, Layout) requires std::is_same_v<std::remove_const_t<Item>, RawArrow> {
    v.begin("record");
    v.i16s("slots", s.record.slot);
    v.end();
    static constexpr const char* kHeads[4] = {"up", "down", "left", "right"};
    v.begin("heads");
    for (int d = 0; d < 4; ++d) {
        auto& p = s.heads.pictures[static_cast<size_t>(d)];
        v.begin(kHeads[d]);
        v.i16("left", p.left);
        v.i16("top", p.top);
        v.i16("visible", p.visible);
        v.end();
    }
    v.end();
}

template <class V, class Item>
void describeItem(V& v, Item& s, Layout l) requires std::is_same_v<std::remove_const_t<Item>, RawDiamond> {
    const bool full = l == Layout::Quillmap;
    v.begin("entry");
    v.i16("left", s.entry.left);
    v.i16("top", s.entry.top);
    v.i16("visible", s.entry.visible);
    if (full) {
        v.i16("width", s.entry.width);
        v.i16("height", s.entry.height);
    }
    v.end();
    v.begin("record");
    v.i16("label1", s.record.label1);
    v.i16("label2", s.record.label2);
    if (full) {
        v.i32("width", s.record.width);
        v.i32("height", s.record.height);
        v.i32("x", s.record.x);
        v.i32("y", s.record.y);
        v.i16("innerCount", s.record.innerCount);
        v.i16s("innerLabel", s.record.innerLabel);
        v.i16s("innerDX", s.record.innerDX);
        v.i16s("innerDY", s.record.innerDY);
    }
    v.end();
}

// Counts the bytes of an item, and notes where one field of it lies.
struct OffsetFinder {
    const void* target = nullptr;
    uint64_t pos = 0;
    std::optional<uint64_t> found;

    void begin(const char*) {}
    void end() {}
    void at(const void* field, uint64_t size) {
        if (!found && field == target) found = pos;
        pos += size;
    }
    template <class T, size_t N>
    void array(const std::array<T, N>& a) {
        const std::less<const void*> before;
        if (!found && !before(target, a.data()) && before(target, a.data() + N))
            found = pos + sizeof(T) * static_cast<uint64_t>(static_cast<const T*>(target) - a.data());
        pos += sizeof(T) * N;
    }
    void i16(const char*, const int16_t& f) { at(&f, 2); }
    void i32(const char*, const int32_t& f) { at(&f, 4); }
    void f32(const char*, const float& f) { at(&f, 4); }
    void text(const char*, const std::string& f) { at(&f, 2 + f.size()); }
    void tag(const char*, const std::string& f) { at(&f, f.size()); }
    template <size_t N>
    void i16s(const char*, const std::array<int16_t, N>& a) { array(a); }
    void bytes8(const char*, const std::array<uint8_t, 8>& a) { array(a); }
};

// Smallest number of bytes an item of a section takes in a layout (all texts
// empty); used to refuse a count that promises more items than the file holds.
template <class Item>
uint64_t minimumItemSize(Layout l) {
    static const Item empty{};
    OffsetFinder size;
    describeItem(size, empty, l);
    return size.pos;
}

// The whole file. `v.list(listName, countName, items, maxCount, fn)` handles a count
// and its items, calling fn(item) for each.
template <class V, class Doc>
void describeDocument(V& v, Doc& d) {
    const bool full = d.layout == Layout::Quillmap;
    if (full) {
        v.tag("tag", d.tag);
        v.i16("version", d.version);
    }
    const Layout l = d.layout;
    auto item = [&](auto& it) { describeItem(v, it, l); };
    v.list("shapes", "shapeCount", d.shapes, kMaxShapes, item);
    v.list("labels", "labelCount", d.labels, kMaxLabels, item);
    v.list("segments", "segCount", d.segments, kMaxSegments, item);
    v.list("arrows", "arrowCount", d.arrows, kMaxArrows, item);
    v.list("diamonds", "diamondCount", d.diamonds, kMaxDiamonds, item);
    if (full) {
        v.f32("titleBlockLeft", d.titleBlockLeft);
        v.f32("titleBlockTop", d.titleBlockTop);
    }
}

// Byte offset of `field` (a member of `item`, or an element of one of its arrays)
// from the start of the item, as the layout places it.
template <class Item>
uint64_t offsetInItem(const Item& item, const void* field, Layout l) {
    OffsetFinder finder;
    finder.target = field;
    describeItem(finder, item, l);
    return finder.found.value_or(0);
}

}  // namespace qm::layout
