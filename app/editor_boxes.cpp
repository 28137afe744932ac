#include "app/editor_boxes.h"

#include <QTextCursor>

namespace qm {
namespace {

// The boxes take the labels' face, at the canvas's zoom, each time they are
// placed to be shown (EditorView::syncBoxes): a font set here would only lay out
// the hidden boxes' text once more at start-up.
void styleBox(QWidget* box) {
    box->setAttribute(Qt::WA_InputMethodEnabled);
    box->hide();  // its frame comes with the first show (InPlaceBox::setVisible)
}

}  // namespace

bool EnterKey::is(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

void EnterKey::pressed(const QKeyEvent* event) {
    if (is(event) && !event->isAutoRepeat()) down_ = true;
}

bool EnterKey::released(const QKeyEvent* event) {
    if (!is(event) || event->isAutoRepeat()) return false;
    const bool ours = down_;
    down_ = false;
    return ours;
}

bool isPassingFocusChange(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
}

LineBox::LineBox(QWidget* parent) : InPlaceBox(parent) {
    setObjectName(QStringLiteral("Text1"));
    setAccessibleName(QString::fromUtf8("编辑文字"));
    styleBox(this);
    setTextMargins(1, 0, 1, 0);
    // textChanged also fires for text committed by an input method and for paste.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (hooks.textChanged) hooks.textChanged(t.toStdString());
    });
}

void LineBox::setUtf8Text(const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (t != this->text()) setText(t);
}

void LineBox::selectFrom(int start) {
    const int end = static_cast<int>(text().size());
    setSelection(end, start - end);
}

TallBox::TallBox(QWidget* parent) : InPlaceBox(parent) {
    setObjectName(QStringLiteral("Text2"));
    setAccessibleName(QString::fromUtf8("编辑竖排文字"));
    styleBox(this);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    document()->setDocumentMargin(1);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (hooks.textChanged) hooks.textChanged(toPlainText().toStdString());
    });
}

void TallBox::setUtf8Text(const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (t != toPlainText()) setPlainText(t);
}

void TallBox::typeKey(QKeyEvent* event) {
    // Enter ends the edit when it is released; the line break it would type here
    // would only add an empty line under a vertical caption.
    if (!EnterKey::is(event)) QPlainTextEdit::keyPressEvent(event);
}

void TallBox::selectFrom(int start) {
    QTextCursor c(document());
    c.movePosition(QTextCursor::End);
    c.setPosition(start, QTextCursor::KeepAnchor);
    setTextCursor(c);
}

}  // namespace qm
