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
#include <QPointer>

#include "app/qt_host.h"
#include "edit/recovery.h"
#include "model/editor.h"
#include "model/text_metrics_cache.h"
#include "render/qt_text_metrics.h"

class QKeyEvent;
class QMenu;
class QWidget;

namespace qm {

class CanvasWidget;
class LineBox;
class TallBox;
struct CanvasPointer;

class EditorView : public QObject {
    Q_OBJECT
public:
    // The canvas is created inside `canvasParent`, at the geometry's left and top
    // from the parent's contents origin, with the geometry's outer size. `rules`
    // picks the program's handlers (null: quillmap's). The document is empty until
    // the owner runs its start-up on editor() and calls refresh().
    explicit EditorView(QWidget* canvasParent, CanvasGeometry geometry = {}, const Rules* rules = nullptr);
    ~EditorView() override;

    Editor& editor() { return ed_; }
    QtHost& host() { return host_; }
    const QtTextMetrics& metrics() const { return metrics_; }
    CanvasWidget* canvas() const { return canvas_; }
    LineBox* text1() const { return text1_; }
    TallBox* text2() const { return text2_; }

    // The menu the rules pop up at the pointer (right button on the canvas or on
    // a label).
    void setEditMenu(QMenu* menu);

    // Runs a command of the core, then brings the widgets in line with it.
    void perform(const std::function<void(Editor&)>& command);

    // Greys the action out whenever the predicate says it cannot be chosen.
    void enableWhen(QAction* action, std::function<bool(const Editor&)> enabled);

    // After any event: lets the core settle (a step of the history when the editor
    // has come to rest), then brings the canvas, the editor boxes, the paint cache
    // and the actions given a predicate in line with it.
    void refresh();

    // Keeps a recovery copy of the drawing while it has unsaved changes, in the
    // program's folder of the user's state, and offers the copies of programs
    // that died; true when one was opened. Not started, nothing is kept.
    bool startRecovery(std::string_view program, Layout layout);
    // A normal exit: the copy goes.
    void endRecovery();

signals:
    // The widgets have just been brought in line with the editor.
    void refreshed();

private:
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

    bool canvasKey(const QKeyEvent& e);
    void typeIntoOpenBox(const QKeyEvent& e);
    void press(const CanvasPointer& p);
    void move(const CanvasPointer& p);
    void release(const CanvasPointer& p);
    void tick(void (*handler)(Editor&));
    // After a move or a tick: repaint the moving parts over the cached layer.
    void refreshMoving();
    void syncBoxes();
    void updateActions();
    void wireBoxes();
    void commitOnFocusLoss(EditorBox box);
    void updateRecovery();

    QtTextMetrics metrics_;
    CachedTextMetrics measured_{metrics_};  // what the editor measures labels with
    QtHost host_;
    Editor ed_;
    CanvasWidget* canvas_ = nullptr;
    LineBox* text1_ = nullptr;
    TallBox* text2_ = nullptr;
    Glance last_{};
    int syncDepth_ = 0;
    bool dropNextPress_ = false;
    std::vector<std::pair<QPointer<QAction>, std::function<bool(const Editor&)>>> enabling_;
    std::optional<Recovery> recovery_;
    QTimer recoveryTimer_;
};

}  // namespace qm
