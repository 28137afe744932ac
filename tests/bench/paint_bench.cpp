// Painting the largest drawing the limits allow: one full repaint of the canvas;
// the frames of a drag (the event in the core plus the frame drawn): the first,
// after the press, one while moving, and the last, after the release, at 100%,
// 200% and 400%; a zoom step to its first frame; and Undo and Redo of a drag with
// their frames; at device pixel ratios 1 and 2. A frame should fit in one 60 Hz
// refresh, 16.7 ms; a zoom step and Undo, repaint included, in 100 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <utility>

#include <QImage>
#include <QPainter>

#include "edit/quillmap_commands.h"
#include "edit/undo.h"
#include "interact/inner_labels.h"
#include "interact/move.h"
#include "interact/pointer_routing.h"
#include "interact/selection.h"
#include "interact/timers.h"
#include "large_document.h"
#include "model/chart_elements.h"
#include "model/element_parts.h"
#include "model/moving_parts.h"
#include "model/null_host.h"
#include "model/sel_kind.h"
#include "render/guides_painter.h"
#include "model/text_metrics_cache.h"
#include "render/canvas_frames.h"
#include "render/device_pixels.h"
#include "render/paint_cache.h"
#include "render/qt_text_metrics.h"
#include "render/zoomed_view.h"

namespace qm {
namespace {

const QSize kClient(957, 637);  // the canvas's client area in logical pixels; also the window's view of it

struct Large {
    NullHost host;
    QtTextMetrics metrics;
    Editor ed{host, metrics};
    Large() {
        startUp(ed);
        bench::fillToTheLimits(ed);
        // As after any label release: every rectangle holds up to 255 free labels,
        // which move with it.
        rebuildShapeInnerLists(ed.doc);
        rebuildDiamondInnerLists(ed.doc);
    }
};

const Document& largeDocument() {
    static Large large;
    return large.ed.doc;
}

QImage frame(qreal dpr) {
    QImage img(kClient * dpr, QImage::Format_RGB32);
    img.setDevicePixelRatio(dpr);
    return img;
}

void BM_FullRepaint(benchmark::State& state) {
    const Document& doc = largeDocument();
    const qreal dpr = static_cast<qreal>(state.range(0));
    QImage img = frame(dpr);
    const PaintOptions options = defaultPaintOptions();
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter p(&img);
        paintDocument(p, doc, options);
    }
}
BENCHMARK(BM_FullRepaint)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The canvas of the editor on a copy of the largest drawing, driven as the editing
// view drives it: every event goes into the core; after a press or a release (any
// event but a move) the layer catches up with the document, the areas that gives
// are painted as the canvas's paint event paints them, and once that frame is
// shown the history settles; after a move only the moving parts are shown anew.
// Labels are measured through the editor's cache. The layer starts as the
// drawing was first shown.
// Zoomed, the screen is a window of the canvas's size at 100% that shows the part
// of the zoomed canvas round a point. Positions are canvas client twips.
class Canvas {
public:
    // The pointer where the label timer reads it: screen pixels of the canvas.
    struct Host : NullHost {
        ScreenPoint at;
        ScreenPoint cursorPos() override { return at; }
    };

    explicit Canvas(qreal dpr, qreal zoom = 1, QPointF middle = {}) : dpr_(dpr), img_(frame(dpr)) {
        ed_.doc = largeDocument();
        startHistory(ed_, Layout::Quillmap);
        zoomTo(zoom, middle);
    }

