#include "app/controls.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "app/bmp_command.h"
#include "app/editor_view.h"
#include "edit/undo.h"

namespace qm {

Action core(std::function<void(Editor&)> command) {
    return [command = std::move(command)](EditorView& view) { view.perform(command); };
}

Enabled coreAllows(bool (*test)(const Editor&)) {
    return [test](EditorView& view) { return test(view.editor()); };
}

void fillMenu(QMenu* menu, EditorView& view, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        const QString name = QString::fromUtf8(item.objectName);
        if (!item.caption) {
            menu->addSeparator()->setObjectName(name);
        } else if (!item.submenu.empty()) {
            QMenu* sub = menu->addMenu(QString::fromUtf8(item.caption));
            sub->setObjectName(name);
            sub->menuAction()->setObjectName(name);
            fillMenu(sub, view, item.submenu);
        } else {
            // A key written into the caption after a run of spaces ("删除(&E)        Del")
            // is shown in the menu's key column instead, so that a screen reader
            // reads the caption alone; it works only while the menu is open.
            QString caption = QString::fromUtf8(item.caption);
            QKeySequence shownKey;
            if (const qsizetype gap = caption.indexOf(QStringLiteral("  ")); gap > 0 && item.shortcut.isEmpty()) {
                shownKey = QKeySequence(caption.mid(gap).trimmed());
                caption.truncate(gap);
            }
            QAction* a = menu->addAction(caption);
            a->setObjectName(name);
            a->setShortcut(shownKey.isEmpty() ? item.shortcut : shownKey);
            if (!shownKey.isEmpty()) a->setShortcutContext(Qt::WidgetShortcut);
            if (!item.alternate.isEmpty()) a->setShortcuts({item.shortcut, item.alternate});
            if (item.run) QObject::connect(a, &QAction::triggered, &view, [&view, run = item.run] { run(view); });
            if (item.enabled) view.enableWhen(a, item.enabled);
        }
    }
}

void fillToolbar(QToolBar* bar, EditorView& view, const std::vector<ToolButton>& buttons) {
    // The button that shows what a narrow window leaves out of the strip.
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QString::fromUtf8("更多工具"));
    int number = 0;
    for (const ToolButton& b : buttons) {
        ++number;
        const QString name = QStringLiteral("toolButton%1").arg(number);
        if (!b.text) {
            bar->addSeparator()->setObjectName(name);
            continue;
        }
        const QString text = QString::fromUtf8(b.text);
        QAction* action = bar->addAction(toolbarIcon(b.icon), text);
        action->setObjectName(name);
        action->setToolTip(text);
        if (QWidget* w = bar->widgetForAction(action)) {
            w->setAccessibleName(text);
            w->setObjectName(name);
        }
        if (b.run) QObject::connect(action, &QAction::triggered, bar, [&view, run = b.run] { run(view); });
    }
}

const std::vector<MenuItem>& historyItems() {
    static const std::vector<MenuItem> items{
        {"撤销(&U)", "editUndo", QKeySequence(Qt::CTRL | Qt::Key_Z), core(undo), {}, {}, coreAllows(canUndo)},
        {"重做(&Y)", "editRedo", QKeySequence(Qt::CTRL | Qt::Key_Y), core(redo), {},
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), coreAllows(canRedo)},
        {nullptr, "noname"},
    };
    return items;
}

QMenu* buildFileMenu(QMainWindow* window, EditorView& view, const FileMenuCommands& commands) {
    QMenu* file = window->menuBar()->addMenu(QString::fromUtf8("文件(&F)"));
    file->setObjectName(QStringLiteral("menuFile"));
    std::vector<MenuItem> items = {
        {"新建(&N)", "fileNew", QKeySequence(Qt::CTRL | Qt::Key_N), core(commands.fileNew)},
        {"打开(&O)", "fileOpen", QKeySequence(Qt::CTRL | Qt::Key_O), core(commands.fileOpen)},
        {"保存(&S)", "fileSave", QKeySequence(Qt::CTRL | Qt::Key_S), core(commands.fileSave)},
        {"另存为(&E)", "fileSaveAs", {}, core(commands.fileSaveAs)},
        {"保存为BMP图像(&B)", "fileSaveAsBMP", QKeySequence(Qt::CTRL | Qt::Key_B),
         [](EditorView& v) { v.perform([&v](Editor& ed) { saveAsBmpCommand(ed, *v.canvas()); }); }},
    };
    items.insert(items.end(), commands.beforeExit.begin(), commands.beforeExit.end());
    items.push_back({"退出(&Q)", "fileExit", QKeySequence(Qt::CTRL | Qt::Key_Q), [window](EditorView&) { window->close(); }});
    fillMenu(file, view, items);
    return file;
}

}  // namespace qm
