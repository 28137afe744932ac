// Core time of pointer events on the largest drawing: every event must stay far
// below a frame, since the shell still has to paint after it.
#include <benchmark/benchmark.h>

#include "edit/clipboard.h"
#include "edit/find_replace.h"
#include "edit/quillmap_commands.h"
#include "interact/inner_labels.h"
#include "interact/label_editing.h"
#include "interact/pointer.h"
#include "interact/pointer_routing.h"
#include "interact/selection.h"
#include "io/clipboard_payload.h"
#include "large_document.h"
#include "model/null_host.h"
#include "model/sel_kind.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

struct Large {
    NullHost host;
    test::FakeMetrics metrics;
    Editor ed{host, metrics};
    Large() {
        startUp(ed);
        bench::fillToTheLimits(ed);
    }
};

Large& large() {
    static Large l;
    return l;
}

// A press scans every shape, diamond and segment whatever it finds.
void BM_CanvasPressAndRelease(benchmark::State& state) {
    Editor& ed = large().ed;
    for (auto _ : state) {
        canvasPress(ed, 1, 0, 14000, 9500);
        canvasRelease(ed, 1, 0, 14000, 9500);
        canvasClick(ed);
    }
}
BENCHMARK(BM_CanvasPressAndRelease)->Unit(benchmark::kMicrosecond);

// Which element is under the pointer: every label and arrowhead is tried.
void BM_PointerTarget(benchmark::State& state) {
    const Document& doc = large().ed.doc;
    for (auto _ : state) benchmark::DoNotOptimize(targetAt(doc, 14000, 9500));
}
BENCHMARK(BM_PointerTarget)->Unit(benchmark::kMicrosecond);

void BM_DragShapeMove(benchmark::State& state) {
    Editor& ed = large().ed;
    const ShapeEl& s = *ed.doc.Shape1.find(200);
    const float x = s.left + 300, y = s.top + 300;
    canvasPress(ed, 1, 0, x, y);
    float dx = 0;
    for (auto _ : state) {
        dx = dx > 500 ? 0 : dx + 7;
        canvasMove(ed, 1, 0, x + dx, y);
    }
    canvasRelease(ed, 1, 0, x, y);
    state.counters["selKind"] = static_cast<double>(ed.doc.selKind);
}
BENCHMARK(BM_DragShapeMove)->Unit(benchmark::kMicrosecond);

void BM_DragArrowMove(benchmark::State& state) {
    Editor& ed = large().ed;
    const LineEl& seg = *ed.doc.Line1.find(ed.doc.arrowRec[250].slot[60]);
    const float x = (seg.x1 + seg.x2) / 2, y = seg.y1;
    canvasPress(ed, 1, 0, x, y);
    float dy = 0;
    for (auto _ : state) {
        dy = dy > 300 ? 0 : dy + 3;
        canvasMove(ed, 1, 0, x, y + dy);
    }
    canvasRelease(ed, 1, 0, x, y);
    state.counters["selKind"] = static_cast<double>(ed.doc.selKind);
}
BENCHMARK(BM_DragArrowMove)->Unit(benchmark::kMicrosecond);

void BM_ReleaseOnLabelRebuildsInnerLists(benchmark::State& state) {
    Editor& ed = large().ed;
    for (auto _ : state) {
        labelPress(ed, 30000, 1);
        labelRelease(ed, 30000, 1);
        labelClick(ed, 30000);
    }
}
BENCHMARK(BM_ReleaseOnLabelRebuildsInnerLists)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qm


namespace qm {
namespace {

void BM_RebuildInnerLists(benchmark::State& state) {
    Document& doc = large().ed.doc;
    for (auto _ : state) {
        rebuildShapeInnerLists(doc);
        rebuildDiamondInnerLists(doc);
    }
    state.counters["shape1Inner"] = doc.shapeRec[1].innerCount;
}
BENCHMARK(BM_RebuildInnerLists)->Unit(benchmark::kMicrosecond);

// Copy (the elements taken out and written as the clipboard's payload) and paste
// (the payload read back and put in) of 100 rectangles with their texts and arrows.
void BM_CopyAndPaste100Shapes(benchmark::State& state) {
    NullHost host;
    test::FakeMetrics metrics;
    Editor ed{host, metrics};
    startUp(ed);
    const std::vector<ElementRef> chart = bench::drawChart(ed, 100);
    const Document drawn = ed.doc;
    size_t pasted = 0;
    for (auto _ : state) {
        const std::string payload = encodePayload(extractElements(ed.doc, chart), Layout::Quillmap).value();
        PasteSeries series;
        pasted = pastePayload(ed, payload, Layout::Quillmap, series).size();
        state.PauseTiming();
        ed.doc = drawn;
        state.ResumeTiming();
    }
    state.counters["pasted"] = static_cast<double>(pasted);
}
BENCHMARK(BM_CopyAndPaste100Shapes)->Unit(benchmark::kMillisecond);

// The find bar counts the hits again at every key typed into its pattern: over
// every text of the largest drawing, most of whose 32,767 labels hold the
// pattern.
void BM_FindInEveryText(benchmark::State& state) {
    const Document& doc = large().ed.doc;
    size_t hits = 0;
    for (auto _ : state) hits = findInChart(doc, TextPattern("添加文", {})).size();
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_FindInEveryText)->Unit(benchmark::kMillisecond);

// 全部替换 over all of them: every new caption checked, then set and laid out.
void BM_ReplaceInEveryText(benchmark::State& state) {
    Editor& ed = large().ed;
    const Document before = ed.doc;
    int texts = 0;
    for (auto _ : state) {
        texts = replaceAll(ed, TextPattern("添加", {}), "加入").texts;
        state.PauseTiming();
        ed.doc = before;
        state.ResumeTiming();
    }
    state.counters["texts"] = texts;
}
BENCHMARK(BM_ReplaceInEveryText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm

BENCHMARK_MAIN();
