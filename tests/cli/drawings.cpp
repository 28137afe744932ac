#include "drawings.h"

#include "edit/insert.h"
#include "edit/qmp_commands.h"
#include "edit/quillmap_commands.h"
#include "interact/label_editing.h"
#include "interact/pointer_routing.h"
#include "interact/qmp_rules.h"
#include "interact/rules.h"
#include "interact/selection.h"

namespace qm::test {
namespace {

Editor makeEditor(Layout layout, Host& host, const TextMetrics& metrics) {
    if (layout == Layout::Qmp) return Editor(host, metrics, reduced::canvasGeometry(), &reduced::kRules);
    return Editor(host, metrics);
}

}  // namespace

DrawingEditor::DrawingEditor(Layout layout) : ed(makeEditor(layout, host, metrics)), doc(ed.doc) {
    if (layout == Layout::Qmp) reduced::startUp(ed);
    else startUp(ed);
}

void DrawingEditor::move(float x, float y) {
    host.cursor = host.canvasToScreen({static_cast<int32_t>(x / 15), static_cast<int32_t>(y / 15)});
    pointerMove(ed, 0, 0, x, y);
}

void DrawingEditor::click(float x, float y, int button) {
    move(x, y);
    pointerDown(ed, button, 0, x, y);
    pointerUp(ed, button, 0, x, y);
}

void DrawingEditor::place(float x, float y) {
    move(x, y);
    rulesOf(ed).timer1Tick(ed);
    click(x, y);
}

void DrawingEditor::type(int label, const std::string& text) {
    const LabelEl& l = *doc.Label.find(label);
    const float x = l.left + l.width / 2, y = l.top + l.height / 2;
    click(x, y);
    click(x, y);
    EditBox& box = ed.text1.visible ? ed.text1 : ed.text2;
    box.text = text;
    commitOpenEditors(ed);
    click(14000, 8000);  // nothing there: the selection ends
}

void DrawingEditor::polyline(std::initializer_list<PointF> points) {
    insertPolylineArrow(ed);
    for (const PointF* p = points.begin(); p != points.end(); ++p) {
        if (p != points.begin()) move(p->x, p->y);
        click(p->x, p->y, p + 1 == points.end() ? 2 : 1);
    }
}

void drawEveryKind(DrawingEditor& d) {
    insertShape(d.ed, ShapeStyle::Rectangle);
    d.place(1000, 1000);
    d.type(d.doc.shapeRec[1].label1, "开始");
    d.type(d.doc.shapeRec[1].label2, "Step 1");
    insertShape(d.ed, ShapeStyle::Oval);
    d.place(4500, 1000);
    d.type(d.doc.shapeRec[2].label1, "结束");
    insertShape(d.ed, ShapeStyle::Rectangle);
    d.place(8000, 1000);
    deleteCommand(d.ed);

    insertDiamond(d.ed);
    d.place(1000, 3500);
    d.type(d.doc.diamondRec[1].label1, "是否通过?");

    insertLabel(d.ed, false);
    d.place(5000, 4000);
    d.type(d.doc.labelCount, "说明: a \"quoted\" note");
    insertLabel(d.ed, true);
    d.place(11000, 1500);
    d.type(d.doc.labelCount, "竖排文字");

    insertStraightArrow(d.ed, Dir::Down);
    d.click(2000, 2300);
    d.polyline({{3500, 4100}, {6000, 4100}, {6000, 6000}});
    clearSelection(d.ed);
}

void drawEveryReducedKind(DrawingEditor& d) {
    insertShape(d.ed, ShapeStyle::Rectangle);
    d.place(1000, 1000);
    insertShape(d.ed, ShapeStyle::Oval);
    d.place(4500, 1000);
    insertShape(d.ed, ShapeStyle::Rectangle);
    d.place(8000, 1000);
    deleteCommand(d.ed);
    insertDiamond(d.ed);
    d.place(1000, 4000);
    insertLabel(d.ed, false);
    d.place(6000, 6500);
    d.polyline({{3000, 3000}, {5000, 5000}});
    clearSelection(d.ed);
    d.type(d.doc.shapeRec[1].label1, "开始");
    d.type(d.doc.shapeRec[2].label1, "结束");
    d.type(d.doc.labelCount, "说明文字");
}

}  // namespace qm::test