    // A zoom step, as the canvas takes one, to the frame that shows the drawing at
    // `zoom` with the canvas point `middle` (twips) in the middle of the window.
    void zoomTo(qreal zoom, QPointF middle) {
        ed_.twipsPerScreenPixel = static_cast<float>(kTwipsPerPixel / zoom);
        view_.zoom = zoom;
        // Scrolled by whole pixels as far as the canvas reaches, as a scroll area does.
        const QPointF centred =
            (QPointF(kClient.width(), kClient.height()) / 2 - middle / kTwipsPerPixel * zoom).toPoint();
        const QSizeF spare = QSizeF(kClient) - QSizeF(kClient) * zoom;
        view_.origin = QPointF(std::clamp(centred.x(), std::min(0.0, spare.width()), 0.0),
                               std::clamp(centred.y(), std::min(0.0, spare.height()), 0.0));
        cache_.invalidate();
        look_ = canvasPaintOptions(ed_.doc, std::move(look_));
        img_.fill(kCanvasBackground);  // where the window shows no canvas
        show(cache_.catchUp(ed_.doc, moving_, kClient, options()));
    }

    // The frame after a press, a move, a release, an Undo and a Redo. `onCanvas`:
    // the press goes to the canvas even where a label lies above it.
    void press(float x, float y, bool onCanvas) {
        point(x, y);
        if (onCanvas) ed_.capture = {PointerTarget::Canvas, 0};
        pointerDown(ed_, 1, 0, x, y);
        refresh();
    }
    // A move and the label timer's tick after it, which carries a label.
    void move(float x, float y) {
        point(x, y);
        pointerMove(ed_, 1, 0, x, y);
        timer1Tick(ed_);
        // As the canvas's one paint event for all that is due.
        showScreen(onScreen(cache_.moved(ed_.doc, moving_)) + guidesMoved());
    }
    void release(float x, float y) {
        point(x, y);
        pointerUp(ed_, 1, 0, x, y);
        refresh();
    }
    void undo() {
        qm::undo(ed_);
        refresh();
    }
    void redo() {
        qm::redo(ed_);
        refresh();
    }

    // 全选, a chosen set, a nudge: each with its frame.
    void selectAll() {
        qm::selectAll(ed_);
        refresh();
    }
    void select(std::vector<ElementRef> elements) {
        selectElements(ed_, std::move(elements));
        refresh();
    }
    void nudge(float dx, float dy) {
        nudgeSelection(ed_, dx, dy);
        refresh();
    }

    // The drawing left at rest, as the canvas prepares between events what 全选
    // would raise; the longest slice of that work, in ms, which delays any input
    // that arrives meanwhile.
    double rest() {
        double longest = 0;
        const auto step = [&longest](auto&& work) {
            const auto start = std::chrono::steady_clock::now();
            work();
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            longest = std::max(longest, took.count());
        };
        PaintOptions all;
        step([&] { all = view_.paintOptions(canvasPaintOptions(ed_.doc, selectedByAll(ed_)), dpr_); });
        for (bool more = true; more;)
            step([&] { more = cache_.prepareRaised(ed_.doc, kClient, dpr_ * view_.zoom, all); });
        if (!cache_.raisedPrepared()) throw std::runtime_error("nothing was prepared for 全选");
        return longest;
    }

