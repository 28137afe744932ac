// One drawing with everything the editor keeps about it: the element collections
// (index 0 of each is its template), the single elements, the counters, the record
// arrays and what is selected. A plain value: copying it copies the drawing. A
// gesture under way is the editor's, never the drawing's (model/move_session.h).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/collection.h"
#include "model/elements.h"
#include "model/parts.h"
#include "model/records.h"
#include "model/sel_kind.h"

namespace qm {

struct ScreenPoint {
    int32_t x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// A point of the drawing, in twips.
struct PointF {
    float x = 0, y = 0;
    bool operator==(const PointF&) const = default;
};

// The "QMP" tag padded with blanks to 255 characters.
std::string defaultHeaderTag();

// Template caption of a new label: "click here to add text".
inline constexpr const char* kLabelTemplateCaption = "单击这里添加文本";
// The two texts of a new diamond: "add text", short enough to stay inside its outline.
inline constexpr const char* kDiamondTextCaption = "添加文本";
inline constexpr const char* kDefaultFontName = "宋体";
inline constexpr const char* kTitleFontName = "黑体";
// What an untitled drawing is called in titles, questions and proposed file names.
inline constexpr const char* kUntitledName = "未命名";

struct Document {
    Document();

    // Element collections.
    Collection<ShapeEl> Shape1;
    Collection<LineEl> LineRect;
    Collection<LabelEl> Label;
    Collection<LineEl> Line1;
    Collection<PictureEl> picUp, picDown, picLeft, picRight;
    Collection<LineEl> lx1, lx2, lx3, lx4, lx5;
    Collection<HandleEl> spHandle;

    // Single elements: title block frame and dividers, the rubber band.
    ShapeEl Shape2;
    LineEl Line2, Line3, Line4;
    LineEl lneTemp;

    // Counters: the highest index in use in each collection.
    int16_t shapeCount = 0, labelCount = 0, arrowCount = 0, segCount = 0, diamondCount = 0;

    // Records, indexed like their collections (0..255); labelRec grows with the labels.
    RecordTable<ShapeRecord> shapeRec;
    RecordTable<DiamondRecord> diamondRec;
    RecordTable<ArrowRecord> arrowRec;
    std::vector<LabelReserveRecord> labelRec;

    // Editor state.
    SelKind selKind = SelKind::None;
    int16_t selIndex = 0;
    std::vector<ElementRef> group;  // selKind Several: the elements selected, sorted
    // selKind SelectingArea: the band's corner at the pointer, and the one where
    // its press was. The band is shown, as lneTemp is; the press it came from is not.
    int16_t bandX = 0, bandY = 0;
    int16_t bandFromX = 0, bandFromY = 0;
    int16_t orthoDraw = 0;
    int16_t editLabel = 0;
    std::string fileName;
    int16_t modified = 0;  // -1 or 0; read and set through isModified() and setModified()
    std::string headerTag;
    int16_t fileVersion = 1;

    // The records of rectangle or ellipse, diamond and arrow i; nullptr outside
    // 1..kMaxRecordIndex, where there are none.
    ShapeRecord* shapeRecord(int i);
    const ShapeRecord* shapeRecord(int i) const;
    DiamondRecord* diamondRecord(int i);
    const DiamondRecord* diamondRecord(int i) const;
    ArrowRecord* arrowRecord(int i);
    const ArrowRecord* arrowRecord(int i) const;

    // Whether the drawing changed since it was last saved or opened (the -1 or 0
    // of `modified`).
    bool isModified() const { return modified != 0; }
    void setModified(bool changed) { modified = boolI16(changed); }

    // The name the drawing goes by wherever the user reads it (window title, save
    // question, picture titles): its file's name without the folder, or 未命名.
    std::string displayName() const;

    // The arrowhead collection for a direction code (0 up, 1 down, 2 left, 3 right);
    // nullptr for any other code.
    Collection<PictureEl>* heads(int dir);
    const Collection<PictureEl>* heads(int dir) const;
    Collection<PictureEl>& heads(Dir dir) { return *heads(static_cast<int>(dir)); }
    const Collection<PictureEl>& heads(Dir dir) const { return *heads(static_cast<int>(dir)); }
    // The five line collections of diamonds, lx1..lx5.
    std::array<Collection<LineEl>*, 5> diamondLines();
    std::array<const Collection<LineEl>*, 5> diamondLines() const;

    LabelReserveRecord& labelReserve(int i);  // grows labelRec as needed

    // Selection handle k. Handle 0 is the family's template itself, which the
    // arrow code uses as the tail handle; the others exist once created.
    HandleEl* handle(int k) { return k == 0 ? &spHandle.templ() : spHandle.find(k); }
    const HandleEl* handle(int k) const { return k == 0 ? &spHandle.templ() : spHandle.find(k); }
};

// Destroys every element of the drawing (handles and templates stay) and zeroes
// the counters. Records are left for the insert commands to reset.
void destroyDrawing(Document& doc);

}  // namespace qm
