#include "app/editor_window.h"

#include <utility>

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/about_dialog.h"
#include "app/canvas_scroll_area.h"
#include "app/canvas_widget.h"
#include "app/clipboard_commands.h"
#include "app/find_bar.h"
#include "app/icons.h"
#include "edit/file_commands.h"
#include "edit/undo.h"
#include "render/twips.h"

namespace qm {
namespace {

// The client area, which asks for the size the program's window has when it opens.
class ClientArea : public QWidget {
public:
    ClientArea(QSize opening, QWidget* parent) : QWidget(parent), opening_(opening) {}
    QSize sizeHint() const override { return opening_; }

private:
    QSize opening_;
};

}  // namespace

EditorWindow::EditorWindow(const WindowDescription& desc, QWidget* parent)
    : QMainWindow(parent), program_(desc.program), title_(QString::fromUtf8(desc.title)), layout_(desc.layout) {
    setObjectName(QStringLiteral("Form1"));

    const QSize opening(pixels(desc.clientWidth), pixels(desc.clientHeight));
    client_ = new ClientArea(opening, this);
    setCentralWidget(client_);

    // The strip ends just above what lies below it.
    const double below = desc.container ? desc.container->top : desc.canvas.top;
    toolbar_ = new QToolBar(client_);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setFixedHeight(pixels(below) - 2);

    // The scrolling area is the container Picture2, in its sunken frame, or else
    // all of the client area below the strip. At the opening size the canvas lies
    // where the description puts it: its margins in the area say so.
    auto* area = new CanvasScrollArea(client_);
    QRect areaRect(0, toolbar_->height(), opening.width(), opening.height() - toolbar_->height());
    int frame = 0;
    if (const auto& c = desc.container) {
        container_ = area;
        area->setObjectName(QStringLiteral("Picture2"));
        frame = 2;
        area->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
        area->setLineWidth(frame);
        areaRect = pixelRect(c->left, c->top, c->width, c->height);
    } else {
        area->setObjectName(QStringLiteral("canvasArea"));
        area->setFrameShape(QFrame::NoFrame);
    }
    const QRect inArea = areaRect.adjusted(frame, frame, -frame, -frame);
    const QPoint canvasAt = (desc.container ? inArea.topLeft() : QPoint()) +
                            QPoint(pixels(desc.canvas.left), pixels(desc.canvas.top)) - inArea.topLeft();
    const QSize canvasSize(pixels(desc.canvas.width), pixels(desc.canvas.height));
    const QMargins canvasMargins(canvasAt.x(), canvasAt.y(), inArea.width() - canvasAt.x() - canvasSize.width(),
                                 inArea.height() - canvasAt.y() - canvasSize.height());

    auto* column = new QVBoxLayout(client_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(toolbar_);
    auto* around = new QVBoxLayout;
    around->setContentsMargins(areaRect.left(), areaRect.top() - toolbar_->height(),
                               opening.width() - areaRect.right() - 1, opening.height() - areaRect.bottom() - 1);
    around->addWidget(area);
    column->addLayout(around, 1);

    view_ = new EditorView(area, canvasMargins, desc.canvas, desc.rules);

    buildFileMenu(this, *view_, desc.file);
    editMenu_ = new QMenu(QString::fromUtf8("编辑(&E)"), this);
    editMenu_->setObjectName(QStringLiteral("edit"));
    fillMenu(editMenu_, *view_, historyItems());
    fillMenu(editMenu_, *view_, clipboardItems(desc.layout));
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
    buildViewMenu();
    buildHelpMenu(desc);
    fillToolbar(toolbar_, *view_, desc.toolbar);

    Editor& ed = view_->editor();
    desc.startUp(ed);
    desc.connectFileCommands(ed);
    startHistory(ed, desc.layout);
    connect(view_, &EditorView::refreshed, this, &EditorWindow::showTitle);
    view_->refresh();
    resize(sizeHint());
    view_->canvas()->setFocus(Qt::OtherFocusReason);  // the keys go to the drawing from the start
    view_->canvas()->installEventFilter(this);  // for its first paint
    afterFirstFrame([this] {
        // The icon is drawn, at every size the window manager may show, when it
        // is set on a window that has been made: the frame does not wait for it.
        setWindowIcon(applicationIcon());
        watchClipboard();
        view_->updateEnabled();
    });
    // Laid out now rather than when first shown, so that every widget is where it
    // will be from the start.
    layout()->activate();
    column->activate();
}

// The view lets go of the widgets it drives while they are still there: left to
// its parent, the scrolling area, it would go after them.
EditorWindow::~EditorWindow() { delete view_; }

FindBar& EditorWindow::findBar() {
    if (!findBar_) {
        findBar_ = new FindBar(*view_, client_);
        static_cast<QVBoxLayout*>(client_->layout())->addWidget(findBar_);
        // F3 and Shift+F3 go through the hits from anywhere in the window while
        // the bar is open.
        for (const auto& [key, by] : {std::pair(QKeySequence(Qt::Key_F3), 1), std::pair(QKeySequence(Qt::SHIFT | Qt::Key_F3), -1)}) {
            auto* step = new QAction(this);
            step->setShortcut(key);
            addAction(step);
            connect(step, &QAction::triggered, findBar_, [this, by = by] {
                if (findBar_->isVisible()) findBar_->step(by);
            });
        }
    }
    return *findBar_;
}

void EditorWindow::buildViewMenu() {
    QMenu* viewMenu = menuBar()->addMenu(QString::fromUtf8("视图(&V)"));
    viewMenu->setObjectName(QStringLiteral("view"));
    // Ctrl+= is Ctrl++ without Shift on most keyboards.
    fillMenu(viewMenu, *view_, {
        {"放大(&I)", "viewZoomIn", QKeySequence(Qt::CTRL | Qt::Key_Equal), [](EditorView& v) { v.zoomBy(1); }, {},
         QKeySequence(Qt::CTRL | Qt::Key_Plus)},
        {"缩小(&O)", "viewZoomOut", QKeySequence(Qt::CTRL | Qt::Key_Minus), [](EditorView& v) { v.zoomBy(-1); }},
        {"实际大小(&A)", "viewActualSize", QKeySequence(Qt::CTRL | Qt::Key_0), [](EditorView& v) { v.setZoom(1); }},
        {"适合窗口(&F)", "viewFitWindow", {}, [](EditorView& v) { v.zoomToFit(); }},
    });
}

void EditorWindow::buildHelpMenu(const WindowDescription& desc) {
    QMenu* help = menuBar()->addMenu(QString::fromUtf8("帮助(&H)"));
    help->setObjectName(QStringLiteral("help"));
    const QString date = QString::fromUtf8(desc.aboutDate);
    fillMenu(help, *view_, {
        {"内容(&C)", "helpReadMe", {}, desc.helpContents},
        {"关于(&A)", "helpAbout", {}, [this, date](EditorView&) { showAboutWindow(this, date); }},
    });
}

void EditorWindow::showTitle() {
    const Document& doc = view_->editor().doc;
    // Qt shows "[*]" as "*" while the window is marked modified, and as nothing otherwise.
    setWindowTitle(QString::fromStdString(doc.displayName()) + QStringLiteral("[*] - ") + title_);
    setWindowModified(doc.isModified());
}

bool EditorWindow::startRecovery() { return view_->startRecovery(program_, layout_); }

void EditorWindow::afterFirstFrame(std::function<void()> job) {
    if (framed_) {
        QTimer::singleShot(0, this, std::move(job));
        return;
    }
    // A window that starts minimised paints nothing for the while.
    if (afterFirstFrame_.empty()) QTimer::singleShot(1000, this, &EditorWindow::firstFrameDone);
    afterFirstFrame_.push_back(std::move(job));
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    // Queued, the jobs run once the frame this paint belongs to is on the screen.
    if (!framed_ && watched == view_->canvas() && event->type() == QEvent::Paint)
        QTimer::singleShot(0, this, &EditorWindow::firstFrameDone);
    return QMainWindow::eventFilter(watched, event);
}

void EditorWindow::firstFrameDone() {
    if (framed_) return;
    framed_ = true;
    view_->canvas()->removeEventFilter(this);
    for (auto& job : std::exchange(afterFirstFrame_, {})) job();
}

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