    const Editor& editor() const { return ed_; }
    // Guide lines while dragging, drawn over each frame as the canvas draws them.
    void alignmentGuides(bool on) { ed_.alignmentGuides = on; }
    size_t guideMarks() const { return ed_.guides.xs.size() + ed_.guides.ys.size(); }
    // When the last frame was shown, and when the history had settled after it;
    // a move settles nothing.
    using Time = std::chrono::steady_clock::time_point;
    std::optional<std::pair<Time, Time>> lastFrame() const {
        if (shown_ == Time{}) return std::nullopt;
        return std::pair{shown_, settled_};
    }
    void forgetFrame() { shown_ = settled_ = Time{}; }
    size_t movingCount() const { return moving_.size(); }
    // The screen against the whole drawing painted afresh, at the density the
    // layer holds it.
    bool showsTheDrawing() {
        const qreal density = dpr_ * view_.zoom;
        QImage canvas(std::ceil(kClient.width() * density), std::ceil(kClient.height() * density), QImage::Format_RGB32);
        canvas.setDevicePixelRatio(density);
        canvas.fill(kCanvasBackground);
        QPainter p(&canvas);
        followDensity(p, canvas);  // zoomed out, the image's ratio is below one
        paintDocument(p, ed_.doc, options());
        p.end();
        QImage full = frame(dpr_);
        full.fill(kCanvasBackground);
        p.begin(&full);
        toCanvas(p);
        p.drawImage(QPointF(0, 0), canvas);
        p.end();
        return full == img_;
    }

private:
    void point(float x, float y) {
        const auto screen = [this](float twips) { return static_cast<int32_t>(std::lround(twips / ed_.twipsPerScreenPixel)); };
        host_.at = {screen(x), screen(y)};
    }
    void refresh() {
        moving_ = movingParts(ed_, ed_.capture.kind != PointerTarget::None);
        look_ = canvasPaintOptions(ed_.doc, std::move(look_));
        showScreen(onScreen(cache_.catchUp(ed_.doc, moving_, kClient, options())) + guidesMoved());
        shown_ = std::chrono::steady_clock::now();
        cache_.settle(ed_.doc, true);  // as the canvas asks it of the idle host
        settle(ed_);
        settled_ = std::chrono::steady_clock::now();
    }
    // As the canvas paints the editor's drawing: the selection in its colour,
    // several selected elements raised above the rest, as the look was when the
    // layer last caught up.
    const PaintOptions& options() { return view_.paintOptions(look_, dpr_); }
    void toCanvas(QPainter& p) const {
        p.translate(view_.origin);
        if (view_.zoom != 1) p.scale(view_.zoom, view_.zoom);
    }
    // The areas of the drawing, painted where the window shows them.
    void show(const QRegion& dirty) { showScreen(onScreen(dirty)); }
    QRegion onScreen(const QRegion& dirty) const {
        QRegion shown;
        for (const QRect& r : dirty) shown += view_.toScreen(r);
        return shown;
    }
    void showScreen(QRegion shown) {
        const QRect window(QPoint(0, 0), kClient);
        shown &= window;
        if (shown.isEmpty()) return;
        QPainter p(&img_);
        for (const QRect& area : dueAreas(shown)) {
            p.save();
            p.setClipRect(area);
            toCanvas(p);
            cache_.paint(p, ed_.doc, moving_, kClient, dpr_ * view_.zoom, view_.toClient(area), options(),
                         view_.toClient(window));
            p.restore();
            paintOverlay(p, view_, window, area, {false, guides_});
        }
    }
    // Where guide lines were and are now, to be painted again.
    QRegion guidesMoved() {
        if (ed_.guides.lines == guides_) return {};
        QRegion areas;
        for (const GuideLine& g : guides_) areas += guideArea(view_, g);
        guides_ = ed_.guides.lines;
        for (const GuideLine& g : guides_) areas += guideArea(view_, g);
        return areas;
    }

