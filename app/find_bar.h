// The find bar under the canvas (编辑 → 查找..., 替换...): the keyboard stays in
// its pattern field while the hits are counted and the element holding the
// current one is selected and scrolled into view; Enter and F3 go on, with Shift
// back, wrapping round; Esc closes it and gives the keyboard back to the canvas.
// The matching and replacing are the core's (edit/find_replace.h).
#pragma once
#include <vector>

#include <QWidget>

#include "edit/find_replace.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qm {

class EditorView;

class FindBar : public QWidget {
    Q_OBJECT
public:
    FindBar(EditorView& view, QWidget* parent);

    // Shows the bar with the keyboard in its pattern, the replacement row too
    // when asked.
    void open(bool replacing);
    void close();
    // Goes to the next hit (or the previous), wrapping round.
    void step(int by);
    // The count shown: "3/11", "0/0".
    QString countText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TextPattern pattern() const;
    // The hits found afresh in the drawing as it is, the current one kept where it
    // still is.
    void search();
    void showCurrent();
    void replaceOne();
    void replaceEvery();
    void updateButtons();

    EditorView& view_;
    QLineEdit* find_ = nullptr;
    QLineEdit* with_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* withLabel_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* replaceAll_ = nullptr;
    std::vector<TextHit> hits_;
    int current_ = -1;
};

}  // namespace qm
