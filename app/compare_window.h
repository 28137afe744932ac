// The reviewer's compare window of quillmap (文件 → 比较): another version of the
// drawing, chosen in a file dialog, beside the open drawing as it is now, saved or
// not. A window of its own, not modal, with the picture of the change and the list
// of changes; choosing a row selects that element in the editor while the open
// drawing has it. Nothing is written.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "edit/compare_words.h"
#include "io/checkpoint.h"

class QLabel;
class QListWidget;

namespace qm {

class EditorView;

class CompareWindow : public QWidget {
    Q_OBJECT
public:
    // `older` is the other version, `newer` the open drawing when it was compared.
    CompareWindow(EditorView& view, const Document& older, const Document& newer, const std::string& olderPath,
                  QWidget* parent);

    QListWidget* list() const { return list_; }
    QLabel* picture() const { return picture_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void choose(int row);

    EditorView& view_;
    Comparison comparison_;
    // The open drawing's elements, and its checkpoint when they were listed.
    std::vector<ChartElement> present_;
    std::optional<Checkpoint> presentAt_;
    QLabel* picture_;
    QListWidget* list_;
};

// The 比较 command: asks for the other version through the host, reads it (a qmp
// drawing converted first) and shows the window over the editor's. A file that
// cannot be compared is a message naming it and why; the drawing stays as it is.
void compareCommand(EditorView& view);

}  // namespace qm
