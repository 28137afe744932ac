#include "app/editor_view.h"

#include <algorithm>
#include <utility>

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatforminputcontext.h>
#include <qpa/qplatformintegration.h>

#include "app/canvas_widget.h"
#include "app/editor_boxes.h"
#include "edit/undo.h"
#include "interact/label_editing.h"
#include "interact/pointer_routing.h"
#include "interact/rules.h"
#include "render/paint_cache.h"
#include "render/twips.h"

namespace qm {

EditorView::EditorView(QWidget* canvasParent, CanvasGeometry geometry, const Rules* rules)
    : QObject(canvasParent), ed_(host_, measured_, geometry, rules) {
    setObjectName(QStringLiteral("editorView"));
    canvas_ = new CanvasWidget(canvasParent);
    const QPoint origin = canvasParent->contentsRect().topLeft();
    canvas_->setGeometry(origin.x() + pixels(geometry.left), origin.y() + pixels(geometry.top),
                         pixels(geometry.width), pixels(geometry.height));
    text1_ = new LineBox(canvas_);
    text2_ = new TallBox(canvas_);

    host_.setWindow(canvasParent->window());
    host_.setCanvas(canvas_);
    host_.setEditorBox(EditorBox::Text1, text1_);
    host_.setEditorBox(EditorBox::Text2, text2_);
    host_.setBeforeEditorFocus([this] { syncBoxes(); });

    canvas_->hooks.press = [this](const CanvasPointer& p) { press(p); };
    canvas_->hooks.move = [this](const CanvasPointer& p) { move(p); };
    canvas_->hooks.release = [this](const CanvasPointer& p) { release(p); };
    canvas_->hooks.key = [this](const QKeyEvent& e) { return canvasKey(e); };
    wireBoxes();

    connect(&host_.timer(TimerId::Timer1), &QTimer::timeout, this, [this] { tick(rulesOf(ed_).timer1Tick); });
    connect(&host_.timer(TimerId::Timer2), &QTimer::timeout, this, [this] { tick(rulesOf(ed_).timer2Tick); });
    // A program without pointer snapping has nothing for Timer2 to do.
    if (!rulesOf(ed_).timer2Tick) host_.timer(TimerId::Timer2).stop();

    canvas_->setDocument(&ed_.doc);

    // Asked every second, and once more after each event has been dealt with; the
    // core decides whether a copy is due. Never inside an event's handling, since
    // a failed copy is reported in a message box.
    recoveryTimer_.setInterval(1000);
    connect(&recoveryTimer_, &QTimer::timeout, this, &EditorView::updateRecovery);
}

EditorView::~EditorView() {
    // The widgets may outlive the editor for a moment; nothing they do may reach it.
    recoveryTimer_.stop();
    host_.timer(TimerId::Timer1).stop();
    host_.timer(TimerId::Timer2).stop();
    canvas_->hooks = {};
    canvas_->setDocument(nullptr);
    text1_->hooks = {};
    text2_->hooks = {};
}

void EditorView::wireBoxes() {
    text1_->hooks.textChanged = [this](const std::string& t) { editorTextChanged(ed_, EditorBox::Text1, t); };
    text2_->hooks.textChanged = [this](const std::string& t) {
        editorTextChanged(ed_, EditorBox::Text2, t);
        syncBoxes();
    };
    text1_->hooks.focusLost = [this] { commitOnFocusLoss(EditorBox::Text1); };
    text2_->hooks.focusLost = [this] { commitOnFocusLoss(EditorBox::Text2); };
    text1_->hooks.enterReleased = [this] {
        perform([](Editor& ed) { editorKeyReleased(ed, EditorBox::Text1, kEnterKey); });
    };
    text2_->hooks.enterReleased = [this] {
        perform([](Editor& ed) { editorKeyReleased(ed, EditorBox::Text2, kEnterKey); });
    };
}

void EditorView::commitOnFocusLoss(EditorBox box) {
    bool kept = false;
    perform([box, &kept](Editor& ed) { kept = !commitEditor(ed, box); });
    if (!kept) return;
    // The box kept its refused text and the focus. A press on the canvas that took
    // the focus away arrives after the message: it must not act behind the box nor
    // commit it again. A zero timer ends the wait once that press had its chance.
    dropNextPress_ = true;
    QTimer::singleShot(0, this, [this] { dropNextPress_ = false; });
}

void EditorView::setEditMenu(QMenu* menu) {
    host_.setEditMenu(menu);
    // A right press selects what it lands on and opens the menu before the view
    // has caught up with the press.
    connect(menu, &QMenu::aboutToShow, this, &EditorView::updateActions);
}

void EditorView::perform(const std::function<void(Editor&)>& command) {
    command(ed_);
    refresh();
}

EditorView::Glance EditorView::glance() const {
    const Document& d = ed_.doc;
    return {d.selKind, d.selIndex, d.hitIndex, d.isModified(), d.shapeCount, d.labelCount, d.arrowCount, d.segCount,
            d.diamondCount, ed_.text1.visible, ed_.text2.visible};
}

bool EditorView::canvasKey(const QKeyEvent& e) {
    switch (e.key()) {
        case Qt::Key_Delete: perform(deleteCommand); return true;
        case Qt::Key_F2:
        case Qt::Key_Return:
        case Qt::Key_Enter: perform([](Editor& ed) { openSelectedText(ed); }); return true;
        default: break;
    }
    // A printable key typed on a selected element is the first of its new text.
    const bool typed = !e.text().isEmpty() && e.text().front().isPrint() &&
                       !(e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!typed) return false;
    bool opened = false;
    perform([&opened](Editor& ed) { opened = openSelectedText(ed); });
    if (opened) typeIntoOpenBox(e);
    return opened;
}

void EditorView::typeIntoOpenBox(const QKeyEvent& e) {
    QWidget* box = ed_.text2.visible ? static_cast<QWidget*>(text2_) : text1_;
    QKeyEvent key(e.type(), e.key(), e.modifiers(), e.nativeScanCode(), e.nativeVirtualKey(), e.nativeModifiers(),
                  e.text(), e.isAutoRepeat(), e.count());
    // The canvas takes no input method, so the key came here unseen by one. Given
    // to it now, as the window system gives it keys, it starts a composition in the
    // box that has the focus; handed to the box directly it would be typed raw,
    // and the syllable it begins would be lost.
    QPlatformInputContext* im = QGuiApplicationPrivate::platformIntegration()->inputContext();
    if (box->hasFocus() && im && im->isValid() && im->filterEvent(&key)) return;
    QCoreApplication::sendEvent(box, &key);
}

void EditorView::press(const CanvasPointer& p) {
    if (std::exchange(dropNextPress_, false)) {
        canvas_->forgetPress();
        return;
    }
    const int modal = host_.modalRuns();
    pointerDown(ed_, p.button, p.shift, p.x, p.y);
    if (host_.modalRuns() != modal) {
        // A menu or a message opened on this press has taken its release; without
        // this the next press would still go to the element this one landed on.
        ed_.capture = {};
        canvas_->forgetPress();
    }
    refresh();
}

void EditorView::move(const CanvasPointer& p) {
    pointerMove(ed_, p.button, p.shift, p.x, p.y);
    refreshMoving();
}

void EditorView::release(const CanvasPointer& p) {
    pointerUp(ed_, p.button, p.shift, p.x, p.y);
    refresh();
}

void EditorView::tick(void (*handler)(Editor&)) {
    if (!handler) return;
    handler(ed_);
    refreshMoving();
}

void EditorView::enableWhen(QAction* action, std::function<bool(const Editor&)> enabled) {
    action->setEnabled(enabled(ed_));
    enabling_.emplace_back(action, std::move(enabled));
}

void EditorView::updateActions() {
    for (const auto& [action, enabled] : enabling_)
        if (action) action->setEnabled(enabled(ed_));
}

void EditorView::refresh() {
    settle(ed_);
    updateActions();
    canvas_->setMoving(movingParts(ed_.doc, ed_.capture.kind != PointerTarget::None));
    canvas_->refreshDrawing();
    syncBoxes();
    last_ = glance();
    if (recovery_) QTimer::singleShot(0, this, &EditorView::updateRecovery);
    emit refreshed();
}

bool EditorView::startRecovery(std::string_view program, Layout layout) {
    std::optional<Recovery> started = Recovery::start(ed_, program, layout);
    if (!started) return false;
    recovery_.emplace(std::move(*started));
    recoveryTimer_.start();
    bool opened = false;
    perform([&](Editor& ed) { opened = recovery_->offerOrphans(ed); });
    return opened;
}

void EditorView::endRecovery() {
    recoveryTimer_.stop();
    if (recovery_) recovery_->discard();
    recovery_.reset();
}

void EditorView::updateRecovery() {
    if (recovery_) recovery_->update(ed_, Recovery::Clock::now());
}

void EditorView::refreshMoving() {
    std::vector<PartRef> parts = movingParts(ed_.doc, ed_.capture.kind != PointerTarget::None);
    const Glance now = glance();
    if (now != last_) {
        refresh();
        return;
    }
    if (parts.empty()) return;  // an idle move changes nothing on the canvas
    canvas_->setMoving(std::move(parts));
    canvas_->refreshMoving();
}

void EditorView::syncBoxes() {
    // Re-entered when hiding a box moves the focus and that commits it.
    if (syncDepth_ > 2) return;
    ++syncDepth_;
    auto place = [this](auto* w, const EditBox& box, auto setText) {
        if (box.visible) {
            const QPointF at = canvas_->toWidget(box.left, box.top);
            // Never lower than a line of its own text, or what is typed is cut off.
            const int height = std::max(pixels(box.height), w->fontMetrics().height() + 2);
            w->setGeometry(qRound(at.x()), qRound(at.y()), pixels(box.width), height);
            setText(box.text);
            w->setKeptPrefix(static_cast<int>(QString::fromUtf8(box.text.data(), static_cast<qsizetype>(
                                                  std::min(box.keptPrefix, box.text.size()))).size()));
            if (!w->isVisible()) {
                w->show();
                w->raise();
            }
        } else if (w->isVisible()) {
            if (w->hasFocus()) canvas_->setFocus(Qt::OtherFocusReason);
            w->hide();
        }
    };
    place(text1_, ed_.text1, [this](const std::string& t) { text1_->setUtf8Text(t); });
    place(text2_, ed_.text2, [this](const std::string& t) { text2_->setUtf8Text(t); });
    --syncDepth_;
}

}  // namespace qm
