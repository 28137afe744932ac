// Stand-ins for the shell in core tests: a host that records what the core asked
// for and answers from a script, and text metrics with simple, known sizes.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "model/editor.h"
#include "model/parts.h"

namespace qm::test {

// Width of a code point: 20 twips per point for non-ASCII (CJK), 10 for ASCII;
// line height 25 twips per point. So "宋体" 9 pt: a CJK character is 180 x 225.
class FakeMetrics : public TextMetrics {
public:
    TextExtent measure(std::string_view utf8, std::string_view fontName, float pointSize,
                       float wrapWidth) const override;
};

struct AskCall {
    std::string title, text;
    Buttons buttons;
    Icon icon;
};

class FakeHost : public Host {
public:
    Answer ask(std::string_view title, std::string_view text, Buttons buttons, Icon icon) override;
    std::optional<std::string> openFileDialog(const FileDialogPresets& presets) override;
    std::optional<std::string> saveFileDialog(const FileDialogPresets& presets) override;
    ScreenPoint cursorPos() override { return cursor; }
    void setCursorPos(ScreenPoint p) override { cursor = p; ++cursorSets; }
    ScreenPoint screenToCanvas(ScreenPoint p) override { return {p.x - canvasOrigin.x, p.y - canvasOrigin.y}; }
    ScreenPoint canvasToScreen(ScreenPoint p) override { return {p.x + canvasOrigin.x, p.y + canvasOrigin.y}; }
    void setCanvasCursor(CursorKind kind) override { cursorKind = kind; }
    CursorKind canvasCursor() const override { return cursorKind; }
    void focusCanvas() override { ++canvasFocusCount; }
    void focusEditor(EditorBox box) override { focusedEditor = box; }
    void popupEditMenu() override { ++menuPopups; }
    void setTimerEnabled(TimerId timer, bool enabled) override;
    void whenIdle(int restMs, std::function<bool()> step) override {
        idleRestMs = restMs;
        idleStep = std::move(step);
    }
    bool pointerSnapAllowed() override { return snapAllowed; }
    bool startHelpViewer(const std::string& path, std::function<void()> failed) override {
        helpPaths.push_back(path);
        helpFailed = std::move(failed);
        return helpStarts;
    }

    // Script and record.
    std::deque<Answer> answers;  // next answers to ask(); Ok / No when empty
    std::deque<std::optional<std::string>> dialogResults;
    std::vector<AskCall> asked;
    std::vector<FileDialogPresets> dialogs;
    ScreenPoint cursor{};
    ScreenPoint canvasOrigin{100, 200};
    int cursorSets = 0;
    CursorKind cursorKind = CursorKind::Default;
    int canvasFocusCount = 0;
    std::optional<EditorBox> focusedEditor;
    int menuPopups = 0;
    bool timer1 = false, timer2 = true;
    std::vector<std::string> helpPaths;
    bool helpStarts = true;
    std::function<void()> helpFailed;  // what the last viewer started is to call when it fails
    bool snapAllowed = true;
    int idleRestMs = 0;
    std::function<bool()> idleStep;  // the work last asked for idle moments
};

// An editor on a fake host and fake metrics, started up as the program starts.
struct TestEditor {
    FakeHost host;
    FakeMetrics metrics;
    Editor ed{host, metrics};
    Document& doc = ed.doc;
    TestEditor();
};

// Rectangle i and its divider made from the templates, hidden; shapeCount is i.
void addShape(Document& d, int i);

// Whether the canvas draws the part in the selection colour.
bool looksSelected(const Document& doc, PartRef part);

// A new visible label of the template's font holding `caption`, its corner at
// (left, top) twips; its index.
int addLabel(Editor& ed, const char* caption, float left, float top);

// Drops what follows the pointer at (x, y) with a click there, which selects it.
void drop(Editor& ed, float x, float y);

}  // namespace qm::test
