#include "app/main_window.h"

#include "app/batch_export.h"
#include <functional>

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include "app/canvas_widget.h"
#include "app/compare_window.h"
#include "app/export_command.h"
#include "app/find_bar.h"
#include "app/help_contents.h"
#include "app/print_commands.h"
#include "app/zoom_field.h"
#include "edit/file_commands.h"
#include "edit/insert.h"
#include "edit/quillmap_commands.h"
#include "interact/arrange.h"
#include "interact/deleting.h"
#include "interact/rules.h"
#include "interact/selection.h"

namespace qm {
namespace {

// A command of the shell that works on the editor and its canvas.
template <class Result>
Action onCanvas(Result (*command)(Editor&, CanvasWidget&)) {
    return [command](EditorView& v) { v.perform([&v, command](Editor& ed) { command(ed, *v.canvas()); }); };
}

void openFindBar(EditorView& v, bool replacing) {
    if (auto* window = dynamic_cast<EditorWindow*>(v.canvas()->window())) window->findBar().open(replacing);
}

std::vector<MenuItem> alignItems() {
    const Enabled two = [](EditorView& v) { return canAlign(v.editor().doc); };
    const Enabled three = [](EditorView& v) { return canDistribute(v.editor().doc); };
    const auto align = [two](const char* caption, const char* name, Alignment how) {
        return MenuItem{caption, name, {}, core([how](Editor& ed) { alignSelection(ed, how); }), {}, {}, two};
    };
    const auto spread = [three](const char* caption, const char* name, bool across) {
        return MenuItem{caption, name, {}, core([across](Editor& ed) { distributeSelection(ed, across); }), {}, {}, three};
    };
    return {
        align("左对齐(&L)", "alignLeft", Alignment::Left),
        align("水平居中(&C)", "alignCentre", Alignment::Centre),
        align("右对齐(&R)", "alignRight", Alignment::Right),
        align("顶端对齐(&T)", "alignTop", Alignment::Top),
        align("垂直居中(&M)", "alignMiddle", Alignment::Middle),
        align("底端对齐(&B)", "alignBottom", Alignment::Bottom),
        {nullptr, "alignSeparator"},
        spread("横向均匀分布(&H)", "distributeAcross", true),
        spread("纵向均匀分布(&V)", "distributeDown", false),
    };
}

WindowDescription quillmapWindow() {
    return {
        .title = "Quillmap",
        .program = "quillmap",
        .clientWidth = 14760,
        .clientHeight = 10320,
        .container = TwipsRect{75, 450, 14565, 9765},
        .canvas = CanvasGeometry{},
        .rules = &kQuillmapRules,
        .startUp = startUp,
        .connectFileCommands = connectFileCommands,
        .file = {fileNew, fileOpen, fileSave, fileSaveAs, {
            {"打印(&P)...", "filePrint", QKeySequence(Qt::CTRL | Qt::Key_P), onCanvas(printCommand)},
            {"打印预览(&V)...", "filePrintPreview", {}, onCanvas(printPreviewCommand)},
            {"导出(&X)...", "fileExport", {}, onCanvas(exportCommand)},
            {"批量导出(&T)...", "fileBatchExport", {}, [](EditorView& v) { batchExportCommand(v.canvas()->window()); }},
            {"比较(&M)...", "fileCompare", {}, compareCommand},
            {nullptr, "fileSeparator"},
        }},
        .edit = {
            {"插入矩形(&R)", "insJX", {}, core(insertRectangle)},
            {"插入椭圆(&O)", "insTY", {}, core(insertEllipse)},
            {"插入菱形(&D)", "insLX", {}, core(insertDiamond)},
            {"插入标签(&L)", "insLabel", {}, core(insertHorizontalLabel)},
            {"插入竖向标签(&H)", "instHLabel", {}, core(insertVerticalLabel)},
            {"插入箭头(&A)", "insJT", {}, {}, {
                {"上箭头(&U)", "instUpJT", {}, core(insertUpArrow)},
                {"下箭头(&D)", "instDownJT", {}, core(insertDownArrow)},
                {"左箭头(&L)", "instLeftJT", {}, core(insertLeftArrow)},
                {"右箭头(&R)", "instRightJT", {}, core(insertRightArrow)},
                {"折线箭头(&P)", "instJT", {}, core(insertPolylineArrow)},
            }},
            {nullptr, "noname"},
            {"查找(&F)...", "editFind", QKeySequence(Qt::CTRL | Qt::Key_F), [](EditorView& v) { openFindBar(v, false); }},
            {"替换(&W)...", "editReplace", QKeySequence(Qt::CTRL | Qt::Key_H), [](EditorView& v) { openFindBar(v, true); }},
            {"对齐(&J)", "editAlign", {}, {}, alignItems()},
            // "Del" is shown as the item's key but works only in the open menu: the
            // Delete key belongs to the canvas, and a window shortcut would also take
            // it from the editor boxes.
            {"删除(&E)        Del", "editDelete", {}, core(deleteCommand), {}, {}, coreAllows(canDeleteSelection)},
        },
        .helpContents = [](EditorView& v) { showHelpContents(v.host(), v.canvas()->window()); },
        .aboutDate = "2010-6-20",
        // Toolbar order: rectangle, diamond, ellipse (the menu has ellipse second).
        .toolbar = {
            {"矩形", ToolIcon::Rectangle, core(insertRectangle)},
            {"菱形", ToolIcon::Diamond, core(insertDiamond)},
            {"椭圆", ToolIcon::Ellipse, core(insertEllipse)},
            {"左箭头", ToolIcon::LeftArrow, core(insertLeftArrow)},
            {"右箭头", ToolIcon::RightArrow, core(insertRightArrow)},
            {"上箭头", ToolIcon::UpArrow, core(insertUpArrow)},
            {"下箭头", ToolIcon::DownArrow, core(insertDownArrow)},
            {"折线箭头", ToolIcon::PolylineArrow, core(insertPolylineArrow)},
            {"标签", ToolIcon::Label, core(insertHorizontalLabel)},
            {"竖向标签", ToolIcon::VerticalLabel, core(insertVerticalLabel)},
            {},
            {"新建", ToolIcon::New, core(fileNew)},
            {"打开", ToolIcon::Open, core(fileOpen)},
            {"保存", ToolIcon::Save, core(fileSave)},
        },
    };
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : EditorWindow(quillmapWindow(), parent) {
    // The zoom in use, shown and typed where a desktop program shows it.
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setFixedHeight(kStatusBarHeight);
    bar->addPermanentWidget(new QLabel(QString::fromUtf8("缩放:"), bar));
    bar->addPermanentWidget(createZoomField(view(), bar));
    addSnappingItems();
    // The bar comes below the client area, which keeps its opening size.
    resize(sizeHint());
    layout()->activate();
}

void MainWindow::addSnappingItems() {
    QMenu* menu = findChild<QMenu*>(QStringLiteral("view"));
    if (!menu) return;
    menu->addSeparator()->setObjectName(QStringLiteral("viewSeparator"));
    struct Switch {
        const char* caption;
        const char* name;  // the action's, and its setting's
        bool byDefault;
        std::function<void(bool)> apply;
    };
    // The grid is off at first, so that drawings laid out to the pixel stay so;
    // guides only ever move what is being dragged.
    const Switch switches[] = {
        {"显示网格(&G)", "viewShowGrid", false, [this](bool on) { view().showGrid(on); }},
        {"对齐网格(&S)", "viewSnapToGrid", false, [this](bool on) { editor().snapToGrid = on; }},
        {"参考线(&L)", "viewGuides", true, [this](bool on) { editor().alignmentGuides = on; }},
    };
    const QSettings settings(QStringLiteral("Quillmap"), QStringLiteral("Quillmap"));
    for (const Switch& s : switches) {
        const QString key = QStringLiteral("view/") + QString::fromLatin1(s.name);
        const bool on = settings.value(key, s.byDefault).toBool();
        QAction* action = menu->addAction(QString::fromUtf8(s.caption));
        action->setObjectName(QString::fromLatin1(s.name));
        action->setCheckable(true);
        action->setChecked(on);
        s.apply(on);
        connect(action, &QAction::toggled, this, [key, apply = s.apply](bool checked) {
            QSettings(QStringLiteral("Quillmap"), QStringLiteral("Quillmap")).setValue(key, checked);
            apply(checked);
        });
    }
}

bool MainWindow::openFile(const std::string& path) {
    bool opened = false;
    view().perform([&](Editor& ed) { opened = openDocumentPath(ed, Layout::Quillmap, clearDocument, path); });
    return opened;
}

}  // namespace qm
