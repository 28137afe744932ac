#include "model/document.h"

namespace qm {
namespace {

ShapeEl shapeTemplate() {
    ShapeEl s;
    s.left = 225; s.top = 225; s.width = 1965; s.height = 1215;
    return s;
}

LineEl line(float x1, float y1, float x2, float y2) {
    LineEl l;
    l.x1 = x1; l.y1 = y1; l.x2 = x2; l.y2 = y2;
    return l;
}

LabelEl labelTemplate() {
    LabelEl l;
    l.left = 675; l.top = 2400; l.width = 1440; l.height = 180;
    l.caption = kLabelTemplateCaption;
    l.fontName = kDefaultFontName;
    l.fontSize = 9;
    return l;
}

template <class Table>
auto recordAt(Table& records, int i) -> decltype(&records[0]) {
    return i >= 1 && i <= kMaxRecordIndex ? &records[static_cast<size_t>(i)] : nullptr;
}

PictureEl picture(float left, float top) {
    PictureEl p;
    p.left = left; p.top = top;
    return p;
}

}  // namespace

std::string defaultHeaderTag() { return "QMP" + std::string(252, ' '); }

Document::Document()
    : Shape1(shapeTemplate()),
      LineRect(line(225, 825, 2175, 825)),
      Label(labelTemplate()),
      Line1(line(1425, 3675, 2775, 3675)),
      picUp(picture(4275, 2925)),
      picDown(picture(4275, 3900)),
      picLeft(picture(3750, 3450)),
      picRight(picture(4725, 3450)),
      lx1(line(2925, 1050, 4125, 450)),
      lx2(line(4125, 450, 5325, 1050)),
      lx3(line(5325, 1050, 4125, 1650)),
      lx4(line(2925, 1050, 4125, 1650)),
      lx5(line(2925, 1050, 5325, 1050)),
      labelRec(1),
      headerTag(defaultHeaderTag()) {
    Shape2.width = 2790;
    Shape2.height = 1365;
    Shape2.visible = true;
    for (LineEl* l : {&Line2, &Line3, &Line4}) l->visible = true;
    lneTemp = line(2475, 6000, 4125, 6000);
    lneTemp.style = LineStyle::Dotted;
}

ShapeRecord* Document::shapeRecord(int i) { return recordAt(shapeRec, i); }
const ShapeRecord* Document::shapeRecord(int i) const { return recordAt(shapeRec, i); }
DiamondRecord* Document::diamondRecord(int i) { return recordAt(diamondRec, i); }
const DiamondRecord* Document::diamondRecord(int i) const { return recordAt(diamondRec, i); }
ArrowRecord* Document::arrowRecord(int i) { return recordAt(arrowRec, i); }
const ArrowRecord* Document::arrowRecord(int i) const { return recordAt(arrowRec, i); }

Collection<PictureEl>* Document::heads(int dir) {
    switch (dir) {
        case 0: return &picUp;
        case 1: return &picDown;
        case 2: return &picLeft;
        case 3: return &picRight;
        default: return nullptr;
    }
}

const Collection<PictureEl>* Document::heads(int dir) const {
    return const_cast<Document*>(this)->heads(dir);
}

std::array<Collection<LineEl>*, 5> Document::diamondLines() { return {&lx1, &lx2, &lx3, &lx4, &lx5}; }

std::array<const Collection<LineEl>*, 5> Document::diamondLines() const {
    return {&lx1, &lx2, &lx3, &lx4, &lx5};
}

std::string Document::displayName() const {
    if (fileName.empty()) return kUntitledName;
    return fileName.substr(fileName.find_last_of('/') + 1);
}

LabelReserveRecord& Document::labelReserve(int i) {
    if (static_cast<size_t>(i) >= labelRec.size()) labelRec.resize(static_cast<size_t>(i) + 1);
    return labelRec[static_cast<size_t>(i)];
}

void destroyDrawing(Document& doc) {
    doc.Label.clear();
    doc.labelCount = 0;
    doc.Shape1.clear();
    doc.LineRect.clear();
    doc.shapeCount = 0;
    doc.Line1.clear();
    doc.segCount = 0;
    for (int d = 0; d < 4; ++d) doc.heads(d)->clear();
    doc.arrowCount = 0;
    for (Collection<LineEl>* lines : doc.diamondLines()) lines->clear();
    doc.diamondCount = 0;
    // The reserved label data belongs to the labels of the file it came from; a new
    // label must not inherit it.
    doc.labelRec.assign(1, LabelReserveRecord{});
}

}  // namespace qm
