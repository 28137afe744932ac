#include "app/main_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "app/about_dialog.h"
#include "app/bmp_export.h"
#include "app/canvas_widget.h"
#include "app/edit_menu.h"
#include "app/file_menu.h"
#include "app/help_contents.h"
#include "app/icons.h"
#include "app/tool_bar.h"
#include "edit/file_commands.h"
#include "edit/insert.h"
#include "model/new_document.h"

namespace qm {
namespace {

int pixels(float twips) { return qRound(twips / kTwipsPerPixel); }

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

// The File commands as the menu and the toolbar run them. Whether one completed
// is of no use here: the user sees the outcome on the canvas or in a message.
void newCommand(Editor& ed) { fileNew(ed); }
void openCommand(Editor& ed) { fileOpen(ed); }
void saveCommand(Editor& ed) { fileSave(ed); }
void saveAsCommand(Editor& ed) { fileSaveAs(ed); }

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillmap"));
    setWindowIcon(applicationIcon());

    // The client area has a fixed size and nothing in it moves; the window is as
    // large as its menu bar and client area.
    client_ = new QWidget(this);
    client_->setFixedSize(pixels(kClientWidth), pixels(kClientHeight));
    setCentralWidget(client_);

    toolbar_ = new QToolBar(client_);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setGeometry(0, 0, client_->width(), pixels(kPicture2Top) - 2);

    picture2_ = new QFrame(client_);
    picture2_->setObjectName(QStringLiteral("Picture2"));
    picture2_->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picture2_->setLineWidth(2);
    picture2_->setGeometry(pixels(kPicture2Left), pixels(kPicture2Top), pixels(kPicture2Width),
                           pixels(kPicture2Height));

    // Picture1 lies inside Picture2's frame, at the canvas geometry's position.
    view_ = new EditorView(picture2_);

    buildFileMenu();
    editMenu_ = buildEditMenu(this, *view_);
    menuBar()->addMenu(editMenu_);
    buildHelpMenu();
    buildToolbar();

    Editor& ed = view_->editor();
    startUp(ed);
    connectFileCommands(ed);
    view_->refresh();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void MainWindow::buildFileMenu() {
    qm::buildFileMenu(this, *view_, {newCommand, openCommand, saveCommand, saveAsCommand});
}

void MainWindow::buildHelpMenu() {
    QMenu* help = menuBar()->addMenu(text("帮助(&H)"));
    help->setObjectName(QStringLiteral("help"));
    connect(addMenuItem(help, "内容(&C)", "helpReadMe"), &QAction::triggered, this,
            [this] { showHelpContents(host(), this); });
    connect(addMenuItem(help, "关于", "helpAbout"), &QAction::triggered, this,
            [this] { showAboutWindow(this, QString::fromUtf8(kAboutDate)); });
}

void MainWindow::buildToolbar() {
    EditorView& v = *view_;
    auto run = [&v](std::function<void(Editor&)> command) {
        return [&v, command = std::move(command)] { v.perform(command); };
    };
    // Toolbar order: rectangle, diamond, ellipse (the menu has ellipse second).
    fillToolbar(toolbar_, {
        {text("矩形"), toolbarIcon(ToolIcon::Rectangle), run([](Editor& ed) { insertShape(ed, ShapeStyle::Rectangle); })},
        {text("菱形"), toolbarIcon(ToolIcon::Diamond), run(insertDiamond)},
        {text("椭圆"), toolbarIcon(ToolIcon::Ellipse), run([](Editor& ed) { insertShape(ed, ShapeStyle::Oval); })},
        {text("左箭头"), toolbarIcon(ToolIcon::LeftArrow), run([](Editor& ed) { insertStraightArrow(ed, Dir::Left); })},
        {text("右箭头"), toolbarIcon(ToolIcon::RightArrow), run([](Editor& ed) { insertStraightArrow(ed, Dir::Right); })},
        {text("上箭头"), toolbarIcon(ToolIcon::UpArrow), run([](Editor& ed) { insertStraightArrow(ed, Dir::Up); })},
        {text("下箭头"), toolbarIcon(ToolIcon::DownArrow), run([](Editor& ed) { insertStraightArrow(ed, Dir::Down); })},
        {text("折线箭头"), toolbarIcon(ToolIcon::PolylineArrow), run(insertPolylineArrow)},
        {text("标签"), toolbarIcon(ToolIcon::Label), run([](Editor& ed) { insertLabel(ed, false); })},
        {text("竖向标签"), toolbarIcon(ToolIcon::VerticalLabel), run([](Editor& ed) { insertLabel(ed, true); })},
        {QString(), QIcon(), {}},
        {text("新建"), toolbarIcon(ToolIcon::New), run(newCommand)},
        {text("打开"), toolbarIcon(ToolIcon::Open), run(openCommand)},
        {text("保存"), toolbarIcon(ToolIcon::Save), run(saveCommand)},
    });
}

bool MainWindow::openFile(const std::string& path) {
    bool opened = false;
    view_->perform([&](Editor& ed) { opened = openDocumentPath(ed, Layout::Quillmap, clearDocument, path); });
    return opened;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    const bool mayClose = closeRequest(view_->editor());
    view_->refresh();
    if (mayClose)
        event->accept();
    else
        event->ignore();
}

}  // namespace qm