    Host host_;
    QtTextMetrics qt_;
    CachedTextMetrics metrics_{qt_};
    Editor ed_{host_, metrics_};
    qreal dpr_;
    QImage img_;
    PaintCache cache_;
    std::vector<PartRef> moving_;
    std::vector<GuideLine> guides_;  // shown
    ZoomedView view_;
    PaintOptions look_;
    Time shown_, settled_;
};

enum Frame { First, Middle, Last };

// A budget holds for every frame, not for their mean: the slowest one timed, as
// its own counter. The first iterations count too, as a user meets them. A frame
// ends when it is shown; what follows it (the layer's repairs a press put off, the
// history's step) is timed on its own, as what an input arriving meanwhile would
// wait for.
class Slowest {
public:
    explicit Slowest(Canvas& c) : c_(c) {}
    // Runs `frame`, timed (as the iteration's manual time) or not.
    template <class Run>
    void time(benchmark::State& state, bool timed, Run&& frame) {
        if (!timed) return frame();
        c_.forgetFrame();
        const auto start = std::chrono::steady_clock::now();
        frame();
        const auto end = std::chrono::steady_clock::now();
        const auto shown = c_.lastFrame();
        const std::chrono::duration<double, std::milli> took = (shown ? shown->first : end) - start;
        state.SetIterationTime(took.count() / 1000);
        ms_ = std::max(ms_, took.count());
        if (shown) {
            const std::chrono::duration<double, std::milli> settling = shown->second - shown->first;
            afterFrame_ = std::max(afterFrame_, settling.count());
        }
    }
    void report(benchmark::State& state) const {
        state.counters["slowest ms"] = ms_;
        state.counters["after frame ms"] = afterFrame_;
    }

private:
    Canvas& c_;
    double ms_ = 0, afterFrame_ = 0;
};

// The frames of drags of what lies at (x, y) 300 twips right and back again, on
// `c`, timing only the frame asked for; at the end the screen must show the drawing
// as painted afresh. Returns the parts the last press set moving. `anew`: the
// selection is cleared (its frame untimed) before each press, which selects what
// it drags as a first press on it does.
size_t timeDrags(benchmark::State& state, Canvas& c, Frame timed, float x, float y, SelKind expectKind,
                 bool onCanvas, bool anew = false) {
    float at = x;
    size_t moving = 0;
    Slowest slowest(c);
    for (auto _ : state) {
        const float to = at == x ? x + 300 : x;
        if (anew) c.select({});
        slowest.time(state, timed == First, [&] { c.press(at, y, onCanvas); });
        if (c.editor().doc.selKind != expectKind) {
            state.SkipWithError("the press did not select what is to be dragged");
            break;
        }
        moving = c.movingCount();
        const size_t steps = c.editor().history->steps.steps();
        c.move((at + to) / 2, y);
        slowest.time(state, timed == Middle, [&] { c.move(to, y); });
        slowest.time(state, timed == Last, [&] { c.release(to, y); });
        if (c.editor().history->steps.steps() == steps) {
            state.SkipWithError("the drag moved nothing");
            break;
        }
        at = to;
    }
    slowest.report(state);
    if (!c.showsTheDrawing()) state.SkipWithError("the screen does not show the drawing");
    return moving;
}

// Drags what lies at (x, y) 20 pixels right and back again; zoomed, the window
// shows the canvas round (x, y). At the end the screen must show the drawing as
// painted afresh.
void drag(benchmark::State& state, float x, float y, SelKind expectKind, bool onCanvas, bool guides = false,
          bool anew = false) {
    Canvas c(static_cast<qreal>(state.range(0)), static_cast<qreal>(state.range(1)) / 100, QPointF(x, y));
    c.alignmentGuides(guides);
    c.press(x, y, onCanvas);  // a label is dragged once selected
    c.release(x, y);
    const size_t moving = timeDrags(state, c, static_cast<Frame>(state.range(2)), x, y, expectKind, onCanvas, anew);
    state.counters["moving parts"] = static_cast<double>(moving);
}

void frames(benchmark::internal::Benchmark* b) {
    b->ArgNames({"dpr", "zoom", "frame"});
    for (int dpr : {1, 2})
        for (int zoom : {100, 200, 400})
            for (int f : {First, Middle, Last}) b->Args({dpr, zoom, f});
    // A fixed count: each timed frame comes with a whole drag untimed around it.
    b->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);
}

// Only the press, where what it drags was not selected before it.
void presses(benchmark::internal::Benchmark* b) {
    b->ArgNames({"dpr", "zoom", "frame"});
    for (int dpr : {1, 2})
        for (int zoom : {100, 200, 400}) b->Args({dpr, zoom, First});
    b->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);
}

// Rectangle 1 lies at (60, 4000) under a crowd of labels: the press goes to the
// canvas as if none lay there. Its texts, its 255 inner labels and its handles
// move with it.
void BM_DragRectangle(benchmark::State& state) { drag(state, 100, 4050, SelKind::Shape, true); }
BENCHMARK(BM_DragRectangle)->Apply(frames);

