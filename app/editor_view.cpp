#include "app/editor_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatforminputcontext.h>
#include <qpa/qplatformintegration.h>

#include "app/canvas_accessible.h"
#include "app/canvas_scroll_area.h"
#include "app/canvas_widget.h"
#include "app/editor_boxes.h"
#include "edit/undo.h"
#include "interact/keyboard.h"
#include "interact/label_editing.h"
#include "interact/pointer.h"
#include "interact/pointer_routing.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "model/chart_elements.h"
#include "model/element_parts.h"
#include "model/moving_parts.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "render/canvas_painter.h"
#include "render/fonts.h"
#include "render/paint_cache.h"
#include "render/twips.h"

namespace qm {

namespace {

// The zoom levels the steps go through.
constexpr std::array<qreal, 9> kZoomLevels{0.25, 0.5, 0.75, 1, 1.25, 1.5, 2, 3, 4};

}  // namespace

EditorView::EditorView(CanvasScrollArea* area, QMargins canvasMargins, CanvasGeometry geometry, const Rules* rules)
    : QObject(area), ed_(host_, measured_, geometry, rules), area_(area) {
    setObjectName(QStringLiteral("editorView"));
    installCanvasAccessibility();
    canvas_ = new CanvasWidget;
    canvas_->resize(canvasPixelSize(geometry));
    area->setCanvas(canvas_, canvasMargins);
    area->zoomWheel = [this](int steps, QPoint at) { zoomBy(steps, at); };
    text1_ = new LineBox(canvas_);
    text2_ = new TallBox(canvas_);

    host_.setWindow(area->window());
    host_.setCanvas(canvas_);
    host_.setEditorBox(EditorBox::Text1, text1_);
    host_.setEditorBox(EditorBox::Text2, text2_);
    host_.setBeforeEditorFocus([this] { syncBoxes(); });

    canvas_->hooks.press = [this](const CanvasPointer& p) { press(p); };
    canvas_->hooks.move = [this](const CanvasPointer& p) { move(p); };
    canvas_->hooks.release = [this](const CanvasPointer& p) { release(p); };
    canvas_->hooks.key = [this](const QKeyEvent& e) { return canvasKey(e); };
    canvas_->hooks.modifiers = [this](int shift) {
        modifiersChanged(ed_, shift);
        refreshMoving();
    };
    canvas_->hooks.menuKey = [this] { popupEditMenuAtSelection(); };
    // The canvas prepares the look of 全选 while the user rests.
    canvas_->setIdleHost(&host_, [this] { return selectedByAll(ed_); });
    wireBoxes();

    connect(&host_.timer(TimerId::Timer1), &QTimer::timeout, this, [this] { tick(rulesOf(ed_).timer1Tick); });
    connect(&host_.timer(TimerId::Timer2), &QTimer::timeout, this, [this] { tick(rulesOf(ed_).timer2Tick); });
    // A program without pointer snapping has nothing for Timer2 to do.
    if (!rulesOf(ed_).timer2Tick) host_.timer(TimerId::Timer2).stop();

    canvas_->setDocument(&ed_.doc);
    // Queued: what the clipboard offers is looked at in a slot of its own first.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &EditorView::updateEnabled,
            Qt::QueuedConnection);

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
    canvas_->setIdleHost(nullptr, {});
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
    const auto tab = [this](auto* box) {
        return [this, box](int step) {
            bool used = false;
            perform([&used, step](Editor& ed) { used = editNextText(ed, step); });
            if (used && box->hasFocus()) box->selectText();  // as a box newly opened
            return used;
        };
    };
    text1_->hooks.tab = tab(text1_);
    text2_->hooks.tab = tab(text2_);
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
    connect(menu, &QMenu::aboutToShow, this, &EditorView::updateEnabled);
}

