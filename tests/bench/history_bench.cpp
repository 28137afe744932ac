// The editing history on the largest drawing the limits allow, measured in the
// core with the shell's real text measuring: what taking a checkpoint adds to the
// release that ends a gesture (budget 5 ms), what Undo and Redo of a step cost
// before the repaint (budget, repaint included, 100 ms), and how many steps fit
// in the history's 64 MB. The worst gesture is a drag of a rectangle that
// carries 255 inner labels spread over the whole label list.
#include <benchmark/benchmark.h>


#include <filesystem>

#include "edit/file_commands.h"
#include "edit/insert.h"
#include "edit/quillmap_commands.h"
#include "edit/undo.h"
#include "interact/inner_labels.h"
#include "interact/pointer.h"
#include "interact/pointer_routing.h"
#include "interact/selection.h"
#include "io/document_io.h"
#include "large_document.h"
#include "model/chart_elements.h"
#include "model/element_parts.h"
#include "model/null_host.h"
#include "model/sel_kind.h"
#include "render/qt_text_metrics.h"

namespace qm {
namespace {

struct Large {
    NullHost host;
    QtTextMetrics metrics;
    Editor ed{host, metrics};
    Large() {
        startUp(ed);
        bench::fillToTheLimits(ed);
        // As after any label release: every rectangle holds up to 255 free labels.
        rebuildShapeInnerLists(ed.doc);
        rebuildDiamondInnerLists(ed.doc);
        startHistory(ed, Layout::Quillmap);
    }
};

Large& large() {
    static Large l;
    return l;
}

// Rectangle 1 lies at (60, 4000) under a crowd of labels, so the canvas is
// pressed directly; a drag by dx ends at rest, not yet settled.
void dragRectangle(Editor& ed, float dx) {
    canvasPress(ed, 1, 0, 100, 4050);
    canvasMove(ed, 1, 0, 100 + dx, 4050);
    canvasRelease(ed, 1, 0, 100 + dx, 4050);
}

void memoryCounters(benchmark::State& state, const Editor& ed) {
    const History& h = ed.history->steps;
    state.counters["steps"] = static_cast<double>(h.steps());
    state.counters["history_MB"] = static_cast<double>(h.memory()) / (1 << 20);
    state.counters["inner_labels"] = ed.doc.shapeRec[1].innerCount;
}

// The checkpoint taken at the release of a drag: only the moved groups are written.
void BM_SettleAfterRectangleDrag(benchmark::State& state) {
    Editor& ed = large().ed;
    float dx = 15;
    for (auto _ : state) {
        state.PauseTiming();
        dragRectangle(ed, dx);
        dx = -dx;
        state.ResumeTiming();
        settle(ed);
    }
    memoryCounters(state, ed);
}
BENCHMARK(BM_SettleAfterRectangleDrag)->Unit(benchmark::kMillisecond)->Iterations(40);

// The release of a drag of nearly everything (every element but the few within
// 400 twips of the right edge, as the painting benchmark selects them), by
// rectangle 1 300 twips right and back: range 0 times the release's pointer
// event, range 1 the checkpoint taken after it.
void BM_GroupDrop(benchmark::State& state) {
    const bool timeSettle = state.range(0) == 1;
    Editor ed{large().host, large().metrics};
    ed.doc = large().ed.doc;
    std::vector<ElementRef> group;
    for (const ElementRef& e : chartElements(ed.doc)) {
        const BoxF b = outlineOf(ed.doc, e).value_or(BoxF{});
        if (e.kind != ElementKind::TitleBlock && b.right < 14415 - 400) group.push_back(e);
    }
    selectElements(ed, group);
    startHistory(ed, Layout::Quillmap);
    float at = 100;
    for (auto _ : state) {
        state.PauseTiming();
        const float to = at == 100 ? 400 : 100;
        ed.capture = {PointerTarget::Canvas, 0};
        pointerDown(ed, 1, 0, at, 4050);
        pointerMove(ed, 1, 0, (at + to) / 2, 4050);
        pointerMove(ed, 1, 0, to, 4050);
        if (!timeSettle) state.ResumeTiming();
        pointerUp(ed, 1, 0, to, 4050);
        if (!timeSettle) state.PauseTiming();
        const Checkpoint before = ed.history->steps.current();
        if (timeSettle) state.ResumeTiming();
        settle(ed);
        if (timeSettle) state.PauseTiming();
        if (ed.doc.selKind != SelKind::Several || ed.history->steps.current() == before) {
            state.SkipWithError("the drag moved nothing");
            break;
        }
        at = to;
        state.ResumeTiming();
    }
    state.counters["selected"] = static_cast<double>(group.size());
}
BENCHMARK(BM_GroupDrop)->ArgName("settle")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);

// What every event at rest pays when nothing changed.
void BM_SettleNothingChanged(benchmark::State& state) {
    Editor& ed = large().ed;
    for (auto _ : state) settle(ed);
}
BENCHMARK(BM_SettleNothingChanged)->Unit(benchmark::kMillisecond);

void undoRedo(benchmark::State& state, bool timeUndo) {
    Editor& ed = large().ed;
    dragRectangle(ed, 30);
    settle(ed);
    for (auto _ : state) {
        if (!timeUndo) state.PauseTiming();
        undo(ed);
        if (!timeUndo) state.ResumeTiming();
        if (timeUndo) state.PauseTiming();
        redo(ed);
        if (timeUndo) state.ResumeTiming();
    }
    memoryCounters(state, ed);
}
void BM_UndoRectangleDrag(benchmark::State& state) { undoRedo(state, true); }
void BM_RedoRectangleDrag(benchmark::State& state) { undoRedo(state, false); }
BENCHMARK(BM_UndoRectangleDrag)->Unit(benchmark::kMillisecond)->Iterations(40);
BENCHMARK(BM_RedoRectangleDrag)->Unit(benchmark::kMillisecond)->Iterations(40);

// The title block laid out again from its place, its cell texts put back.
void BM_UndoTitleBlockMove(benchmark::State& state) {
    Editor& ed = large().ed;
    canvasPress(ed, 1, 0, 11530, 8030);
    canvasMove(ed, 1, 0, 10530, 7030);
    canvasRelease(ed, 1, 0, 10530, 7030);
    settle(ed);
    for (auto _ : state) {
        undo(ed);
        state.PauseTiming();
        redo(ed);
        state.ResumeTiming();
    }
    memoryCounters(state, ed);
}
BENCHMARK(BM_UndoTitleBlockMove)->Unit(benchmark::kMillisecond)->Iterations(40);

// How many drags of the largest drawing the 64 MB keep.
void BM_StepsKeptWithin64MB(benchmark::State& state) {
    Editor& ed = large().ed;
    for (auto _ : state) {
        for (int k = 0; k < 1200; ++k) {
            dragRectangle(ed, k % 2 ? -15.0f : 15.0f);
            settle(ed);
        }
    }
    memoryCounters(state, ed);
    state.counters["MB_per_step"] =
        static_cast<double>(ed.history->steps.memory()) / (1 << 20) / static_cast<double>(ed.history->steps.steps());
}
BENCHMARK(BM_StepsKeptWithin64MB)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same on an ordinary chart (twenty rectangles and their texts): the step
// count bounds it, not the memory.
void BM_StepsKeptOfAnOrdinaryChart(benchmark::State& state) {
    NullHost host;
    Editor ed{host, large().metrics};
    startUp(ed);
    for (int i = 0; i < 20; ++i) {
        insertShape(ed, ShapeStyle::Rectangle);
        canvasMove(ed, 0, 0, 500.0f + 600 * static_cast<float>(i % 10), 1000.0f + 2500 * static_cast<float>(i / 10));
        canvasPress(ed, 1, 0, 500.0f + 600 * static_cast<float>(i % 10), 1000.0f + 2500 * static_cast<float>(i / 10));
    }
    startHistory(ed, Layout::Quillmap);
    for (auto _ : state) {
        for (int k = 0; k < 1200; ++k) {
            const float x = k % 2 ? 535.0f : 565.0f;  // there and back
            canvasPress(ed, 1, 0, 550, 1050);
            canvasMove(ed, 1, 0, x, 1050);
            canvasRelease(ed, 1, 0, x, 1050);
            settle(ed);
        }
    }
    memoryCounters(state, ed);
}
BENCHMARK(BM_StepsKeptOfAnOrdinaryChart)->Unit(benchmark::kMillisecond)->Iterations(1);

// The first checkpoint after New or Open, with nothing remembered: every group written.
void BM_FirstCheckpoint(benchmark::State& state) {
    const Document& doc = large().ed.doc;
    for (auto _ : state) {
        CheckpointCoder coder(Layout::Quillmap);
        benchmark::DoNotOptimize(coder.encode(doc));
    }
}
BENCHMARK(BM_FirstCheckpoint)->Unit(benchmark::kMillisecond);

// What an Undo would cost if it read the whole checkpoint as Open reads a file.
void BM_WholeCheckpointRead(benchmark::State& state) {
    const std::string bytes = large().ed.history->steps.current().bytes();
    for (auto _ : state) benchmark::DoNotOptimize(decodeDocument(bytes, Layout::Quillmap, large().metrics));
}
BENCHMARK(BM_WholeCheckpointRead)->Unit(benchmark::kMillisecond);

// The editor's Save after a drag, disk included: arg 0 writes the checkpoint the
// history took of the drawing (what Save does), arg 1 encodes the drawing afresh
// and writes that, then marks the drawing saved (as a save without the history's
// checkpoint would). Budget 300 ms.
void BM_SaveAfterDrag(benchmark::State& state) {
    Editor& ed = large().ed;
    const std::string path = (std::filesystem::temp_directory_path() / "qm-save-bench.QMP").string();
    ed.doc.fileName = path;
    float dx = 15;
    for (auto _ : state) {
        state.PauseTiming();
        dragRectangle(ed, dx);
        dx = -dx;
        settle(ed);
        state.ResumeTiming();
        if (state.range(0) == 0) {
            if (!fileSave(ed)) state.SkipWithError("Save failed");
        } else {
            if (!writeDocument(path, ed.doc)) state.SkipWithError("write failed");
            markSaved(ed);
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveAfterDrag)->ArgName("afresh")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
}  // namespace qm
