// A document file as it stands, field by field: every entry and record in file
// order under the names the format gives them, texts as the stored code-page bytes.
// Files are parsed into this view, checked, and only then turned into a Document;
// documents are written by going the other way. Both file layouts share it.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/result.h"
#include "model/records.h"

namespace qm {

// The full editor's layout, with its 255-byte tag, and the reduced editor's (`qmp`),
// which has no tag, no sizes, no fonts, no inner label lists and no title block.
enum class Layout { Quillmap, Qmp };

inline constexpr size_t kTagSize = 255;
inline constexpr int kMaxShapes = 255, kMaxArrows = 255, kMaxDiamonds = 255;
inline constexpr int kMaxLabels = 32767, kMaxSegments = 32767;
inline constexpr int kQmpShapeWidth = 1965, kQmpShapeHeight = 1215;
inline constexpr int kQmpDiamondWidth = 2400, kQmpDiamondHeight = 1200;

struct ShapeEntry {
    int16_t left = 0, top = 0, visible = 0, style = 0;
    int16_t width = 0, height = 0;  // not in the qmp layout
};

struct ShapeLineEntry {
    int16_t x1 = 0, x2 = 0, y1 = 0, y2 = 0, visible = 0;
};

struct LabelEntry {
    int16_t left = 0, top = 0;
    int16_t height = 0, width = 0;  // not in the qmp layout
    std::string caption;            // code-page bytes
    int16_t visible = 0;
    int16_t wordWrap = 0, fontSize = 0;  // not in the qmp layout
    std::string fontName;                // not in the qmp layout
};

struct SegmentEntry {
    int16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0, visible = 0;
};

struct PictureEntry {
    int16_t left = 0, top = 0, visible = 0;
};

// The four arrowhead pictures of one arrow, by direction code: up, down, left, right.
struct ArrowheadEntry {
    std::array<PictureEntry, 4> pictures{};
};

struct DiamondEntry {
    int16_t left = 0, top = 0, visible = 0;
    int16_t width = 0, height = 0;  // not in the qmp layout
};

// One item of each section. `at` is the byte offset of the item in the file it was
// parsed from (0 for an item made from a document). The qmp layout stores only the
// first seven fields of a shape record and only label1 and label2 of a diamond record.
struct RawShape {
    uint64_t at = 0;
    ShapeEntry entry;
    ShapeLineEntry line;
    ShapeRecord record;
};

struct RawLabel {
    uint64_t at = 0;
    LabelEntry entry;
    LabelReserveRecord reserve;
};

struct RawSegment {
    uint64_t at = 0;
    SegmentEntry entry;
};

struct RawArrow {
    uint64_t at = 0;
    ArrowRecord record;
    ArrowheadEntry heads;
};

struct RawDiamond {
    uint64_t at = 0;
    DiamondEntry entry;
    DiamondRecord record;
};

struct RawDocument {
    Layout layout = Layout::Quillmap;
    std::string tag;      // quillmap only
    int16_t version = 0;  // quillmap only
    std::vector<RawShape> shapes;
    std::vector<RawLabel> labels;
    std::vector<RawSegment> segments;
    std::vector<RawArrow> arrows;
    std::vector<RawDiamond> diamonds;
    float titleBlockLeft = 0, titleBlockTop = 0;  // quillmap only
    uint64_t end = 0;  // bytes the document takes up; a quillmap file may hold more
};

// "QMP" padded with spaces: the first 255 bytes of every quillmap file.
const std::string& quillmapTag();
bool startsWithQuillmapTag(std::string_view bytes);

// Reads the sections of `layout` from `bytes`: structure only (tag, counts, every
// length against the bytes that remain; for qmp, nothing may be left over).
Result<RawDocument> parseRawDocument(std::string_view bytes, Layout layout);

// The rules a file must keep beyond its structure: shape styles and sizes, label
// indices that records refer to, arrow segment lists, texts that decode, a title
// block position that fits. Errors name the offending field's byte offset.
Status validateRawDocument(const RawDocument& raw);

// The bytes of `raw` in its layout. Fails only on a text longer than 65535 bytes, a
// tag that is not 255 bytes, or a section with more items than its count can hold.
Result<std::string> encodeRawDocument(const RawDocument& raw);

// A document kept in parts, as an editing history keeps it: the items of one
// section on their own, and the bytes around them. Together, in file order, they
// are exactly what encodeRawDocument writes. `Item` is one of RawShape, RawLabel,
// RawSegment, RawArrow and RawDiamond.
template <class Item>
Result<std::string> encodeRawItems(std::span<const Item> items, Layout layout);
// Exactly `count` items that fill `bytes`.
template <class Item>
Result<std::vector<Item>> parseRawItems(std::string_view bytes, Layout layout, size_t count);

// What lies between the sections' items: piece 0 is everything up to the first
// section's items (tag, version, shapeCount), piece k (1..4) the count of section k,
// piece 5 what follows the last section (the title block position). The fields
// outside the sections come from `raw`, whose item lists are not read; the counts
// from `counts`.
inline constexpr size_t kSectionCount = 5;
Result<std::array<std::string, kSectionCount + 1>> encodeRawFrame(const RawDocument& raw,
                                                                  const std::array<size_t, kSectionCount>& counts);

// Receives the fields of a raw document in file order, for dumps and tools.
// Items of a section arrive as unnamed groups; their entries and records as named
// groups ("entry", "line", "record", "reserve", "heads", "up", ...).
class RawFieldSink {
public:
    virtual ~RawFieldSink() = default;
    virtual void beginList(std::string_view name) = 0;
    virtual void endList() = 0;
    virtual void beginGroup(std::string_view name, uint64_t offset) = 0;
    virtual void endGroup() = 0;
    virtual void integer(std::string_view name, int64_t value, uint64_t offset) = 0;
    virtual void real(std::string_view name, double value, uint64_t offset) = 0;
    virtual void text(std::string_view name, std::string_view bytes, uint64_t offset) = 0;
    virtual void integers(std::string_view name, std::span<const int16_t> values, uint64_t offset) = 0;
    virtual void bytes(std::string_view name, std::span<const uint8_t> values, uint64_t offset) = 0;
};

// Offsets are those of the fields in encodeRawDocument(raw), which for a parsed
// document are those of the file.
void walkRawFields(const RawDocument& raw, RawFieldSink& sink);

}  // namespace qm
