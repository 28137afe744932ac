#include "reduced/qmp_window.h"

#include "app/editor_boxes.h"
#include "edit/insert.h"
#include "edit/qmp_commands.h"
#include "interact/deleting.h"
#include "interact/qmp_rules.h"
#include "interact/selection.h"

namespace qm::reduced {
namespace {

// Del is a window shortcut here, but while a label's text is being edited it
// belongs to the box: the line edit claims the key before shortcuts are looked up,
// and should the item be reached anyway it edits the box too, so the label under
// the box is never hidden.
void deleteItem(EditorView& view) {
    LineBox* box = view.text1();
    if (view.editor().text1.visible || box->isVisible()) {
        box->del();
        return;
    }
    view.perform(deleteCommand);
}

WindowDescription qmpWindow() {
    return {
        .title = "Quillmap [Beta]",
        .program = "qmp",
        .clientWidth = 14610,
        .clientHeight = 9690,
        .container = std::nullopt,  // Picture1 sits on the client area itself
        .canvas = canvasGeometry(),
        .rules = &kRules,
        .layout = Layout::Qmp,
        .startUp = reduced::startUp,
        .connectFileCommands = reduced::connectFileCommands,
        .file = {reduced::newDocument, reduced::fileOpen, reduced::fileSave, reduced::fileSaveAs},
        .edit = {
            {"插入矩形(&R)", "insJX", {}, core(insertRectangle)},
            {"插入椭圆(&O)", "insTY", {}, core(insertEllipse)},
            {"插入菱形(&D)", "insLX", {}, core(insertDiamond)},
            {"插入标签(&L)", "insLabel", {}, core(insertHorizontalLabel)},
            {"插入箭头(&A)", "insJT", {}, core(insertPolylineArrow)},
            {nullptr, "noname"},
            {"删除(&E)", "editDelete", QKeySequence(Qt::Key_Delete), deleteItem, {}, {}, coreAllows(canDeleteSelection)},
        },
        .helpContents = {},  // qmp ships no help text: the item does nothing
        .aboutDate = "2010-6-18",
        // Toolbar order: rectangle, diamond, ellipse (the menu has ellipse second).
        .toolbar = {
            {"矩形", ToolIcon::Rectangle, core(insertRectangle)},
            {"菱形", ToolIcon::Diamond, core(insertDiamond)},
            {"椭圆", ToolIcon::Ellipse, core(insertEllipse)},
            {"箭头", ToolIcon::Arrow, core(insertPolylineArrow)},
            {"标签", ToolIcon::Label, core(insertHorizontalLabel)},
            {},
            {"新建", ToolIcon::New, core(reduced::newDocument)},
            {"打开", ToolIcon::Open, core(reduced::fileOpen)},
            {"保存", ToolIcon::Save, core(reduced::fileSave)},
        },
    };
}

}  // namespace

QmpWindow::QmpWindow(QWidget* parent) : EditorWindow(qmpWindow(), parent) {}

}  // namespace qm::reduced
