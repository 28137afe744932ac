#include "app/qt_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

#include "app/canvas_widget.h"
#include "app/cursors.h"
#include "app/file_dialog.h"

namespace qm {
namespace {

QString fromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A message box that Esc and the window's close button dismiss without choosing
// any of its buttons, where the box has no button that means "do nothing".
class QuestionBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool escapeChoosesNothing = false;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (escapeChoosesNothing && e->matches(QKeySequence::Cancel)) {
            reject();
            return;
        }
        QMessageBox::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        // QMessageBox would click the button it takes for Esc (No, here).
        if (escapeChoosesNothing) QDialog::closeEvent(e);
        else QMessageBox::closeEvent(e);
    }
};

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
        case Icon::Question: return QMessageBox::Question;
        case Icon::Stop:
        case Icon::Critical: return QMessageBox::Critical;
        case Icon::Information: return QMessageBox::Information;
        case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QtHost::QtHost()
    : helpViewers_{QStringLiteral("xdg-open"), QStringLiteral("gnome-text-editor"), QStringLiteral("gedit"),
                   QStringLiteral("mousepad"), QStringLiteral("pluma"), QStringLiteral("xed"),
                   QStringLiteral("kate"), QStringLiteral("kwrite"), QStringLiteral("featherpad"),
                   QStringLiteral("leafpad"), QStringLiteral("geany")} {
    timer1_.setInterval(10);
    timer2_.setInterval(300);
    timer2_.start();
    // Each step of idle work, then the events that came meanwhile, then the next.
    idle_.setSingleShot(true);
    QObject::connect(&idle_, &QTimer::timeout, &idle_, [this] {
        if (idleStep_ && idleStep_()) idle_.start(0);
    });
}

void QtHost::setCanvas(CanvasWidget* canvas) { canvas_ = canvas; }

void QtHost::setEditorBox(EditorBox box, QWidget* widget) {
    editorBoxes_[box == EditorBox::Text1 ? 0 : 1] = widget;
}

