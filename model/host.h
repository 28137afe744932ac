// The platform services the editor's rules need, as the shell provides them:
// questions and messages, file dialogs, the system cursor, the canvas cursor shape,
// keyboard focus, the Edit menu, the two timers, work for idle moments and the
// help viewer. The core never
// blocks on the user except through this interface; tests fake it.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/document.h"

namespace qm {

enum class Icon { None, Question, Stop, Critical, Information };
// YesSaveAsCancel: 是, 另存为... and 取消, before a file someone else changed is written over.
enum class Buttons { Ok, YesNo, YesNoCancel, YesSaveAsCancel };
// Cancel is also the answer of a Yes/No question dismissed without a choice (Esc,
// or the box closed): it must change nothing.
enum class Answer { Ok, Yes, No, Cancel, SaveAs };

// Presets of a file dialog: a pre-filled name, the filter, and the extension
// appended to a name typed without one. The filter is one entry written as
// "shown text|pattern", or several joined the same way ("PDF文件|*.pdf|SVG图像|*.svg"),
// the first one chosen at first; with several, a name that has none of their
// extensions gets the chosen entry's.
struct FileDialogPresets {
    std::string fileName;
    std::string filter;
    std::string defaultExt;
};

enum class CursorKind { Default, Crosshair, Insert };
enum class TimerId { Timer1, Timer2 };
enum class EditorBox { Text1, Text2 };

class Host {
public:
    virtual ~Host() = default;

    virtual Answer ask(std::string_view title, std::string_view text, Buttons buttons, Icon icon) = 0;
    void message(std::string_view title, std::string_view text, Icon icon) {
        ask(title, text, Buttons::Ok, icon);
    }

    // The chosen full path (UTF-8), or nothing when the dialog was cancelled.
    virtual std::optional<std::string> openFileDialog(const FileDialogPresets& presets) = 0;
    virtual std::optional<std::string> saveFileDialog(const FileDialogPresets& presets) = 0;

    // The system cursor in screen pixels, and the mapping between screen pixels and
    // client pixels of the canvas.
    virtual ScreenPoint cursorPos() = 0;
    virtual void setCursorPos(ScreenPoint p) = 0;
    virtual ScreenPoint screenToCanvas(ScreenPoint p) = 0;
    virtual ScreenPoint canvasToScreen(ScreenPoint p) = 0;

    virtual void setCanvasCursor(CursorKind kind) = 0;
    virtual CursorKind canvasCursor() const = 0;

    virtual void focusCanvas() = 0;
    virtual void focusEditor(EditorBox box) = 0;
    virtual void popupEditMenu() = 0;

    virtual void setTimerEnabled(TimerId timer, bool enabled) = 0;

    // Work for the moments the user rests: once `restMs` have passed without
    // another call, `step` runs between events, again as soon as they allow while
    // it returns true. A new call replaces the work and waits anew; a null `step`
    // drops it. A host without an event loop may drop every such work: it only
    // makes later frames faster.
    virtual void whenIdle(int restMs, std::function<bool()> step) = 0;

    // Whether moving the system cursor onto a connection point is welcome now: the
    // main window is active, no modal window is open and the cursor is over the canvas.
    virtual bool pointerSnapAllowed() = 0;

    // Starts the help viewer on a file without waiting; false when it could not
    // start. A viewer that starts and then ends in failure (as xdg-open does when
    // no program opens the file) is reported later by calling `failed`.
    virtual bool startHelpViewer(const std::string& path, std::function<void()> failed) = 0;
};

// Reports an unexpected element failure the way the handle routines do:
// title "错误", "错误号：" with the number, a line break and the description.
void reportElementError(Host& host, int number, std::string_view description);

}  // namespace qm
