// The main window Form1 both programs show, built from a description: a client area
// below the menu bar, the toolbar strip at its top, the canvas in a scrolling area
// (the sunken container Picture2 where the program has one) around one EditorView
// with the program's rules, and the File, Edit, View and Help menus. The window
// opens at the description's size, where everything lies where the description
// puts it, and may be resized and maximised: the area takes what it gains. Menus
// and buttons only name commands; the view runs them and shows the result.
#pragma once
#include <functional>
#include <optional>
#include <vector>

#include <QMainWindow>

#include "app/controls.h"
#include "app/editor_view.h"
#include "io/raw_document.h"

class QFrame;
class QMenu;
class QToolBar;

namespace qm {

class FindBar;

class CanvasScrollArea;
class CanvasWidget;

// A rectangle in twips of the window's client area (the area below the menu bar).
struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
};

struct WindowDescription {
    const char* title = "";  // the program's name, after the drawing's in the window's title
    const char* program = "";  // names the program's folders (recovery copies)
    int clientWidth = 0, clientHeight = 0;  // twips
    std::optional<TwipsRect> container;     // Picture2; none: the canvas lies on the client area
    CanvasGeometry canvas;                  // in the container, or on the client area
    const Rules* rules = nullptr;           // null: quillmap's
    Layout layout = Layout::Quillmap;       // of the program's files, and of the history's checkpoints
    void (*startUp)(Editor&) = nullptr;
    void (*connectFileCommands)(Editor&) = nullptr;
    FileMenuCommands file;
    std::vector<MenuItem> edit;  // the Edit menu `edit` after Undo, Redo and the clipboard; also the canvas's context menu
    Action helpContents;         // 内容(&C); empty: the item does nothing
    const char* aboutDate = "";  // shown by the About window
    std::vector<ToolButton> toolbar;
};

class EditorWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit EditorWindow(const WindowDescription& desc, QWidget* parent = nullptr);
    ~EditorWindow() override;

    EditorView& view() { return *view_; }
    Editor& editor() { return view_->editor(); }
    QtHost& host() { return view_->host(); }
    CanvasWidget* canvas() const { return view_->canvas(); }
    QWidget* client() const { return client_; }
    QFrame* container() const { return container_; }  // null where there is none
    CanvasScrollArea* scrollArea() const { return view_->scrollArea(); }
    QToolBar* toolbar() const { return toolbar_; }
    QMenu* editMenu() const { return editMenu_; }
    // The find bar under the canvas, made when first asked for.
    FindBar& findBar();

    // From here on a copy of unsaved changes is kept for after a crash; the
    // copies of programs that died are offered first. True when one was opened.
    bool startRecovery();

    // Runs `job` once the canvas has been painted on the screen for the first
    // time, or has had a moment to be (a window that starts minimised): start-up
    // work the first frame does not show waits for it. Queued at once after that.
    void afterFirstFrame(std::function<void()> job);

protected:
    // Asks first when the drawing changed; stays open when the user cancels.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildViewMenu();
    void buildHelpMenu(const WindowDescription& desc);
    // "<drawing> - <program>", marked while the drawing differs from its file.
    void showTitle();
    void firstFrameDone();

    QWidget* client_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QFrame* container_ = nullptr;
    EditorView* view_ = nullptr;
    QMenu* editMenu_ = nullptr;
    FindBar* findBar_ = nullptr;
    const char* program_;
    QString title_;
    Layout layout_;
    bool framed_ = false;  // the canvas has been painted once
    std::vector<std::function<void()>> afterFirstFrame_;
};

}  // namespace qm
