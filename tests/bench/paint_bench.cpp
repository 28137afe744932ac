// Painting the largest drawing the limits allow: one full repaint of the canvas;
// the frames of a drag (the event in the core plus the frame drawn): the first,
// after the press, one while moving, and the last, after the release; and Undo
// and Redo of a drag with their frames, at device pixel ratios 1 and 2. A frame
// should fit in one 60 Hz refresh, 16.7 ms; Undo, repaint included, in 100 ms.
#include <benchmark/benchmark.h>

#include <cmath>

#include <QImage>
#include <QPainter>

#include "edit/quillmap_commands.h"
#include "edit/undo.h"
#include "interact/pointer_routing.h"
#include "interact/selection.h"
#include "interact/timers.h"
#include "large_document.h"
#include "model/null_host.h"
#include "model/sel_kind.h"
#include "model/text_metrics_cache.h"
#include "render/paint_cache.h"
#include "render/qt_text_metrics.h"

namespace qm {
namespace {

const QSize kClient(957, 637);  // the canvas's client area in logical pixels

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
// event but a move) the history settles and the layer catches up with the
// document, after a move only the moving parts are shown anew, and the areas that
// gives are painted as the canvas's paint event paints them. Labels are measured
// through the editor's cache. The layer starts as the drawing was first shown.
// Positions are canvas client twips.
class Canvas {
public:
    // The pointer where the label timer reads it: canvas client pixels.
    struct Host : NullHost {
        ScreenPoint at;
        ScreenPoint cursorPos() override { return at; }
    };

    explicit Canvas(qreal dpr) : dpr_(dpr), img_(frame(dpr)) {
        ed_.doc = largeDocument();
        startHistory(ed_, Layout::Quillmap);
        show(cache_.catchUp(ed_.doc, moving_, kClient, options_));
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
        show(cache_.moved(ed_.doc, moving_));
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

    const Editor& editor() const { return ed_; }
    size_t movingCount() const { return moving_.size(); }
    // The screen against the whole drawing painted afresh.
    bool showsTheDrawing() const {
        QImage full = frame(dpr_);
        full.fill(kCanvasBackground);
        QPainter p(&full);
        paintDocument(p, ed_.doc, options_);
        p.end();
        return full == img_;
    }

private:
    void point(float x, float y) { host_.at = {static_cast<int32_t>(std::lround(x / kTwipsPerPixel)), static_cast<int32_t>(std::lround(y / kTwipsPerPixel))}; }
    void refresh() {
        settle(ed_);
        moving_ = movingParts(ed_.doc, ed_.capture.kind != PointerTarget::None);
        show(cache_.catchUp(ed_.doc, moving_, kClient, options_));
    }
    void show(const QRegion& dirty) {
        QPainter p(&img_);
        p.setClipRegion(dirty);
        cache_.paint(p, ed_.doc, moving_, kClient, dpr_, QRectF(dirty.boundingRect()), options_);
    }

    Host host_;
    QtTextMetrics qt_;
    CachedTextMetrics metrics_{qt_};
    Editor ed_{host_, metrics_};
    qreal dpr_;
    QImage img_;
    PaintCache cache_;
    std::vector<PartRef> moving_;
    const PaintOptions options_ = defaultPaintOptions();
};

enum Frame { First, Middle, Last };

// Drags what lies at (x, y) 20 pixels right and back again, timing only the frames
// asked for. At the end the screen must show the drawing as painted afresh.
void drag(benchmark::State& state, float x, float y, SelKind expectKind, bool onCanvas) {
    const Frame timed = static_cast<Frame>(state.range(1));
    Canvas c(static_cast<qreal>(state.range(0)));
    c.press(x, y, onCanvas);  // a label is dragged once selected
    c.release(x, y);
    float at = x;
    size_t moving = 0;
    for (auto _ : state) {
        const float to = at == x ? x + 300 : x;
        state.PauseTiming();
        if (timed == First) state.ResumeTiming();
        c.press(at, y, onCanvas);
        if (timed == First) state.PauseTiming();
        if (c.editor().doc.selKind != expectKind) {
            state.SkipWithError("the press did not select the element to drag");
            break;
        }
        moving = c.movingCount();
        const size_t steps = c.editor().history->steps.steps();
        c.move((at + to) / 2, y);
        if (timed == Middle) state.ResumeTiming();
        c.move(to, y);
        if (timed == Middle) state.PauseTiming();
        if (timed == Last) state.ResumeTiming();
        c.release(to, y);
        if (timed != Last) state.ResumeTiming();
        if (c.editor().history->steps.steps() == steps) {
            state.SkipWithError("the drag moved nothing");
            break;
        }
        at = to;
    }
    if (!c.showsTheDrawing()) state.SkipWithError("the screen does not show the drawing");
    state.counters["moving parts"] = static_cast<double>(moving);
}

void frames(benchmark::internal::Benchmark* b) {
    b->ArgNames({"dpr", "frame"});
    for (int dpr : {1, 2})
        for (int f : {First, Middle, Last}) b->Args({dpr, f});
    // A fixed count: each timed frame comes with a whole drag untimed around it.
    b->Unit(benchmark::kMillisecond)->Iterations(30);
}

// Rectangle 1 lies at (60, 4000) under a crowd of labels: the press goes to the
// canvas as if none lay there. Its texts, its 255 inner labels and its handles
// move with it.
void BM_DragRectangle(benchmark::State& state) { drag(state, 100, 4050, SelKind::Shape, true); }
BENCHMARK(BM_DragRectangle)->Apply(frames);

// The press at (150, 112) takes the last arrow drawn, whose closing segment slants
// from its far end back to the canvas's corner, across the whole drawing: 129
// segments, its head and its handles.
void BM_DragArrow(benchmark::State& state) { drag(state, 150, 112, SelKind::Arrow, true); }
BENCHMARK(BM_DragArrow)->Apply(frames);

// The last label lies above all others, in the thick of them.
void BM_DragLabel(benchmark::State& state) {
    const LabelEl& l = *largeDocument().Label.find(kMaxIndex);
    drag(state, l.left + 100, l.top + 100, SelKind::Label, false);
}
BENCHMARK(BM_DragLabel)->Apply(frames);

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
