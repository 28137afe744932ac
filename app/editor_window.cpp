#include "app/editor_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "app/about_dialog.h"
#include "app/icons.h"
#include "edit/file_commands.h"
#include "edit/undo.h"
#include "render/twips.h"

namespace qm {

EditorWindow::EditorWindow(const WindowDescription& desc, QWidget* parent)
    : QMainWindow(parent), program_(desc.program), title_(QString::fromUtf8(desc.title)), layout_(desc.layout) {
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(applicationIcon());

    // The client area has a fixed size and nothing in it moves; the window is as
    // large as its menu bar and client area.
    client_ = new QWidget(this);
    client_->setFixedSize(pixels(desc.clientWidth), pixels(desc.clientHeight));
    setCentralWidget(client_);

    // The strip ends just above what lies below it.
    const double below = desc.container ? desc.container->top : desc.canvas.top;
    toolbar_ = new QToolBar(client_);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setGeometry(0, 0, client_->width(), pixels(below) - 2);

    QWidget* canvasParent = client_;
    if (const auto& c = desc.container) {
        container_ = new QFrame(client_);
        container_->setObjectName(QStringLiteral("Picture2"));
        container_->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
        container_->setLineWidth(2);
        container_->setGeometry(pixelRect(c->left, c->top, c->width, c->height));
        canvasParent = container_;  // Picture1 lies inside its frame
    }
    view_ = new EditorView(canvasParent, desc.canvas, desc.rules);

    buildFileMenu(this, *view_, desc.file);
    editMenu_ = new QMenu(QString::fromUtf8("编辑(&E)"), this);
    editMenu_->setObjectName(QStringLiteral("edit"));
    fillMenu(editMenu_, *view_, historyItems());
    fillMenu(editMenu_, *view_, desc.edit);
    view_->setEditMenu(editMenu_);
    // Esc backs out of whatever is under way; a box, menu or dialog of its own
    // that is open takes the key first.
    auto* escapeKey = new QAction(this);
    escapeKey->setObjectName(QStringLiteral("escape"));
    escapeKey->setShortcut(Qt::Key_Escape);
    addAction(escapeKey);
    connect(escapeKey, &QAction::triggered, view_, [this] { view_->perform(escape); });
    menuBar()->addMenu(editMenu_);
    buildHelpMenu(desc);
    fillToolbar(toolbar_, *view_, desc.toolbar);

    Editor& ed = view_->editor();
    desc.startUp(ed);
    desc.connectFileCommands(ed);
    startHistory(ed, desc.layout);
    connect(view_, &EditorView::refreshed, this, &EditorWindow::showTitle);
    view_->refresh();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void EditorWindow::buildHelpMenu(const WindowDescription& desc) {
    QMenu* help = menuBar()->addMenu(QString::fromUtf8("帮助(&H)"));
    help->setObjectName(QStringLiteral("help"));
    const QString date = QString::fromUtf8(desc.aboutDate);
    fillMenu(help, *view_, {
        {"内容(&C)", "helpReadMe", {}, desc.helpContents},
        {"关于", "helpAbout", {}, [this, date](EditorView&) { showAboutWindow(this, date); }},
    });
}

void EditorWindow::showTitle() {
    const Document& doc = view_->editor().doc;
    // Qt shows "[*]" as "*" while the window is marked modified, and as nothing otherwise.
    setWindowTitle(QString::fromStdString(doc.displayName()) + QStringLiteral("[*] - ") + title_);
    setWindowModified(doc.isModified());
}

bool EditorWindow::startRecovery() { return view_->startRecovery(program_, layout_); }

void EditorWindow::closeEvent(QCloseEvent* event) {
    const bool mayClose = closeRequest(view_->editor());
    view_->refresh();
    if (mayClose) {
        view_->endRecovery();  // saved, or the user chose to lose the changes
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace qm
