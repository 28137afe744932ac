#include "edit/insert.h"

#include <string>

#include "interact/deleting.h"
#include "interact/selection.h"
#include "model/labels.h"
#include "model/rounding.h"
#include "model/sel_kind.h"

namespace qm {
namespace {

// Ends any drawing or selection, then checks that the collections have room.
bool prepare(Editor& ed, const Needs& needs) {
    finishArrowDrawing(ed);
    clearSelection(ed);
    const std::string why = noRoomFor(ed.doc, needs);
    if (why.empty()) return true;
    ed.host.message("提示", why, Icon::Information);
    return false;
}

int newLabel(Document& doc) {
    const int i = ++doc.labelCount;
    doc.Label.create(i);
    doc.Label.setVisible(i, true);
    doc.labelReserve(i) = LabelReserveRecord{};
    return i;
}

}  // namespace

std::string noRoomFor(const Document& doc, const Needs& needs) {
    const auto records = [](int count, int more) { return count > kMaxRecordIndex - more; };
    const std::string recordLimit = "的数量已达上限（" + std::to_string(kMaxRecordIndex) + "个），不能再插入。";
    if (records(doc.shapeCount, needs.shapes)) return "矩形和椭圆" + recordLimit;
    if (records(doc.diamondCount, needs.diamonds)) return "菱形" + recordLimit;
    if (records(doc.arrowCount, needs.arrows)) return "箭头" + recordLimit;
    if (doc.labelCount > kMaxIndex - needs.labels)
        return "标签的数量已达上限（" + std::to_string(kMaxIndex) + "个），不能再插入。";
    if (doc.segCount > kMaxIndex - needs.segments)
        return "线段的数量已达上限（" + std::to_string(kMaxIndex) + "条），不能再插入。";
    return {};
}

void insertShape(Editor& ed, ShapeStyle style) {
    if (!prepare(ed, {.shapes = 1, .labels = 2})) return;
    Document& doc = ed.doc;
    doc.selKind = SelKind::PlacingShape;
    const int i = ++doc.shapeCount;
    doc.Shape1.create(i);
    doc.LineRect.create(i);
    doc.Shape1.setVisible(i, true);
    doc.LineRect.setVisible(i, true);
    ShapeEl& shape = *doc.Shape1.find(i);
    shape.style = static_cast<int16_t>(style);
    doc.selIndex = static_cast<int16_t>(i);
    ShapeRecord& rec = doc.shapeRec[i];
    rec = ShapeRecord{};  // nothing of an earlier document's shape i may survive
    rec.shapeType = static_cast<int16_t>(style);
    rec.label1 = static_cast<int16_t>(newLabel(doc));
    rec.label2 = static_cast<int16_t>(newLabel(doc));
    layoutShapeTexts(doc, rec.label1, rec.label2, roundI32Sat(shape.left), roundI32Sat(shape.top),
                     roundI32Sat(shape.height), roundI32Sat(shape.width));
    ed.markModified();
}

void insertDiamond(Editor& ed) {
    if (!prepare(ed, {.diamonds = 1, .labels = 2})) return;
    Document& doc = ed.doc;
    doc.selKind = SelKind::PlacingDiamond;
    const int i = ++doc.diamondCount;
    createDiamondLines(doc, i);
    setDiamondVisible(doc, i, true);
    doc.selIndex = static_cast<int16_t>(i);
    const LineEl& lx1 = *doc.lx1.find(i);
    DiamondRecord& rec = doc.diamondRec[i];
    rec = DiamondRecord{};
    rec.width = 2400;
    rec.height = 1200;
    rec.x = roundI32Sat(lx1.x1);  // the box of the template diamond
    rec.y = roundI32Sat(lx1.y2);
    rec.label1 = static_cast<int16_t>(newLabel(doc));
    rec.label2 = static_cast<int16_t>(newLabel(doc));
    for (const int16_t text : {rec.label1, rec.label2}) setCaption(*doc.Label.find(text), kDiamondTextCaption, ed.metrics);
    layoutShapeTexts(doc, rec.label1, rec.label2, rec.x, rec.y, rec.height, rec.width);
    ed.markModified();
}

void insertLabel(Editor& ed, bool vertical) {
    if (!prepare(ed, {.labels = 1})) return;
    Document& doc = ed.doc;
    doc.selKind = SelKind::PlacingLabel;
    const int i = newLabel(doc);
    doc.selIndex = static_cast<int16_t>(i);
    ed.host.setTimerEnabled(TimerId::Timer1, true);
    ed.host.setCanvasCursor(CursorKind::Insert);
    if (vertical) setWordWrap(*doc.Label.find(i), true, kVerticalLabelWidth, ed.metrics);
    ed.markModified();
}

void insertStraightArrow(Editor& ed, Dir dir) {
    if (!prepare(ed, {.arrows = 1, .segments = 1})) return;
    Document& doc = ed.doc;
    static constexpr SelKind kinds[] = {SelKind::PlacingUpArrow, SelKind::PlacingDownArrow,
                                        SelKind::PlacingLeftArrow, SelKind::PlacingRightArrow};
    const int d = static_cast<int>(dir);
    doc.orthoDraw = boolI16(true);
    doc.selKind = kinds[d];
    const int n = ++doc.arrowCount;
    doc.selIndex = static_cast<int16_t>(n);
    ed.host.setCanvasCursor(CursorKind::Crosshair);
    const int s = ++doc.segCount;
    doc.Line1.create(s);
    Collection<PictureEl>& heads = *doc.heads(d);
    heads.create(n);
    ArrowRecord& rec = doc.arrowRec[n];
    rec = ArrowRecord{};
    rec.direction() = static_cast<int16_t>(d);
    rec.head() = static_cast<int16_t>(n);
    rec.count() = 1;
    rec.slot[1] = static_cast<int16_t>(s);
    doc.Line1.setVisible(s, true);
    heads.setVisible(n, true);
    ed.markModified();
}

void insertPolylineArrow(Editor& ed) {
    if (!prepare(ed, {.arrows = 1, .segments = 1})) return;
    Document& doc = ed.doc;
    const int n = ++doc.arrowCount;
    ArrowRecord& rec = doc.arrowRec[n];
    rec = ArrowRecord{};
    rec.head() = static_cast<int16_t>(n);
    doc.orthoDraw = boolI16(true);
    doc.selKind = SelKind::DrawingArrow;
    doc.selIndex = static_cast<int16_t>(n);
    ed.host.setCanvasCursor(CursorKind::Crosshair);
}

}  // namespace qm
