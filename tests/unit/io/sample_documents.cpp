#include "unit/io/sample_documents.h"

#include "model/relayout.h"
#include "model/labels.h"
#include "model/title_block.h"

namespace qm::test {
namespace {

int addLabel(Document& d, const TextMetrics& m, const char* caption, float left, float top, bool visible = true) {
    const int i = ++d.labelCount;
    d.Label.create(i);
    LabelEl& l = *d.Label.find(i);
    setCaption(l, caption, m);
    l.left = left;
    l.top = top;
    l.visible = visible;
    return i;
}

int addShape(Document& d, const TextMetrics& m, int16_t style, float left, float top, bool moved, bool visible) {
    const int i = ++d.shapeCount;
    d.Shape1.create(i);
    d.LineRect.create(i);
    d.Shape1.find(i)->style = style;
    if (moved) moveShapeTo(d, i, left, top);
    ShapeRecord& r = d.shapeRec[static_cast<size_t>(i)];
    r.shapeType = style;
    r.label1 = static_cast<int16_t>(addLabel(d, m, "开始", 0, 0, visible));
    r.label2 = static_cast<int16_t>(addLabel(d, m, "Step 1", 0, 0, visible));
    const ShapeEl& s = *d.Shape1.find(i);
    layoutShapeTexts(d, r.label1, r.label2, static_cast<int32_t>(s.left), static_cast<int32_t>(s.top),
                     static_cast<int32_t>(s.height), static_cast<int32_t>(s.width));
    d.Shape1.setVisible(i, visible);
    d.LineRect.setVisible(i, visible);
    return i;
}

// An arrow of the given segments (x1, y1, x2, y2 each) with its one head picture.
int addArrow(Document& d, std::initializer_list<std::array<float, 4>> segs, Dir dir, bool visible) {
    const int n = ++d.arrowCount;
    ArrowRecord& r = d.arrowRec[static_cast<size_t>(n)];
    int k = 0;
    std::array<float, 4> last{};
    for (const auto& s : segs) {
        const int i = ++d.segCount;
        d.Line1.create(i);
        LineEl& l = *d.Line1.find(i);
        l.x1 = s[0], l.y1 = s[1], l.x2 = s[2], l.y2 = s[3];
        l.visible = visible;
        r.slot[static_cast<size_t>(++k)] = static_cast<int16_t>(i);
        last = s;
    }
    r.count() = static_cast<int16_t>(k);
    r.drawCursor() = static_cast<int16_t>(k);
    r.direction() = static_cast<int16_t>(dir);
    r.head() = static_cast<int16_t>(n);
    Collection<PictureEl>& pics = *d.heads(static_cast<int>(dir));
    pics.create(n);
    PictureEl& p = *pics.find(n);
    p.left = last[2] - 75;
    p.top = last[3] - 75;
    p.visible = visible;
    return n;
}

int addDiamond(Document& d, const TextMetrics& m, int16_t x, int16_t y, int16_t w, int16_t h, bool visible) {
    const int i = ++d.diamondCount;
    for (auto* lines : d.diamondLines()) lines->create(i);
    DiamondRecord& r = d.diamondRec[static_cast<size_t>(i)];
    r.width = w;
    r.height = h;
    r.label1 = static_cast<int16_t>(addLabel(d, m, "是否通过?", 0, 0, visible));
    r.label2 = static_cast<int16_t>(addLabel(d, m, "", 0, 0, visible));
    layoutDiamond(d, x, y, w, h, i);
    layoutShapeTexts(d, r.label1, r.label2, x, y, h, w);
    for (auto* lines : d.diamondLines()) lines->setVisible(i, visible);
    return i;
}

}  // namespace

void addEveryKind(Document& d, const TextMetrics& m) {
    const int rect = addShape(d, m, 0, 1000, 1500, true, true);
    addShape(d, m, 2, 225, 225, false, false);  // an ellipse, never moved, then deleted

    // A free label lying in the rectangle, listed as its inner label.
    const ShapeEl& r = *d.Shape1.find(rect);
    const int inner = addLabel(d, m, "备注", r.left + 100, r.top + 50);
    ShapeRecord& rr = d.shapeRec[static_cast<size_t>(rect)];
    rr.innerCount = 1;
    rr.innerLabel[1] = static_cast<int16_t>(inner);
    rr.innerDX[1] = 100;
    rr.innerDY[1] = 50;

    const int vertical = addLabel(d, m, "竖排文字", 9000, 1000);
    setWordWrap(*d.Label.find(vertical), true, 165, m);
    const int emoji = addLabel(d, m, "完成 😀 𠀀", 3000, 6000);
    setFontName(*d.Label.find(emoji), "黑体", m);
    setFontSize(*d.Label.find(emoji), 14, m);
    addLabel(d, m, "已删除", 4000, 6500, false);

    addArrow(d, {{{2000, 2800, 2000, 3400}}, {{2000, 3400, 4000, 3400}}, {{4000, 3400, 4000, 4000}}}, Dir::Down, true);
    addArrow(d, {{{6000, 5000, 7500, 5000}}}, Dir::Right, true);
    addArrow(d, {{{8000, 6000, 8000, 5000}}}, Dir::Up, false);

    const int dia = addDiamond(d, m, 5000, 3000, 2400, 1200, true);
    const int onDiamond = addLabel(d, m, "Y", 5100, 3100);
    DiamondRecord& dr = d.diamondRec[static_cast<size_t>(dia)];
    dr.innerCount = 1;
    dr.innerLabel[1] = static_cast<int16_t>(onDiamond);
    dr.innerDX[1] = 100;
    dr.innerDY[1] = 100;
    addDiamond(d, m, 9000, 3000, 3001, 1501, false);

    // Reserved data from some older file, to be carried along untouched.
    LabelReserveRecord& res = d.labelReserve(3);
    res.a = 1;
    res.b = -2;
    res.c = 300;
    res.bytes = {1, 2, 3, 4, 0xFE, 0xFF, 0, 9};
    res.text = "\xB1\xA3\xC1\xF4";  // stored bytes, never converted

    layoutTitleBlock(d, 10000, 7000);
}

void addEveryReducedKind(Document& d, const TextMetrics& m) {
    d.Shape2.visible = d.Line2.visible = d.Line3.visible = d.Line4.visible = false;
    addShape(d, m, 0, 1000, 1500, true, true);
    addShape(d, m, 2, 4000, 1500, true, false);
    addLabel(d, m, "说明文字", 600, 5000);
    addArrow(d, {{{2000, 2800, 2000, 3400}}, {{2000, 3400, 4000, 3400}}}, Dir::Right, true);
    addArrow(d, {{{5000, 6000, 5000, 7000}}}, Dir::Down, false);
    addDiamond(d, m, 7000, 3000, 2400, 1200, true);
    addDiamond(d, m, 7000, 6000, 2400, 1200, false);
}

}  // namespace qm::test
