// The record arrays that tie elements together. Field order and widths are those
// of the document file, which dumps these records as they are.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace qm {

inline constexpr int kRecordCount = 256;  // indices 0..255; the editor uses 1..255
inline constexpr int kMaxRecordIndex = 255;
inline constexpr int kInnerSlots = 256;   // entries 1..255 used
inline constexpr int kMaxInner = 255;

// Booleans as records, files and the editor state hold them: -1 true, 0 false.
constexpr int16_t boolI16(bool b) { return b ? -1 : 0; }

// The last index with a record in a collection whose counter is `count`: records
// end at kMaxRecordIndex, the collections do not.
constexpr int lastRecordIndex(int count) { return std::min(count, kMaxRecordIndex); }

// The entries of an inner label list, whatever its stored count says.
template <class Record>
int innerLabelCount(const Record& rec) {
    return std::clamp<int>(rec.innerCount, 0, kMaxInner);
}

struct ShapeRecord {
    int16_t selfIndex = 0;
    int16_t moved = 0;
    int32_t lastLeft = 0;
    int32_t lastTop = 0;
    int16_t label1 = 0;
    int16_t label2 = 0;
    int16_t shapeType = 0;
    int16_t innerCount = 0;
    std::array<int16_t, kInnerSlots> innerLabel{};
    std::array<int16_t, kInnerSlots> innerDX{};
    std::array<int16_t, kInnerSlots> innerDY{};
    bool operator==(const ShapeRecord&) const = default;
};

struct DiamondRecord {
    int16_t label1 = 0;
    int16_t label2 = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t x = 0;
    int32_t y = 0;
    int16_t innerCount = 0;
    std::array<int16_t, kInnerSlots> innerLabel{};
    std::array<int16_t, kInnerSlots> innerDX{};
    std::array<int16_t, kInnerSlots> innerDY{};
    bool operator==(const DiamondRecord&) const = default;
};

// 260 slots: 1..255 segment indices, 256 count, 257 drawing cursor,
// 258 head direction, 259 head picture index.
struct ArrowRecord {
    static constexpr int kMaxSegments = 255;
    static constexpr int kCount = 256, kDrawCursor = 257, kDirection = 258, kHead = 259;
    std::array<int16_t, 260> slot{};

    int16_t& count() { return slot[kCount]; }
    int16_t count() const { return slot[kCount]; }
    // The segments in slots 1.., whatever the stored count says.
    int segmentCount() const { return std::clamp<int>(count(), 0, kMaxSegments); }
    int16_t& drawCursor() { return slot[kDrawCursor]; }
    int16_t& direction() { return slot[kDirection]; }
    int16_t direction() const { return slot[kDirection]; }
    int16_t& head() { return slot[kHead]; }
    int16_t head() const { return slot[kHead]; }
    bool operator==(const ArrowRecord&) const = default;
};

// Reserved per-label data that only the file format carries; kept byte for byte.
struct LabelReserveRecord {
    int16_t a = 0, b = 0, c = 0;
    std::array<uint8_t, 8> bytes{};
    std::string text;  // the stored code-page bytes, not converted
    bool operator==(const LabelReserveRecord&) const = default;
};

// The records of one kind, indexed 0..kMaxRecordIndex like their collections. A
// table takes memory only once something writes to it, so that an empty drawing,
// of which the readers and the paste make several for every input, costs next to
// nothing; then it holds all 256 records in one block, as the large drawings'
// scans over every record want them. Reading a record nobody wrote gives a zero
// record. A reference to a record stays good while the table lives, whatever other
// records are written meanwhile; a record read through a const table before its
// table is first written is the shared zero record, not the one written later.
template <class Record>
class RecordTable {
public:
    RecordTable() = default;
    RecordTable(RecordTable&&) noexcept = default;
    RecordTable& operator=(RecordTable&&) noexcept = default;
    RecordTable(const RecordTable& other) { *this = other; }
    RecordTable& operator=(const RecordTable& other) {
        if (this == &other) return *this;
        if (!other.all_) all_.reset();
        else if (all_) *all_ = *other.all_;
        else all_ = std::make_unique<std::array<Record, kRecordCount>>(*other.all_);
        return *this;
    }

    Record& operator[](size_t i) {
        check(i);
        if (!all_) all_ = std::make_unique<std::array<Record, kRecordCount>>();
        return (*all_)[i];
    }
    const Record& operator[](size_t i) const {
        check(i);
        return all_ ? (*all_)[i] : kZero;
    }

private:
    // An index past the records is a fault of the caller's, never of the input:
    // told at once rather than written past the table.
    static void check(size_t i) {
        if (i >= static_cast<size_t>(kRecordCount)) throw std::out_of_range("record index " + std::to_string(i));
    }

    static inline const Record kZero{};
    std::unique_ptr<std::array<Record, kRecordCount>> all_;
};

}  // namespace qm
