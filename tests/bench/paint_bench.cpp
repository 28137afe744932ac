// Painting the largest drawing the limits allow: one full repaint of the canvas,
// and one frame of a drag (the pointer move in the core plus the frame drawn from
// the cached layer), at device pixel ratios 1 and 2. A frame should fit in one
// 60 Hz refresh, 16.7 ms.
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

// Presses at (x, y) on a copy of the large drawing and drags from there; each
// iteration moves the pointer one step and draws the frame.
void dragFrames(benchmark::State& state, float x, float y, int16_t expectKind) {
    NullHost host;
    QtTextMetrics metrics;
    Editor ed(host, metrics);
    ed.doc = largeDocument();
    canvasPress(ed, 1, 0, x, y);
    if (ed.doc.selKind != expectKind) {
        state.SkipWithError("the press did not select the element to drag");
        return;
    }
    const std::vector<PartRef> moving = movingParts(ed.doc, true);
    const qreal dpr = static_cast<qreal>(state.range(0));
    QImage img = frame(dpr);
    const PaintOptions options = defaultPaintOptions();
    PaintCache cache;
    {
        QPainter p(&img);  // the first frame builds the layer, once per drag
        cache.paint(p, ed.doc, moving, kClient, dpr, QRectF(), options);
    }
    int step = 0;
    for (auto _ : state) {
        ++step;
        const float d = static_cast<float>(step % 40) * 15;
        canvasMove(ed, 1, 0, x + d, y + d / 2);
        QPainter p(&img);
        cache.paint(p, ed.doc, moving, kClient, dpr, QRectF(), options);
    }
    state.counters["moving parts"] = static_cast<double>(moving.size());
}

// Rectangle 1 lies at (60, 4000) with up to 255 free labels inside it.
void BM_DragFrameRectangle(benchmark::State& state) { dragFrames(state, 100, 4050, SelKind::Shape); }
BENCHMARK(BM_DragFrameRectangle)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Arrow 1, 129 segments along y = 112.
void BM_DragFrameArrow(benchmark::State& state) { dragFrames(state, 150, 112, SelKind::Arrow); }
BENCHMARK(BM_DragFrameArrow)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

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
