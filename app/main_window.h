// The main window Form1 of quillmap: menu bar, toolbar strip and the framed canvas
// in a fixed layout, around one EditorView. Its menus and buttons only name the
// core's commands; the view runs them and shows the result.
#pragma once
#include <string>

#include <QMainWindow>

#include "app/editor_view.h"

class QFrame;
class QMenu;
class QToolBar;

namespace qm {

class CanvasWidget;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Positions of the fixed layout, in twips of the window's client area (the area
    // below the menu bar).
    static constexpr int kClientWidth = 14760, kClientHeight = 10320;
    static constexpr int kPicture2Left = 75, kPicture2Top = 450;
    static constexpr int kPicture2Width = 14565, kPicture2Height = 9765;
    // The date the About window shows.
    static constexpr const char* kAboutDate = "2010-6-20";

    explicit MainWindow(QWidget* parent = nullptr);

    // Opens the document at a path (UTF-8) as Open would after its dialog: a file
    // the desktop hands the program. False when it was not read; the user has been
    // told why and the drawing is as it was.
    bool openFile(const std::string& path);

    EditorView& view() { return *view_; }
    Editor& editor() { return view_->editor(); }
    QtHost& host() { return view_->host(); }
    CanvasWidget* canvas() const { return view_->canvas(); }
    QWidget* client() const { return client_; }
    QFrame* container() const { return picture2_; }
    QToolBar* toolbar() const { return toolbar_; }
    QMenu* editMenu() const { return editMenu_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFileMenu();
    void buildHelpMenu();
    void buildToolbar();

    QWidget* client_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QFrame* picture2_ = nullptr;
    EditorView* view_ = nullptr;
    QMenu* editMenu_ = nullptr;
};

}  // namespace qm
