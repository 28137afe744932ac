// The main window Form1 of qmp: its menu bar, its nine-button toolbar and the
// canvas lying directly on the window, around one EditorView built with qmp's
// rules and canvas geometry. Menus and buttons only name the core's commands.
#pragma once
#include <QMainWindow>

#include "app/editor_view.h"

class QMenu;
class QToolBar;

namespace qm::reduced {

class QmpWindow : public QMainWindow {
    Q_OBJECT
public:
    // The fixed layout in twips of the client area (the area below the menu bar).
    static constexpr int kClientWidth = 14610, kClientHeight = 9690;
    // The date the About window shows.
    static constexpr const char* kAboutDate = "2010-6-18";

    explicit QmpWindow(QWidget* parent = nullptr);

    EditorView& view() { return *view_; }
    Editor& editor() { return view_->editor(); }
    QtHost& host() { return view_->host(); }
    CanvasWidget* canvas() const { return view_->canvas(); }
    QWidget* client() const { return client_; }
    QToolBar* toolbar() const { return toolbar_; }
    QMenu* editMenu() const { return editMenu_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFileMenu();
    void buildEditMenu();
    void buildHelpMenu();
    void buildToolbar();
    void deleteItem();

    QWidget* client_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    EditorView* view_ = nullptr;
    QMenu* editMenu_ = nullptr;
};

}  // namespace qm::reduced
