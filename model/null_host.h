// A host for work without a user: command-line tools and conversions. Questions get
// No (so nothing is saved behind the user's back), dialogs are cancelled, messages
// are remembered for the caller to report.
#pragma once
#include <string>
#include <vector>

#include "model/host.h"

namespace qm {

class NullHost : public Host {
public:
    Answer ask(std::string_view title, std::string_view text, Buttons buttons, Icon) override {
        messages.push_back(std::string(title) + ": " + std::string(text));
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    std::optional<std::string> openFileDialog(const FileDialogPresets&) override { return std::nullopt; }
    std::optional<std::string> saveFileDialog(const FileDialogPresets&) override { return std::nullopt; }
    ScreenPoint cursorPos() override { return {}; }
    void setCursorPos(ScreenPoint) override {}
    ScreenPoint screenToCanvas(ScreenPoint p) override { return p; }
    ScreenPoint canvasToScreen(ScreenPoint p) override { return p; }
    void setCanvasCursor(CursorKind k) override { cursor = k; }
    CursorKind canvasCursor() const override { return cursor; }
    void focusCanvas() override {}
    void focusEditor(EditorBox) override {}
    void popupEditMenu() override {}
    void setTimerEnabled(TimerId, bool) override {}
    void whenIdle(int, std::function<bool()>) override {}
    bool pointerSnapAllowed() override { return false; }
    bool startHelpViewer(const std::string&, std::function<void()>) override { return false; }

    std::vector<std::string> messages;
    CursorKind cursor = CursorKind::Default;
};

}  // namespace qm