void EditorView::perform(const std::function<void(Editor&)>& command) {
    const bool placing = isNewElement(ed_.doc.selKind);
    command(ed_);
    if (!placing && isNewElement(ed_.doc.selKind)) showNewElement();
    refresh();
}

void EditorView::showNewElement() {
    const QRect inView = canvas_->visibleRegion().boundingRect() & canvas_->contentsRect();
    if (inView.isEmpty()) return;
    const QPoint pointer = canvas_->mapFromGlobal(QCursor::pos());
    const bool over = inView.contains(pointer);
    const CanvasPointer at = canvas_->toTwips(QPointF(over ? pointer : inView.center()));
    placeNewElement(ed_, at.x, at.y);
    // A label follows the pointer on a timer: it waits where it is until the
    // pointer moves.
    labelWaitsAt_ = over ? std::nullopt : std::optional<QPoint>(QCursor::pos());
}

EditorView::Glance EditorView::glance() const {
    const Document& d = ed_.doc;
    return {d.selKind, d.selIndex, ed_.drag.hitIndex, d.isModified(), d.shapeCount, d.labelCount, d.arrowCount, d.segCount,
            d.diamondCount, ed_.text1.visible, ed_.text2.visible};
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
    labelWaitsAt_.reset();
    pointerMove(ed_, p.button, p.shift, p.x, p.y);
    // A button held over the canvas with no press of its own (it was pressed on
    // the frame or outside) still drags what is selected, which then never counted
    // as moving: the drawing catches up with it as after any other change.
    if (p.button && ed_.capture.kind == PointerTarget::None)
        refresh();
    else
        refreshMoving();
}

void EditorView::release(const CanvasPointer& p) {
    pointerUp(ed_, p.button, p.shift, p.x, p.y);
    refresh();
}