// The press that selects rectangle 1 as it starts the drag: the old selection's
// look and the new one's change in the layer as the crowd is restacked over it.
void BM_PressRectangleAnew(benchmark::State& state) { drag(state, 100, 4050, SelKind::Shape, true, false, true); }
BENCHMARK(BM_PressRectangleAnew)->Apply(presses);

// The same with guides on: the edges and centres of everything else, tens of
// thousands of them, are gathered at the press; each move only looks them up.
void BM_DragRectangleWithGuides(benchmark::State& state) {
    drag(state, 100, 4050, SelKind::Shape, true, true);
}
BENCHMARK(BM_DragRectangleWithGuides)->Apply(frames);

// The press takes the last arrow drawn, 150 twips in from the canvas's corner on
// its closing segment, which slants from its far end back to that corner across
// the whole drawing: 129 segments, its head and its handles.
QPointF onLastArrow() {
    const Document& doc = largeDocument();
    const ArrowRecord& r = doc.arrowRec[static_cast<size_t>(doc.arrowCount)];
    const LineEl& s = *doc.Line1.find(r.slot[static_cast<size_t>(r.segmentCount())]);
    const bool fromCorner = std::fabs(s.x1) < std::fabs(s.x2);
    const float cx = fromCorner ? s.x1 : s.x2, cy = fromCorner ? s.y1 : s.y2;
    const float fx = fromCorner ? s.x2 : s.x1, fy = fromCorner ? s.y2 : s.y1;
    const float along = 150 / (fx - cx);
    return {std::round(cx + 150), std::round(cy + (fy - cy) * along)};
}
void BM_DragArrow(benchmark::State& state) {
    const QPointF at = onLastArrow();
    drag(state, static_cast<float>(at.x()), static_cast<float>(at.y()), SelKind::Arrow, true);
}
BENCHMARK(BM_DragArrow)->Apply(frames);

// The press that selects that arrow as it starts the drag.
void BM_PressArrowAnew(benchmark::State& state) {
    const QPointF at = onLastArrow();
    drag(state, static_cast<float>(at.x()), static_cast<float>(at.y()), SelKind::Arrow, true, false, true);
}
BENCHMARK(BM_PressArrowAnew)->Apply(presses);

// The last label lies above all others, in the thick of them.
void BM_DragLabel(benchmark::State& state) {
    const LabelEl& l = *largeDocument().Label.find(kMaxIndex);
    drag(state, l.left + 100, l.top + 100, SelKind::Label, false);
}
BENCHMARK(BM_DragLabel)->Apply(frames);

