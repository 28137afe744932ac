// The controls a window runs commands from, menu items and toolbar buttons, built
// from tables in which each entry names its caption, object name, shortcut or icon
// and what it runs. Also the File menu `menuFile`, the same in both programs but
// for what New, Open, Save and Save As run.
#pragma once
#include <functional>
#include <vector>

#include <QKeySequence>

#include "app/icons.h"

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace qm {

class Editor;
class EditorView;

// What a menu item or a button runs, given the window's editing view.
using Action = std::function<void(EditorView&)>;
// A command of the core, run through the view, which then brings the widgets in line.
Action core(std::function<void(Editor&)> command);

// Whether an item can be chosen now; asked after every event.
using Enabled = std::function<bool(EditorView&)>;
// The core's answer to whether its command can act now.
Enabled coreAllows(bool (*test)(const Editor&));

struct MenuItem {
    const char* caption = nullptr;  // UTF-8; null: a separator
    const char* objectName = "";
    QKeySequence shortcut = {};
    Action run = {};                   // empty: the item does nothing
    std::vector<MenuItem> submenu = {};  // non-empty: the item opens this submenu
    QKeySequence alternate = {};         // a second shortcut
    Enabled enabled = {};                // empty: always
};

// The first items of both programs' Edit menus: Undo and Redo, greyed while there
// is nothing to undo or redo, then a separator.
const std::vector<MenuItem>& historyItems();

// The items in table order. A submenu carries its object name on the menu and on
// the item that opens it.
void fillMenu(QMenu* menu, EditorView& view, const std::vector<MenuItem>& items);

struct ToolButton {
    const char* text = nullptr;  // UTF-8, also its tooltip and accessible name; null: a separator
    ToolIcon icon = ToolIcon::Rectangle;
    Action run = {};
};

// The buttons in table order. Their actions are named toolButton1 and on, after
// their numbers in the table, separators included.
void fillToolbar(QToolBar* bar, EditorView& view, const std::vector<ToolButton>& buttons);

struct FileMenuCommands {
    std::function<void(Editor&)> fileNew, fileOpen, fileSave, fileSaveAs;
    std::vector<MenuItem> beforeExit = {};  // the program's own items after the BMP export
};

// Adds the File menu to the window's menu bar: the program's four document
// commands, BMP export, the program's own items and Exit, which closes the window.
QMenu* buildFileMenu(QMainWindow* window, EditorView& view, const FileMenuCommands& commands);

}  // namespace qm
