#include "app/main_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QToolBar>

#include "app/canvas_widget.h"
#include "model/new_document.h"

namespace qm {
namespace {

int pixels(float twips) { return qRound(twips / kTwipsPerPixel); }

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), ed_(host_, metrics_) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillmap"));

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

    // Picture1's position is given inside Picture2's client area, inside its frame.
    canvas_ = new CanvasWidget(picture2_);
    const CanvasGeometry& g = ed_.canvas;
    const QPoint inner = picture2_->contentsRect().topLeft();
    canvas_->setGeometry(inner.x() + pixels(g.left), inner.y() + pixels(g.top), pixels(g.width), pixels(g.height));

    host_.setWindow(this);
    host_.setCanvas(canvas_);
    buildMenus();
    host_.setEditMenu(editMenu_);
    QObject::connect(&host_.timer(TimerId::Timer1), &QTimer::timeout, this, [this] {
        if (timer1Tick) timer1Tick();
    });
    QObject::connect(&host_.timer(TimerId::Timer2), &QTimer::timeout, this, [this] {
        if (timer2Tick) timer2Tick();
    });

    startUp(ed_);
    canvas_->setDocument(&ed_.doc);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

MainWindow::~MainWindow() {
    // The canvas is a child widget and goes after the editor; it must not paint
    // a document that no longer exists.
    canvas_->setDocument(nullptr);
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(text("文件(&F)"));
    file->setObjectName(QStringLiteral("menuFile"));
    QAction* fileNew = file->addAction(text("新建"), QKeySequence(Qt::CTRL | Qt::Key_N));
    fileNew->setObjectName(QStringLiteral("fileNew"));
    connect(fileNew, &QAction::triggered, this, [this] {
        newDocument(ed_);
        refresh();
    });
    file->addSeparator();
    QAction* fileExit = file->addAction(text("退出"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    fileExit->setObjectName(QStringLiteral("fileExit"));
    connect(fileExit, &QAction::triggered, this, &QWidget::close);

    // The Edit menu is also the canvas's context menu (Host::popupEditMenu).
    editMenu_ = menuBar()->addMenu(text("编辑(&E)"));
    editMenu_->setObjectName(QStringLiteral("edit"));

    QMenu* help = menuBar()->addMenu(text("帮助(&H)"));
    help->setObjectName(QStringLiteral("help"));
    QAction* helpReadMe = help->addAction(text("内容(&C)"));
    helpReadMe->setObjectName(QStringLiteral("helpReadMe"));
    connect(helpReadMe, &QAction::triggered, this, [this] {
        if (!host_.startHelpViewer("ReadMe.txt"))
            host_.message("提示", "无法启动文本查看器，请直接打开 ReadMe.txt 阅读帮助。", Icon::Information);
    });
}

void MainWindow::refresh() { canvas_->update(); }

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeRequest && !closeRequest()) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace qm