bool EditorView::canvasKey(const QKeyEvent& e) {
    const bool shift = e.modifiers() & Qt::ShiftModifier;
    if (isNewElement(ed_.doc.selKind)) {
        const int step = shift ? 10 : 1;  // screen pixels
        switch (e.key()) {
            case Qt::Key_Left: movePointerBy(-step, 0); return true;
            case Qt::Key_Right: movePointerBy(step, 0); return true;
            case Qt::Key_Up: movePointerBy(0, -step); return true;
            case Qt::Key_Down: movePointerBy(0, step); return true;
            // Shift+Enter is the right button: it ends a polyline arrow.
            case Qt::Key_Return:
            case Qt::Key_Enter: clickAtPointer(shift ? kRightButton : kLeftButton); return true;
            default: break;
        }
    }
    switch (e.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            const int step = e.key() == Qt::Key_Backtab || shift ? -1 : 1;
            perform([step](Editor& ed) { selectNextElement(ed, step); });
            return true;
        }
        case Qt::Key_F2:
        case Qt::Key_Return:
        case Qt::Key_Enter: perform([](Editor& ed) { openSelectedText(ed); }); return true;
        default: break;
    }
    // Delete, and the arrow keys that move what is selected.
    static const std::pair<int, int> keys[] = {{Qt::Key_Delete, kDeleteKey}, {Qt::Key_Left, kLeftKey},
                                              {Qt::Key_Up, kUpKey},         {Qt::Key_Right, kRightKey},
                                              {Qt::Key_Down, kDownKey}};
    for (const auto& [qt, code] : keys) {
        if (e.key() != qt) continue;
        // With nothing selected an arrow key is the scroll area's.
        if (code != kDeleteKey && !isSelection(ed_.doc.selKind)) return false;
        perform([code, flags = shiftFlags(e.modifiers())](Editor& ed) { canvasKeyDown(ed, code, flags); });
        return true;
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

void EditorView::movePointerBy(int dx, int dy) {
    const QRect inView = canvas_->visibleRegion().boundingRect() & canvas_->contentsRect();
    if (inView.isEmpty()) return;
    QPoint at = canvas_->mapFromGlobal(QCursor::pos());
    at = inView.contains(at) ? at + QPoint(dx, dy) : inView.center();
    const QRect client = canvas_->contentsRect();
    at = QPoint(std::clamp(at.x(), client.left(), client.right()), std::clamp(at.y(), client.top(), client.bottom()));
    const QPoint onSheet = canvas_->mapTo(area_->widget(), at);
    area_->ensureVisible(onSheet.x(), onSheet.y(), 20, 20);
    host_.setCursorPos({canvas_->mapToGlobal(at).x(), canvas_->mapToGlobal(at).y()});
    // Where moving the system cursor makes no pointer move of its own, the canvas
    // takes one here; where it does, that one finds everything in place already.
    move(canvas_->toTwips(QPointF(at)));
    if (host_.timer(TimerId::Timer1).isActive()) tick(rulesOf(ed_).timer1Tick);
    // A step of the keys that ends near a shape's connection point snaps there at
    // once, not whenever the snapping timer next looks: else where the next step
    // starts would depend on how fast the keys came.
    if (host_.timer(TimerId::Timer2).isActive()) tick(rulesOf(ed_).timer2Tick);
}

void EditorView::clickAtPointer(int button) {
    movePointerBy(0, 0);
    CanvasPointer p = canvas_->toTwips(QPointF(canvas_->mapFromGlobal(QCursor::pos())));
    p.button = button;
    press(p);
    release(p);
}

void EditorView::showElement(ElementRef e, int label) {
    const auto show = [this](const BoxF& b) {
        const QRectF on(canvas_->toWidget(b.left, b.top), canvas_->toWidget(b.right, b.bottom));
        const QPoint middle = canvas_->mapTo(area_->widget(), on.center().toPoint());
        area_->ensureVisible(middle.x(), middle.y(), static_cast<int>(on.width() / 2) + 20,
                             static_cast<int>(on.height() / 2) + 20);
    };
    if (const std::optional<BoxF> b = outlineOf(ed_.doc, e)) show(*b);
    // The text itself last: the title block's outline is its table at the foot of
    // the canvas, and zoomed in, showing that much scrolls its title out of view.
    if (const LabelEl* l = label > 0 ? ed_.doc.Label.find(label) : nullptr)
        show(BoxF{l->left, l->top, l->left + l->width, l->top + l->height});
}

void EditorView::popupEditMenuAtSelection() {
    const QRect inView = canvas_->visibleRegion().boundingRect() & canvas_->contentsRect();
    QPoint at = inView.center();
    if (const std::vector<ElementRef> selected = selectedElements(ed_.doc); !selected.empty()) {
        const BoxF b = outlineOf(ed_.doc, selected.front()).value_or(BoxF{});
        const QPoint middle = canvas_->toWidget((b.left + b.right) / 2, (b.top + b.bottom) / 2).toPoint();
        if (!inView.isEmpty())
            at = QPoint(std::clamp(middle.x(), inView.left(), inView.right()),
                        std::clamp(middle.y(), inView.top(), inView.bottom()));
    }
    host_.popupEditMenuAt(canvas_->mapToGlobal(at));
    refresh();
}

void EditorView::tick(void (*handler)(Editor&)) {
    if (!handler) return;
    if (labelWaitsAt_ && ed_.doc.selKind == SelKind::PlacingLabel && QCursor::pos() == *labelWaitsAt_) return;
    labelWaitsAt_.reset();
    handler(ed_);
    refreshMoving();
}

void EditorView::enableWhen(QAction* action, std::function<bool(EditorView&)> enabled) {
    action->setEnabled(enabled(*this));
    enabling_.emplace_back(action, std::move(enabled));
}

void EditorView::updateEnabled() {
    for (const auto& [action, enabled] : enabling_)
        if (action) action->setEnabled(enabled(*this));
}

void EditorView::refresh() {
    canvas_->setMoving(movingParts(ed_, ed_.capture.kind != PointerTarget::None));
    canvas_->refreshDrawing();
    showOverlay();
    syncBoxes();
    // The frame goes to the screen before the history records the step: on a
    // large drawing, encoding what a drag of many elements changed takes
    // milliseconds that the frame need not wait for. Settling changes nothing
    // that is painted.
    canvas_->paintNow();
    settle(ed_);
    updateEnabled();
    announceChanges(canvas_);
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
    std::vector<PartRef> parts = movingParts(ed_, ed_.capture.kind != PointerTarget::None);
    const Glance now = glance();
    if (now != last_) {
        refresh();
        return;
    }
    canvas_->setMoving(std::move(parts));
    canvas_->refreshMoving();
    showOverlay();
}

void EditorView::showGrid(bool shown) {
    gridShown_ = shown;
    showOverlay();
}

void EditorView::showOverlay() { canvas_->setOverlay({gridShown_, ed_.guides.lines}); }

qreal EditorView::zoom() const { return canvas_->zoom(); }

void EditorView::setZoom(qreal zoom, std::optional<QPoint> anchor) {
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (zoom == canvas_->zoom()) return;
    const QPoint at = anchor.value_or(area_->viewport()->rect().center());
    const CanvasPointer held = canvas_->toTwips(canvas_->mapFrom(area_->viewport(), QPointF(at)));
    canvas_->setZoom(zoom);
    area_->keepUnder(canvas_->toWidget(held.x, held.y), at);
    ed_.twipsPerScreenPixel = static_cast<float>(kTwipsPerPixel / zoom);
    syncBoxes();
    emit zoomChanged(zoom);
}

void EditorView::zoomBy(int steps, std::optional<QPoint> anchor) {
    // From a zoom between two levels (fitted to the window) the first step goes
    // to the next level on.
    constexpr qreal e = 1e-6;
    qreal to = zoom();
    for (; steps > 0; --steps) {
        const auto next = std::upper_bound(kZoomLevels.begin(), kZoomLevels.end(), to + e);
        to = next == kZoomLevels.end() ? kZoomLevels.back() : *next;
    }
    for (; steps < 0; ++steps) {
        const auto here = std::lower_bound(kZoomLevels.begin(), kZoomLevels.end(), to - e);
        to = here == kZoomLevels.begin() ? kZoomLevels.front() : *std::prev(here);
    }
    setZoom(to, anchor);
}

void EditorView::zoomToFit() {
    const QSize room = area_->room() - QSize(2 * kCanvasFrame, 2 * kCanvasFrame);
    const QSize client = canvas_->pictureSize() - QSize(2 * kCanvasFrame, 2 * kCanvasFrame);
    const qreal fit = std::min(static_cast<qreal>(room.width()) / client.width(),
                               static_cast<qreal>(room.height()) / client.height());
    // A hundredth of a percent less, so that rounding the canvas's size up never
    // brings the scrollbars back.
    setZoom(std::floor(fit * 10000) / 10000);
}

void EditorView::syncBoxes() {
    // Re-entered when hiding a box moves the focus and that commits it.
    if (syncDepth_ > 2) return;
    ++syncDepth_;
    const qreal zoom = canvas_->zoom();
    // The text in the box as large as the label's on the zoomed canvas.
    QFont font = labelFont(kDefaultFontName, 9);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * zoom))));
    auto place = [this, zoom, &font](auto* w, const EditBox& box, auto setText) {
        if (box.visible) {
            if (w->font() != font) w->setFont(font);
            const QPointF at = canvas_->toWidget(box.left, box.top);
            const auto scaled = [zoom](float twips) { return static_cast<int>(std::lround(pixels(twips) * zoom)); };
            // Never lower than a line of its own text, or what is typed is cut off.
            const int height = std::max(scaled(box.height), w->fontMetrics().height() + 2);
            w->setGeometry(qRound(at.x()), qRound(at.y()), scaled(box.width), height);
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
