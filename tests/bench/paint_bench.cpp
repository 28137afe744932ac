// Painting the largest drawing the limits allow: one full repaint of the canvas,
// and the frames of a drag (the event in the core plus the frame drawn): the
// first, after the press, one while moving, and the last, after the release, at
// device pixel ratios 1 and 2. A frame should fit in one 60 Hz refresh, 16.7 ms.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "app/paint_cache.h"
#include "app/qt_text_metrics.h"
#include "interact/pointer.h"
#include "large_document.h"
#include "model/new_document.h"
#include "model/null_host.h"
#include "model/sel_kind.h"

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

// A drag on a copy of the largest drawing as the canvas shows it: every event goes
// into the core, then the layer catches up with the document (after a press or a
// release) or only the moving parts are shown anew (after a move), and the areas
// that gives are painted as the canvas's paint event paints them. The layer starts
// as the drawing was first shown. Positions are canvas client twips.
class Drag {
public:
    explicit Drag(qreal dpr) : dpr_(dpr), img_(frame(dpr)) {
        ed_.doc = largeDocument();
        show(cache_.catchUp(ed_.doc, moving_, kClient, options_));
    }

    // The frame after a press, a move and a release.
    void press(float x, float y) {
        canvasPress(ed_, 1, 0, x, y);
        refresh(true);
    }
    void move(float x, float y) {
        canvasMove(ed_, 1, 0, x, y);
        show(cache_.moved(ed_.doc, moving_));
    }
    void release(float x, float y) {
        canvasRelease(ed_, 1, 0, x, y);
        refresh(false);
    }

    const Document& doc() const { return ed_.doc; }
    size_t movingCount() const { return moving_.size(); }

private:
    void refresh(bool pressed) {
        moving_ = movingParts(ed_.doc, pressed);
        show(cache_.catchUp(ed_.doc, moving_, kClient, options_));
    }
    void show(const QRegion& dirty) {
        QPainter p(&img_);
        p.setClipRegion(dirty);
        cache_.paint(p, ed_.doc, moving_, kClient, dpr_, QRectF(dirty.boundingRect()), options_);
    }

    NullHost host_;
    QtTextMetrics metrics_;
    Editor ed_{host_, metrics_};
    qreal dpr_;
    QImage img_;
    PaintCache cache_;
    std::vector<PartRef> moving_;
    const PaintOptions options_ = defaultPaintOptions();
};

enum Frame { First, Middle, Last };

// Drags what lies at (x, y) 20 pixels right and back again, timing only the frames
// asked for. The events go straight to the canvas, as if no label lay above it.
void drag(benchmark::State& state, float x, float y, int16_t expectKind) {
    const Frame timed = static_cast<Frame>(state.range(1));
    Drag d(static_cast<qreal>(state.range(0)));
    float at = x;
    size_t moving = 0;
    for (auto _ : state) {
        const float to = at == x ? x + 300 : x;
        state.PauseTiming();
        if (timed == First) state.ResumeTiming();
        d.press(at, y);
        if (timed == First) state.PauseTiming();
        if (d.doc().selKind != expectKind) {
            state.SkipWithError("the press did not select the element to drag");
            break;
        }
        moving = d.movingCount();
        d.move((at + to) / 2, y);
        if (timed == Middle) state.ResumeTiming();
        d.move(to, y);
        if (timed == Middle) state.PauseTiming();
        if (timed == Last) state.ResumeTiming();
        d.release(to, y);
        if (timed != Last) state.ResumeTiming();
        at = to;
    }
    state.counters["moving parts"] = static_cast<double>(moving);
}

void frames(benchmark::internal::Benchmark* b) {
    b->ArgNames({"dpr", "frame"});
    for (int dpr : {1, 2})
        for (int f : {First, Middle, Last}) b->Args({dpr, f});
    // A fixed count: each timed frame comes with a whole drag untimed around it.
    b->Unit(benchmark::kMillisecond)->Iterations(30);
}

// Rectangle 1 lies at (60, 4000), its texts and handles moving with it.
void BM_DragRectangle(benchmark::State& state) { drag(state, 100, 4050, SelKind::Shape); }
BENCHMARK(BM_DragRectangle)->Apply(frames);

// Arrow 1, 129 segments along y = 112, its head and its handles.
void BM_DragArrow(benchmark::State& state) { drag(state, 150, 112, SelKind::Arrow); }
BENCHMARK(BM_DragArrow)->Apply(frames);

}  // namespace
}  // namespace qm

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
