#include "large_document.h"

#include "edit/insert.h"
#include "interact/pointer.h"
#include "model/labels.h"
#include "model/relayout.h"
#include "model/sel_kind.h"

namespace qm::bench {

void fillToTheLimits(Editor& ed) {
    Document& doc = ed.doc;
    for (int i = 0; i < 255; ++i) {
        insertShape(ed, i % 2 ? ShapeStyle::Oval : ShapeStyle::Rectangle);
        const float x = 60.0f * static_cast<float>(i % 200), y = 4000.0f + 30.0f * static_cast<float>(i / 5);
        canvasMove(ed, 0, 0, x, y);
        canvasPress(ed, 1, 0, x, y);
        insertDiamond(ed);
        canvasMove(ed, 0, 0, x + 500, y + 1500);
        canvasPress(ed, 1, 0, x + 500, y + 1500);
    }
    // 255 arrows of 128 or 129 segments each, the last one the release adds:
    // 32767 in all, each in a slot of its own.
    int seg = 0;
    for (int a = 1; a <= 255; ++a) {
        const int n = a <= 127 ? 128 : 127;
        insertPolylineArrow(ed);
        ArrowRecord& r = doc.arrowRec[a];
        const float y0 = 100.0f + 12.0f * static_cast<float>(a);
        for (int k = 1; k <= n; ++k) {
            const int s = ++seg;
            doc.Line1.create(s);
            LineEl& l = *doc.Line1.find(s);
            l.x1 = 100.0f * static_cast<float>(k);
            l.x2 = l.x1 + 100;
            l.y1 = l.y2 = y0 + static_cast<float>(k % 2) * 20;
            l.visible = true;
            r.slot[k] = static_cast<int16_t>(s);
        }
        r.count() = static_cast<int16_t>(n);
        doc.segCount = static_cast<int16_t>(seg);
        canvasRelease(ed, 2, 0, 0, 0);  // finishes it with its head
        seg = doc.segCount;
    }
    while (doc.labelCount < kMaxIndex) {
        const int i = ++doc.labelCount;
        doc.Label.create(i);
        LabelEl& l = *doc.Label.find(i);
        l.left = static_cast<float>((i * 37) % 14000);
        l.top = static_cast<float>((i * 53) % 9400);
        l.visible = true;
    }
    canvasPress(ed, 1, 0, 14000, 9500);  // nothing selected
}

std::vector<ElementRef> drawChart(Editor& ed, int n) {
    Document& doc = ed.doc;
    std::vector<ElementRef> all;
    for (int k = 0; k < n; ++k) {
        const float x = 100.0f + 2000.0f * static_cast<float>(k % 7), y = 100.0f + 620.0f * static_cast<float>(k / 7);
        insertRectangle(ed);
        const int i = doc.shapeCount;
        ShapeEl& s = *doc.Shape1.find(i);
        s.width = 800;
        s.height = 480;
        moveShapeTo(doc, i, x, y);
        doc.Shape1.setVisible(i, true);
        setCaption(*doc.Label.find(doc.shapeRec[i].label1), "步骤" + std::to_string(k + 1), ed.metrics);
        layoutOwnShapeTexts(doc, i);
        insertRightArrow(ed);
        canvasMove(ed, 0, 0, x + 800, y + 240);
        canvasPress(ed, 1, 0, x + 800, y + 240);
        all.push_back({ElementKind::Shape, i});
        all.push_back({ElementKind::Arrow, doc.arrowCount});
    }
    canvasPress(ed, 1, 0, 14000, 9500);  // nothing selected
    return all;
}

void changeEveryElement(Editor& ed) {
    Document& doc = ed.doc;
    for (int i = 1; i <= doc.shapeCount; ++i) {
        const ShapeEl& s = *doc.Shape1.find(i);
        moveShapeTo(doc, i, s.left + 15, s.top + 15);
        layoutOwnShapeTexts(doc, i);
    }
    for (int i = 1; i <= doc.diamondCount; ++i) {
        const DiamondRecord& r = doc.diamondRec[i];
        layoutDiamondAt(doc, i, r.x + 15, r.y + 15);
        layoutOwnDiamondTexts(doc, i);
    }
    for (int a = 1; a <= doc.arrowCount; ++a) doc.Line1.find(doc.arrowRec[a].slot[1])->x1 += 15;
    for (int i = 1; i <= doc.labelCount; ++i) {
        LabelEl& l = *doc.Label.find(i);
        setCaption(l, l.caption + "改", ed.metrics);
    }
}

}  // namespace qm::bench