// 全选 on the largest drawing, to its frame: every element but the title block
// drawn as selected and raised; or the frame of the click that clears it again.
// Each 全选 comes after the drawing has rested, which the canvas uses to prepare
// the raised layer.
void BM_SelectAll(benchmark::State& state) {
    Canvas c(static_cast<qreal>(state.range(0)));
    const bool timeClear = state.range(1) == 1;
    Slowest slowest(c);
    double slice = 0;
    for (auto _ : state) {
        slice = std::max(slice, c.rest());
        slowest.time(state, !timeClear, [&] { c.selectAll(); });
        if (c.editor().doc.selKind != SelKind::Several) state.SkipWithError("全选 selected nothing");
        slowest.time(state, timeClear, [&] { c.select({}); });
    }
    slowest.report(state);
    state.counters["prepare slice ms"] = slice;
    if (!c.showsTheDrawing()) state.SkipWithError("the screen does not show the drawing");
    c.selectAll();
    if (!c.showsTheDrawing()) state.SkipWithError("the screen does not show the selection");
}
BENCHMARK(BM_SelectAll)
    ->ArgNames({"dpr", "clear"})
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// A drag of all the elements together. The largest drawing fills the canvas to
// every edge, where a selection stops as a whole, so everything at once cannot
// move at all: the selection is every element but the few that come within 400
// twips of the right edge (some labels and the arrows' far ends), dragged 20
// pixels right by rectangle 1 and back, as BM_DragRectangle drags it alone.
void BM_DragNearlyEverything(benchmark::State& state) {
    Canvas c(static_cast<qreal>(state.range(0)));
    std::vector<ElementRef> group;
    for (const ElementRef& e : chartElements(c.editor().doc)) {
        const BoxF b = outlineOf(c.editor().doc, e).value_or(BoxF{});
        if (e.kind != ElementKind::TitleBlock && b.right < 14415 - 400) group.push_back(e);
    }
    c.select(group);
    timeDrags(state, c, static_cast<Frame>(state.range(1)), 100, 4050, SelKind::Several, true);
    state.counters["selected"] = static_cast<double>(group.size());
}
BENCHMARK(BM_DragNearlyEverything)
    ->ArgNames({"dpr", "frame"})
    ->ArgsProduct({{1, 2}, {First, Middle, Last}})
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// One element nudged a pixel by an arrow key, to its frame: rectangle 1, under
// its crowd of labels.
void BM_NudgeOne(benchmark::State& state) {
    Canvas c(static_cast<qreal>(state.range(0)));
    c.select({{ElementKind::Shape, 1}});
    float dx = 15;
    Slowest slowest(c);
    for (auto _ : state) {
        slowest.time(state, true, [&] { c.nudge(dx, 0); });
        dx = -dx;
    }
    slowest.report(state);
    if (!c.showsTheDrawing()) state.SkipWithError("the screen does not show the drawing");
}
BENCHMARK(BM_NudgeOne)->ArgName("dpr")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);

// A zoom step from the level before to `zoom` (percent), the layer forgotten, the
// drawing recorded afresh and the window painted: from the key to the first frame
// at the new zoom. The window shows the middle of the canvas.
void BM_ZoomStep(benchmark::State& state) {
    const qreal dpr = static_cast<qreal>(state.range(0));
    const qreal zoom = static_cast<qreal>(state.range(1)) / 100;
    const qreal before = zoom > 1 ? zoom / 2 : zoom == 1 ? 0.75 : zoom * 2;  // a step in, or out to 25%
    const QPointF middle(14415.0 / 2, 9615.0 / 2);
    Canvas c(dpr, before, middle);
    Slowest slowest(c);
    for (auto _ : state) {
        slowest.time(state, true, [&] { c.zoomTo(zoom, middle); });
        c.zoomTo(before, middle);
    }
    slowest.report(state);
    c.zoomTo(zoom, middle);
    if (!c.showsTheDrawing()) state.SkipWithError("the screen does not show the drawing");
}
BENCHMARK(BM_ZoomStep)
    ->ArgNames({"dpr", "zoom"})
    ->ArgsProduct({{1, 2}, {25, 100, 200, 400}})
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// Undo of a drag of rectangle 1 and the Redo after it, each with its frame: the
// whole drawing put back from the history, the layer brought in line with it.
void BM_UndoRedoDrag(benchmark::State& state) {
    const bool timeUndo = state.range(1) == 0;
    Canvas c(static_cast<qreal>(state.range(0)));
    c.press(100, 4050, true);
    c.move(400, 4050);
    c.release(400, 4050);
    for (auto _ : state) {
        if (!timeUndo) state.PauseTiming();
        c.undo();
        if (!timeUndo) state.ResumeTiming();
        if (timeUndo) state.PauseTiming();
        c.redo();
        if (timeUndo) state.ResumeTiming();
    }
    if (!c.showsTheDrawing()) state.SkipWithError("the screen does not show the drawing");
}
BENCHMARK(BM_UndoRedoDrag)
    ->ArgNames({"dpr", "redo"})
    ->Args({1, 0})->Args({1, 1})->Args({2, 0})->Args({2, 1})
    ->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace qm
