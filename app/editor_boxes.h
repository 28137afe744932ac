// The in-place editors Text1 (one line) and Text2 (tall, for vertical labels): real
// Qt text widgets laid over the canvas. They report what the editor's rules listen
// for (text, getting and losing the focus, Enter released) and keep every key
// typed into them to themselves, so Delete in a box never reaches the canvas.
#pragma once
#include <functional>
#include <string>

#include <QLineEdit>
#include <QPlainTextEdit>

class QKeyEvent;

namespace qm {

struct BoxHooks {
    std::function<void(const std::string&)> textChanged;  // UTF-8, after every change
    std::function<void()> focusLost;
    std::function<void()> enterReleased;
};

// Enter ends an edit when it is released, but only an Enter whose press the box
// received itself: an input method takes the press of the Enter that commits what
// is being composed and passes its release on, and the Enter that closed a
// message over the box was pressed there. Auto-repeat counts for nothing.
class EnterKey {
public:
    void pressed(const QKeyEvent* event);
    // True for the release that ends the press noted above.
    bool released(const QKeyEvent* event);

private:
    bool down_ = false;
};

// Focus moves that are not the user leaving the box for another control of the
// window: a menu opening over it, another window in front. The box stays open then.
bool isPassingFocusChange(Qt::FocusReason reason);

class LineBox : public QLineEdit {
    Q_OBJECT
public:
    explicit LineBox(QWidget* parent);
    BoxHooks hooks;

    std::string utf8Text() const { return text().toStdString(); }
    void setUtf8Text(const std::string& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    EnterKey enter_;
};

class TallBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TallBox(QWidget* parent);
    BoxHooks hooks;

    std::string utf8Text() const { return toPlainText().toStdString(); }
    void setUtf8Text(const std::string& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    EnterKey enter_;
};

}  // namespace qm