Answer QtHost::ask(std::string_view title, std::string_view text, Buttons buttons, Icon icon) {
    ++modalRuns_;
    QuestionBox box(qtIcon(icon), fromUtf8(title), fromUtf8(text), QMessageBox::NoButton, window_);
    // The interface is Chinese whatever the system's language, so the buttons are
    // too: their plain captions, and the keys Y and N (and Esc) answer as in any
    // box of this kind.
    auto add = [&](QMessageBox::StandardButton b, const char* caption, QKeySequence key = {}) {
        QAbstractButton* button = box.addButton(b);
        button->setText(QString::fromUtf8(caption));
        button->setShortcut(key);
    };
    switch (buttons) {
        case Buttons::Ok:
            add(QMessageBox::Ok, "确定");
            box.setEscapeButton(QMessageBox::Ok);
            break;
        case Buttons::YesNo:
            add(QMessageBox::Yes, "是", Qt::Key_Y);
            add(QMessageBox::No, "否", Qt::Key_N);
            box.setDefaultButton(QMessageBox::Yes);
            // No may throw work away; a box dismissed with Esc or closed has not said so.
            box.escapeChoosesNothing = true;
            break;
        case Buttons::YesNoCancel:
            add(QMessageBox::Yes, "是", Qt::Key_Y);
            add(QMessageBox::No, "否", Qt::Key_N);
            add(QMessageBox::Cancel, "取消");
            box.setDefaultButton(QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case Buttons::YesSaveAsCancel:
            add(QMessageBox::Yes, "是", Qt::Key_Y);
            add(QMessageBox::Save, "另存为...", Qt::Key_A);
            add(QMessageBox::Cancel, "取消");
            // Writing over someone else's version is never the answer to a stray Enter.
            box.setDefaultButton(QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        case QMessageBox::Cancel: return Answer::Cancel;
        case QMessageBox::Ok: return Answer::Ok;
        case QMessageBox::Save: return Answer::SaveAs;
        default: break;
    }
    // Dismissed without a choice: the answer that changes nothing.
    return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
}

std::optional<std::string> QtHost::openFileDialog(const FileDialogPresets& presets) {
    ++modalRuns_;
    return runFileDialog(window_, presets, DialogMode::Open);
}

std::optional<std::string> QtHost::saveFileDialog(const FileDialogPresets& presets) {
    ++modalRuns_;
    return runFileDialog(window_, presets, DialogMode::Save);
}

ScreenPoint QtHost::cursorPos() {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

void QtHost::setCursorPos(ScreenPoint p) { QCursor::setPos(p.x, p.y); }

ScreenPoint QtHost::screenToCanvas(ScreenPoint p) {
    if (!canvas_) return p;
    const QPoint local = canvas_->mapFromGlobal(QPoint(p.x, p.y)) - canvas_->clientOrigin();
    return {local.x(), local.y()};
}

ScreenPoint QtHost::canvasToScreen(ScreenPoint p) {
    if (!canvas_) return p;
    const QPoint global = canvas_->mapToGlobal(QPoint(p.x, p.y) + canvas_->clientOrigin());
    return {global.x(), global.y()};
}

void QtHost::setCanvasCursor(CursorKind kind) {
    cursorKind_ = kind;
    if (canvas_) canvas_->setCursor(cursorFor(kind));
}

void QtHost::focusCanvas() {
    if (canvas_) canvas_->setFocus(Qt::OtherFocusReason);
}

void QtHost::focusEditor(EditorBox box) {
    if (beforeEditorFocus_) beforeEditorFocus_();
    QWidget* w = editorBoxes_[box == EditorBox::Text1 ? 0 : 1];
    if (!w) return;
    // Back from a message the window may not be active yet (without a window
    // manager, not ever), and the box would not get the keys typed next.
    if (!w->isActiveWindow()) w->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
}

void QtHost::popupEditMenu() { popupEditMenuAt(QCursor::pos()); }

void QtHost::popupEditMenuAt(QPoint global) {
    // Modal, like the rules expect: the chosen command has run when this returns.
    if (!editMenu_) return;
    ++modalRuns_;
    editMenu_->exec(global);
}

void QtHost::setTimerEnabled(TimerId timer, bool enabled) {
    QTimer& t = this->timer(timer);
    if (enabled && !t.isActive()) t.start();
    if (!enabled) t.stop();
}

void QtHost::whenIdle(int restMs, std::function<bool()> step) {
    idleStep_ = std::move(step);
    if (!idleStep_) {
        idle_.stop();
        return;
    }
    idle_.start(restMs);
}

bool QtHost::pointerSnapAllowed() {
    if (!canvas_ || !window_ || !window_->isActiveWindow()) return false;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return false;
    // Over the part of the canvas in view: a zoomed canvas reaches past its window.
    const QPoint at = canvas_->mapFromGlobal(QCursor::pos());
    return canvas_->contentsRect().contains(at) && canvas_->visibleRegion().contains(at);
}

bool QtHost::startHelpViewer(const std::string& path, std::function<void()> failed) {
    const QString file = QString::fromStdString(path);
    for (const QString& program : helpViewers_) {
        if (QStandardPaths::findExecutable(program).isEmpty()) continue;
        // Not a child of anything: the viewer outlives the window, and a QProcess
        // destroyed with it would end the viewer too. It goes when the viewer ends.
        auto* viewer = new QProcess;
        viewer->setProgram(program);
        viewer->setArguments({file});
        viewer->setStandardInputFile(QProcess::nullDevice());
        viewer->setProcessChannelMode(QProcess::ForwardedChannels);
        viewer->start();
        if (!viewer->waitForStarted()) {
            delete viewer;
            continue;
        }
        QObject::connect(viewer, &QProcess::finished, viewer,
                         [viewer, failed = std::move(failed)](int code, QProcess::ExitStatus status) {
                             if ((status != QProcess::NormalExit || code != 0) && failed) failed();
                             viewer->deleteLater();
                         });
        return true;
    }
    return false;
}

}  // namespace qm
