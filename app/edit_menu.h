// The Edit menu `edit` of quillmap: the insert commands, the arrow submenu and
// Delete. The same menu is the canvas's context menu, popped up at the pointer.
#pragma once
#include <functional>

#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace qm {

class Editor;
class EditorView;

// Adds an item with the caption and object name that runs the command through
// the view; the programs' menus are built from these.
QAction* addCommand(QMenu* menu, const char* caption, const char* objectName, EditorView& view,
                    std::function<void(Editor&)> command);

// Builds the menu and registers it with the view as the menu the rules pop up.
QMenu* buildEditMenu(QWidget* parent, EditorView& view);

}  // namespace qm
