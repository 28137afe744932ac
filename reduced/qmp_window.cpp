#include "reduced/qmp_window.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "app/about_dialog.h"
#include "app/bmp_export.h"
#include "app/canvas_widget.h"
#include "app/edit_menu.h"
#include "app/file_menu.h"
#include "app/editor_boxes.h"
#include "app/icons.h"
#include "app/tool_bar.h"
#include "edit/file_commands.h"
#include "edit/insert.h"
#include "edit/qmp_commands.h"
#include "interact/qmp_rules.h"

namespace qm::reduced {
namespace {

int pixels(float twips) { return qRound(twips / kTwipsPerPixel); }

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

// The File commands as the menu and the toolbar run them; what they report is
// for tests, the user sees the outcome on the canvas or in a message.
void newCommand(Editor& ed) { reduced::newDocument(ed); }
void openCommand(Editor& ed) { reduced::fileOpen(ed); }
void saveCommand(Editor& ed) { reduced::fileSave(ed); }
void saveAsCommand(Editor& ed) { reduced::fileSaveAs(ed); }
void insertRectangle(Editor& ed) { insertShape(ed, ShapeStyle::Rectangle); }
void insertEllipse(Editor& ed) { insertShape(ed, ShapeStyle::Oval); }
void insertHorizontalLabel(Editor& ed) { insertLabel(ed, false); }

}  // namespace

QmpWindow::QmpWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillmap [Beta]"));
    setWindowIcon(applicationIcon());

    // A fixed client area below the menu bar; nothing in it moves or resizes.
    client_ = new QWidget(this);
    client_->setFixedSize(pixels(kClientWidth), pixels(kClientHeight));
    setCentralWidget(client_);

    const CanvasGeometry geometry = canvasGeometry();
    toolbar_ = new QToolBar(client_);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setGeometry(0, 0, client_->width(), pixels(geometry.top) - 2);

    // Picture1 sits on the client area itself: qmp has no Picture2 around it.
    view_ = new EditorView(client_, geometry, &kRules);
    // qmp has no pointer snapping, so nothing listens to Timer2.
    host().timer(TimerId::Timer2).stop();

    buildFileMenu();
    buildEditMenu();
    buildHelpMenu();
    buildToolbar();

    Editor& ed = view_->editor();
    reduced::startUp(ed);
    reduced::connectFileCommands(ed);
    view_->refresh();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void QmpWindow::buildFileMenu() {
    qm::buildFileMenu(this, *view_, {newCommand, openCommand, saveCommand, saveAsCommand});
}

void QmpWindow::buildEditMenu() {
    EditorView& v = *view_;
    editMenu_ = new QMenu(text("编辑(&E)"), this);
    editMenu_->setObjectName(QStringLiteral("edit"));
    addCommand(editMenu_, "插入矩形(&R)", "insJX", v, insertRectangle);
    addCommand(editMenu_, "插入椭圆(&O)", "insTY", v, insertEllipse);
    addCommand(editMenu_, "插入菱形(&D)", "insLX", v, insertDiamond);
    addCommand(editMenu_, "插入标签(&L)", "insLabel", v, insertHorizontalLabel);
    addCommand(editMenu_, "插入箭头(&A)", "insJT", v, insertPolylineArrow);
    editMenu_->addSeparator()->setObjectName(QStringLiteral("noname"));
    QAction* del = addMenuItem(editMenu_, "删除", "editDelete", QKeySequence(Qt::Key_Delete));
    connect(del, &QAction::triggered, this, &QmpWindow::deleteItem);
    menuBar()->addMenu(editMenu_);
    v.setEditMenu(editMenu_);
}

void QmpWindow::deleteItem() {
    // Del is a window shortcut here, but while a label's text is being edited it
    // belongs to the box: the line edit claims the key before shortcuts are looked
    // up, and should the item be reached anyway it edits the box too, so the label
    // under the box is never hidden.
    LineBox* box = view_->text1();
    if (editor().text1.visible || box->isVisible()) {
        box->del();
        return;
    }
    view_->perform(deleteCommand);
}

void QmpWindow::buildHelpMenu() {
    QMenu* help = menuBar()->addMenu(text("帮助(&H)"));
    help->setObjectName(QStringLiteral("help"));
    addMenuItem(help, "内容(&C)", "helpReadMe");  // qmp ships no help text: the item does nothing
    QAction* about = addMenuItem(help, "关于", "helpAbout");
    connect(about, &QAction::triggered, this, [this] { showAboutWindow(this, QString::fromLatin1(kAboutDate)); });
}

void QmpWindow::buildToolbar() {
    EditorView& v = *view_;
    auto run = [&v](void (*command)(Editor&)) {
        return [&v, command] { v.perform(command); };
    };
    // Toolbar order: rectangle, diamond, ellipse (the menu has ellipse second).
    fillToolbar(toolbar_, {
        {text("矩形"), toolbarIcon(ToolIcon::Rectangle), run(insertRectangle)},
        {text("菱形"), toolbarIcon(ToolIcon::Diamond), run(insertDiamond)},
        {text("椭圆"), toolbarIcon(ToolIcon::Ellipse), run(insertEllipse)},
        {text("箭头"), toolbarIcon(ToolIcon::Arrow), run(insertPolylineArrow)},
        {text("标签"), toolbarIcon(ToolIcon::Label), run(insertHorizontalLabel)},
        {QString(), {}, {}},
        {text("新建"), toolbarIcon(ToolIcon::New), run(newCommand)},
        {text("打开"), toolbarIcon(ToolIcon::Open), run(openCommand)},
        {text("保存"), toolbarIcon(ToolIcon::Save), run(saveCommand)},
    });
}

void QmpWindow::closeEvent(QCloseEvent* event) {
    const bool mayClose = qm::closeRequest(view_->editor());
    view_->refresh();
    if (mayClose)
        event->accept();
    else
        event->ignore();
}

}  // namespace qm::reduced
