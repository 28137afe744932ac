// The File menu `menuFile` both programs show: the same items, shortcuts, BMP
// export and Exit; only what New, Open, Save and Save As run differs per program.
#pragma once
#include <functional>

#include <QKeySequence>

class QAction;
class QMainWindow;
class QMenu;

namespace qm {

class Editor;
class EditorView;

struct FileMenuCommands {
    std::function<void(Editor&)> fileNew, fileOpen, fileSave, fileSaveAs;
};

// A menu item with its caption (UTF-8), object name and shortcut; every menu of
// both programs is built from these.
QAction* addMenuItem(QMenu* menu, const char* caption, const char* objectName, QKeySequence shortcut = {});

// Adds the menu to the window's menu bar and binds its items through the view.
QMenu* buildFileMenu(QMainWindow* window, EditorView& view, const FileMenuCommands& commands);

}  // namespace qm
