#include "app/file_menu.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "app/bmp_export.h"
#include "app/editor_view.h"

namespace qm {
namespace {

QAction* addItem(QMenu* menu, const char* caption, const char* name, QKeySequence shortcut = {}) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromUtf8(name));
    a->setShortcut(shortcut);
    return a;
}

}  // namespace

QMenu* buildFileMenu(QMainWindow* window, EditorView& view, const FileMenuCommands& commands) {
    QMenu* file = window->menuBar()->addMenu(QString::fromUtf8("文件(&F)"));
    file->setObjectName(QStringLiteral("menuFile"));
    view.bind(addItem(file, "新建", "fileNew", QKeySequence(Qt::CTRL | Qt::Key_N)), commands.fileNew);
    view.bind(addItem(file, "打开", "fileOpen", QKeySequence(Qt::CTRL | Qt::Key_O)), commands.fileOpen);
    view.bind(addItem(file, "保存", "fileSave", QKeySequence(Qt::CTRL | Qt::Key_S)), commands.fileSave);
    view.bind(addItem(file, "另存为(&E)", "fileSaveAs"), commands.fileSaveAs);
    view.bind(addItem(file, "保存为BMP图像", "fileSaveAsBMP", QKeySequence(Qt::CTRL | Qt::Key_B)),
              [&view](Editor& ed) { saveCanvasAsBmp(ed, *view.canvas()); });
    QAction* exit = addItem(file, "退出", "fileExit", QKeySequence(Qt::CTRL | Qt::Key_Q));
    QObject::connect(exit, &QAction::triggered, window, &QWidget::close);
    return file;
}

}  // namespace qm
