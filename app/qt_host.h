// The platform services of the editor's rules, provided with Qt: message boxes,
// file dialogs, the system cursor and its mapping onto the canvas, the canvas's
// cursor shape, focus, the Edit menu, the two timers and the help viewer.
#pragma once
#include <array>
#include <functional>
#include <utility>

#include <QMenu>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include "model/host.h"

class QWidget;

namespace qm {

class CanvasWidget;

class QtHost : public Host {
public:
    QtHost();

    // The widgets the services act on; any of them may be left unset, and the
    // services that need it then do nothing.
    void setWindow(QWidget* window) { window_ = window; }
    void setCanvas(CanvasWidget* canvas);
    void setEditMenu(QMenu* menu) { editMenu_ = menu; }
    void setEditorBox(EditorBox box, QWidget* widget);
    // Runs before an editor box is given the focus, so that the widget can be put
    // where the rules just opened the box (a hidden widget cannot take the focus).
    void setBeforeEditorFocus(std::function<void()> hook) { beforeEditorFocus_ = std::move(hook); }

    // How many menus, questions and dialogs have been shown. Each runs a loop of
    // its own that takes the pointer: a press that opened one never sees its release.
    int modalRuns() const { return modalRuns_; }

    // Timer1 (10 ms, stopped at start) and Timer2 (300 ms, running). Their ticks
    // are connected by the main window.
    QTimer& timer(TimerId id) { return id == TimerId::Timer1 ? timer1_ : timer2_; }

    // Programs tried in turn to show the help text when the desktop's own opener
    // is missing or fails to start; the first that starts is the viewer.
    void setHelpViewers(QStringList programs) { helpViewers_ = std::move(programs); }
    const QStringList& helpViewers() const { return helpViewers_; }

    Answer ask(std::string_view title, std::string_view text, Buttons buttons, Icon icon) override;
    std::optional<std::string> openFileDialog(const FileDialogPresets& presets) override;
    std::optional<std::string> saveFileDialog(const FileDialogPresets& presets) override;
    ScreenPoint cursorPos() override;
    void setCursorPos(ScreenPoint p) override;
    ScreenPoint screenToCanvas(ScreenPoint p) override;
    ScreenPoint canvasToScreen(ScreenPoint p) override;
    void setCanvasCursor(CursorKind kind) override;
    CursorKind canvasCursor() const override { return cursorKind_; }
    void focusCanvas() override;
    void focusEditor(EditorBox box) override;
    void popupEditMenu() override;
    // The Edit menu at a screen position rather than at the pointer.
    void popupEditMenuAt(QPoint global);
    void setTimerEnabled(TimerId timer, bool enabled) override;
    void whenIdle(int restMs, std::function<bool()> step) override;
    bool pointerSnapAllowed() override;
    bool startHelpViewer(const std::string& path, std::function<void()> failed) override;

private:
    QPointer<QWidget> window_;
    QPointer<CanvasWidget> canvas_;
    QPointer<QMenu> editMenu_;
    std::array<QPointer<QWidget>, 2> editorBoxes_;
    std::function<void()> beforeEditorFocus_;
    int modalRuns_ = 0;
    QTimer timer1_, timer2_;
    QTimer idle_;
    std::function<bool()> idleStep_;
    CursorKind cursorKind_ = CursorKind::Default;
    QStringList helpViewers_;
};

}  // namespace qm
