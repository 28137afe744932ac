#include "unit/support/fakes.h"

#include <algorithm>

#include "edit/quillmap_commands.h"
#include "interact/pointer.h"
#include "model/labels.h"
#include "model/selection_look.h"

namespace qm::test {

TextExtent FakeMetrics::measure(std::string_view utf8, std::string_view, float pointSize,
                                float wrapWidth) const {
    const float lineHeight = pointSize * 25;
    float lineWidth = 0, widest = 0;
    int lines = 1;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        i += len;
        if (c == '\n') {
            ++lines;
            lineWidth = 0;
            continue;
        }
        const float w = pointSize * (c < 0x80 ? 10 : 20);
        if (wrapWidth > 0 && lineWidth > 0 && lineWidth + w > wrapWidth) {
            ++lines;
            lineWidth = 0;
        }
        lineWidth += w;
        if (lineWidth > widest) widest = lineWidth;
    }
    return {wrapWidth > 0 ? wrapWidth : widest, lines * lineHeight};
}

Answer FakeHost::ask(std::string_view title, std::string_view text, Buttons buttons, Icon icon) {
    asked.push_back({std::string(title), std::string(text), buttons, icon});
    if (answers.empty()) return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<std::string> FakeHost::openFileDialog(const FileDialogPresets& presets) {
    dialogs.push_back(presets);
    if (dialogResults.empty()) return std::nullopt;
    auto r = dialogResults.front();
    dialogResults.pop_front();
    return r;
}

std::optional<std::string> FakeHost::saveFileDialog(const FileDialogPresets& presets) {
    return openFileDialog(presets);
}

void FakeHost::setTimerEnabled(TimerId timer, bool enabled) {
    (timer == TimerId::Timer1 ? timer1 : timer2) = enabled;
}

TestEditor::TestEditor() { startUp(ed); }

void addShape(Document& d, int i) {
    d.Shape1.create(i);
    d.LineRect.create(i);
    d.shapeCount = static_cast<int16_t>(i);
}

bool looksSelected(const Document& doc, PartRef part) {
    const std::vector<PartRef> look = selectionLook(doc);
    return std::binary_search(look.begin(), look.end(), part);
}

void drop(Editor& ed, float x, float y) {
    canvasMove(ed, 0, 0, x, y);
    canvasPress(ed, 1, 0, x, y);
    canvasRelease(ed, 1, 0, x, y);
    canvasClick(ed);
}

int addLabel(Editor& ed, const char* caption, float left, float top) {
    Document& d = ed.doc;
    const int i = ++d.labelCount;
    d.Label.create(i);
    LabelEl& l = *d.Label.find(i);
    l = d.Label.templ();
    l.visible = true;
    l.left = left;
    l.top = top;
    setCaption(l, caption, ed.metrics);
    return i;
}

}  // namespace qm::test
