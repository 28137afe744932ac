// The editing surface a program's window is built around: the canvas, the two
// in-place editor boxes, the two timers and the Qt host, all wired to one Editor.
// Every event and command goes into the core here, and afterwards the widgets are
// brought in line with it; quillmap and qmp each put one into their own window.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include <QObject>
#include <QPoint>
#include <QPointer>

#include "app/qt_host.h"
#include "edit/clipboard.h"
#include "edit/recovery.h"
#include "model/editor.h"
#include "model/text_metrics_cache.h"
#include "render/qt_text_metrics.h"

class QKeyEvent;
class QMenu;
class QWidget;

namespace qm {

class CanvasScrollArea;
class CanvasWidget;
class LineBox;
class TallBox;
struct CanvasPointer;

class EditorView : public QObject {
    Q_OBJECT
public:
    // The canvas is created in `area`, at the margins given there, with the
    // geometry's outer size at 100%. `rules` picks the program's handlers (null:
    // quillmap's). The document is empty until the owner runs its start-up on
    // editor() and calls refresh().
    EditorView(CanvasScrollArea* area, QMargins canvasMargins, CanvasGeometry geometry = {},
               const Rules* rules = nullptr);
    ~EditorView() override;

    Editor& editor() { return ed_; }
    QtHost& host() { return host_; }
    const QtTextMetrics& metrics() const { return metrics_; }
    CanvasWidget* canvas() const { return canvas_; }
    CanvasScrollArea* scrollArea() const { return area_; }
    LineBox* text1() const { return text1_; }
    TallBox* text2() const { return text2_; }

    // The menu the rules pop up at the pointer (right button on the canvas or on
    // a label).
    void setEditMenu(QMenu* menu);

    // Runs a command of the core, then brings the widgets in line with it.
    void perform(const std::function<void(Editor&)>& command);

    // An item greyed out whenever `enabled` says so: asked after every event, as
    // a menu opens and when the clipboard changes.
    void enableWhen(QAction* action, std::function<bool(EditorView&)> enabled);
    // Asks those predicates again.
    void updateEnabled();

    // Pastes of one payload in a row, each further right and down.
    PasteSeries& pastes() { return pastes_; }

    // After any event: lets the core settle (a step of the history when the editor
    // has come to rest), then brings the canvas, the editor boxes, the paint cache
    // and the actions given a predicate in line with it.
    void refresh();

    // The grid shown over the canvas, as the program's setting has it.
    void showGrid(bool shown);

    // Keeps a recovery copy of the drawing while it has unsaved changes, in the
    // program's folder of the user's state, and offers the copies of programs
    // that died; true when one was opened. Not started, nothing is kept.
    bool startRecovery(std::string_view program, Layout layout);
    // A normal exit: the copy goes.
    void endRecovery();

    // The zoom of the view, kMinZoom to kMaxZoom (1 is 100%): a setting of the view,
    // never of the drawing, so it is no step of the history and changes nothing
    // in the file. The canvas point under `anchor` (viewport pixels; the middle
    // of the view when none) stays where it is.
    static constexpr qreal kMinZoom = 0.25, kMaxZoom = 4;
    void setZoom(qreal zoom, std::optional<QPoint> anchor = {});
    qreal zoom() const;
    // Steps along the zoom levels (positive: in), from the level nearest the zoom.
    void zoomBy(int steps, std::optional<QPoint> anchor = {});
    // The largest zoom at which the whole canvas fits the view without scrolling.
    void zoomToFit();

    // Scrolls the element into view, at the zoom in use; and its text `label`,
    // when given, wherever the element is too large for the view.
    void showElement(ElementRef e, int label = 0);

signals:
    // The widgets have just been brought in line with the editor.
    void refreshed();
    // The zoom has just changed to `zoom`.
    void zoomChanged(qreal zoom);

private:
    bool gridShown_ = false;
    void showOverlay();
    // What a move or a tick may change without any element following the pointer;
    // compared before and after, so that idle pointer moves do not repaint.
    struct Glance {
        SelKind selKind;
        int16_t selIndex, hitIndex;
        bool modified;
        int16_t shapeCount, labelCount, arrowCount, segCount, diamondCount;
        bool text1, text2;
        bool operator==(const Glance&) const = default;
    };
    Glance glance() const;

    void press(const CanvasPointer& p);
    void move(const CanvasPointer& p);
    void release(const CanvasPointer& p);
    // Every key of the canvas, in one place; true when it was used. The rules of
    // each key are commands of the core.
    bool canvasKey(const QKeyEvent& e);
    // The key that opened an editor box, typed into it.
    void typeIntoOpenBox(const QKeyEvent& e);
    // A new element follows the pointer; with the keyboard alone the keys move the
    // pointer over the canvas (into view first) and click with it, so that every
    // rule of placing, snapping included, holds as with the mouse.
    void movePointerBy(int dx, int dy);
    // A new element appears at once under the pointer over the canvas in view,
    // else in the middle of it.
    void showNewElement();
    void clickAtPointer(int button);
    // The Edit menu over the selected element, or over the canvas in view.
    void popupEditMenuAtSelection();
    void tick(void (*handler)(Editor&));
    // After a move or a tick: repaint the moving parts over the cached layer.
    void refreshMoving();
    void syncBoxes();
    void wireBoxes();
    void commitOnFocusLoss(EditorBox box);
    void updateRecovery();

    QtTextMetrics metrics_;
    CachedTextMetrics measured_{metrics_};  // what the editor measures labels with
    QtHost host_;
    Editor ed_;
    CanvasScrollArea* area_ = nullptr;
    CanvasWidget* canvas_ = nullptr;
    LineBox* text1_ = nullptr;
    TallBox* text2_ = nullptr;
    Glance last_{};
    int syncDepth_ = 0;
    bool dropNextPress_ = false;
    std::optional<QPoint> labelWaitsAt_;  // a new label stays put while the pointer rests here
    std::vector<std::pair<QPointer<QAction>, std::function<bool(EditorView&)>>> enabling_;
    PasteSeries pastes_;
    std::optional<Recovery> recovery_;
    QTimer recoveryTimer_;
};

}  // namespace qm
