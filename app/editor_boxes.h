// The in-place editors Text1 (one line) and Text2 (tall, for vertical labels): real
// Qt text widgets laid over the canvas. They report what the editor's rules listen
// for (text, getting and losing the focus, Enter released) and keep every key
// typed into them to themselves, so Delete in a box never reaches the canvas.
#pragma once
#include <functional>
#include <string>

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace qm {

struct BoxHooks {
    std::function<void(const std::string&)> textChanged;  // UTF-8, after every change
    std::function<void()> focusLost;
    std::function<void()> enterReleased;
    // Tab (1) or Shift+Tab (-1); true when it was used, else it moves the focus.
    std::function<bool(int)> tab;
};

// Enter ends an edit when it is released, but only an Enter whose press the box
// received itself: an input method takes the press of the Enter that commits what
// is being composed and passes its release on, and the Enter that closed a
// message over the box was pressed there. Auto-repeat counts for nothing.
class EnterKey {
public:
    static bool is(const QKeyEvent* event);
    void pressed(const QKeyEvent* event);
    // True for the release that ends the press noted above.
    bool released(const QKeyEvent* event);

private:
    bool down_ = false;
};

// Focus moves that are not the user leaving the box for another control of the
// window: a menu opening over it, another window in front. The box stays open then.
bool isPassingFocusChange(Qt::FocusReason reason);

// What both boxes do with the focus and the keys, over either Qt text widget.
template <class QtBox>
class InPlaceBox : public QtBox {
public:
    explicit InPlaceBox(QWidget* parent) : QtBox(parent) {}
    BoxHooks hooks;
    // The characters at the start the box keeps out of the selection it opens with.
    void setKeptPrefix(int chars) { keptPrefix_ = chars; }
    // The text selected as when the box gets the focus.
    void selectText() { selectFrom(keptPrefix_); }

    void setVisible(bool visible) override {
        // A style sheet costs a style of its own: made when the box is first
        // shown, for an edit, not at start-up.
        if (visible && !styled_) {
            styled_ = true;
            QtBox::setStyleSheet(
                QStringLiteral("border: 1px solid #808080; padding: 0px; background: white; color: black;"));
        }
        QtBox::setVisible(visible);
    }

protected:
    bool event(QEvent* event) override {
        // Tab would move the focus before the box saw the key.
        if (event->type() == QEvent::KeyPress && hooks.tab) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
            if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
                hooks.tab(key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier) ? -1 : 1)) {
                event->accept();
                return true;
            }
        }
        return QtBox::event(event);
    }

    void focusInEvent(QFocusEvent* event) override {
        QtBox::focusInEvent(event);
        enter_ = {};
        // The caption selected, the cursor at its start: the first key typed
        // replaces a placeholder.
        if (!isPassingFocusChange(event->reason())) selectFrom(keptPrefix_);
    }

    void focusOutEvent(QFocusEvent* event) override {
        QtBox::focusOutEvent(event);
        if (!isPassingFocusChange(event->reason()) && hooks.focusLost) hooks.focusLost();
    }

    void keyPressEvent(QKeyEvent* event) override {
        enter_.pressed(event);
        typeKey(event);
        event->accept();  // keys the box does not handle (Enter, Delete at the end) stop here
    }

    void keyReleaseEvent(QKeyEvent* event) override {
        QtBox::keyReleaseEvent(event);
        event->accept();
        if (enter_.released(event) && hooks.enterReleased) hooks.enterReleased();
    }

    // A pressed key as the Qt widget handles it.
    virtual void typeKey(QKeyEvent* event) { QtBox::keyPressEvent(event); }
    // Selects from character `start` to the end, with the cursor at `start`.
    virtual void selectFrom(int start) = 0;

private:
    EnterKey enter_;
    int keptPrefix_ = 0;
    bool styled_ = false;
};

class LineBox : public InPlaceBox<QLineEdit> {
    Q_OBJECT
public:
    explicit LineBox(QWidget* parent);

    std::string utf8Text() const { return text().toStdString(); }
    void setUtf8Text(const std::string& text);

protected:
    void selectFrom(int start) override;
};

class TallBox : public InPlaceBox<QPlainTextEdit> {
    Q_OBJECT
public:
    explicit TallBox(QWidget* parent);

    std::string utf8Text() const { return toPlainText().toStdString(); }
    void setUtf8Text(const std::string& text);

protected:
    void typeKey(QKeyEvent* event) override;
    void selectFrom(int start) override;
};

}  // namespace qm
