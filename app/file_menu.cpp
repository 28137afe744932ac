#include "app/file_menu.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "app/bmp_export.h"
#include "app/editor_view.h"

namespace qm {
QAction* addMenuItem(QMenu* menu, const char* caption, const char* objectName, QKeySequence shortcut) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromUtf8(objectName));
    a->setShortcut(shortcut);
    return a;
}

QMenu* buildFileMenu(QMainWindow* window, EditorView& view, const FileMenuCommands& commands) {
    QMenu* file = window->menuBar()->addMenu(QString::fromUtf8("文件(&F)"));
    file->setObjectName(QStringLiteral("menuFile"));
    view.bind(addMenuItem(file, "新建", "fileNew", QKeySequence(Qt::CTRL | Qt::Key_N)), commands.fileNew);
    view.bind(addMenuItem(file, "打开", "fileOpen", QKeySequence(Qt::CTRL | Qt::Key_O)), commands.fileOpen);
    view.bind(addMenuItem(file, "保存", "fileSave", QKeySequence(Qt::CTRL | Qt::Key_S)), commands.fileSave);
    view.bind(addMenuItem(file, "另存为(&E)", "fileSaveAs"), commands.fileSaveAs);
    view.bind(addMenuItem(file, "保存为BMP图像", "fileSaveAsBMP", QKeySequence(Qt::CTRL | Qt::Key_B)),
              [&view](Editor& ed) { saveCanvasAsBmp(ed, *view.canvas()); });
    QAction* exit = addMenuItem(file, "退出", "fileExit", QKeySequence(Qt::CTRL | Qt::Key_Q));
    QObject::connect(exit, &QAction::triggered, window, &QWidget::close);
    return file;
}

}  // namespace qm
