// One drawing with everything the editor keeps about it: the element collections
// (index 0 of each is its template), the single elements, the counters, the record
// arrays and the editor state. A plain value: copying it copies the drawing.
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

// An arrow end that the move under way carries along with the connection point of
// a rectangle, ellipse or diamond it lay on when the move began.
struct GluedEnd {
    int arrow = 0;
    bool head = false;  // the end of the last segment; else the start of the first
    ElementRef on;      // the shape or diamond
    int point = 0;      // which of its connection points
    PointF at;          // where that point was when the end last followed it
    // How the end's segment lay at the start, which its other vertex keeps when the
    // end moves: level (it moves up and down with the end), upright (left and
    // right), or neither, for a slanting segment or an arrow of one segment.
    enum Keep : uint8_t { Level, Upright, Neither } keep = Neither;
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
    std::vector<GluedEnd> glued;    // the arrow ends a move under way carries along
    PointF moved;                   // how far the drag under way has carried the selection
    int16_t bandX = 0, bandY = 0;   // selKind SelectingArea: the band's corner at the pointer
    int16_t hitIndex = 0;
    int16_t orthoDraw = 0;
    int16_t downX = 0, downY = 0;
    int16_t startLeft = 0, startTop = 0;
    int16_t editLabel = 0;
    ScreenPoint pressPt, releasePt;
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
