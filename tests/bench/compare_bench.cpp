// Comparing the largest drawing the limits allow with a version of it in which
// every element changed, and its dump as lines, as qmptool diff and dump --text do
// them. The budgets: one second for a compare, 200 ms for the dump.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "render/qt_text_metrics.h"
#include "cli/diff_report.h"
#include "cli/document_file.h"
#include "io/document_io.h"
#include "large_document.h"
#include "edit/quillmap_commands.h"
#include "model/null_host.h"

namespace qm {
namespace {

struct Pair {
    QTemporaryDir dir;
    NullHost host;
    QtTextMetrics metrics;
    Document older, newer;
    std::string olderPath, newerPath;
    Pair() {
        Editor ed(host, metrics);
        startUp(ed);
        bench::fillToTheLimits(ed);
        older = ed.doc;
        bench::changeEveryElement(ed);
        newer = ed.doc;
        olderPath = dir.filePath(QStringLiteral("largest.QMP")).toStdString();
        newerPath = dir.filePath(QStringLiteral("changed.QMP")).toStdString();
        if (!writeDocument(olderPath, older) || !writeDocument(newerPath, newer)) std::abort();
    }
};

Pair& pair() {
    static Pair p;
    return p;
}

// The compare alone, on drawings in memory.
void BM_CompareDrawings(benchmark::State& state) {
    size_t changes = 0;
    for (auto _ : state) changes = compareDrawings(pair().older, pair().newer).changes.size();
    state.counters["changes"] = static_cast<double>(changes);
}
BENCHMARK(BM_CompareDrawings)->Unit(benchmark::kMillisecond);

// qmptool diff without its start-up: both files read and opened, labels measured
// with Qt, compared, and the lines or the JSON made.
void BM_DiffFiles(benchmark::State& state) {
    const bool json = state.range(0) != 0;
    for (auto _ : state) {
        auto a = cli::openDocumentFile(pair().olderPath, pair().metrics);
        auto b = cli::openDocumentFile(pair().newerPath, pair().metrics);
        if (!a || !b) state.SkipWithError("a file did not open");
        const Comparison c = compareDrawings((*a)->ed.doc, (*b)->ed.doc);
        benchmark::DoNotOptimize(json ? cli::diffJson(c, pair().olderPath, pair().newerPath) : cli::diffText(c));
    }
}
BENCHMARK(BM_DiffFiles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// qmptool dump --text without its start-up.
void BM_DumpText(benchmark::State& state) {
    for (auto _ : state) {
        auto opened = cli::openDocumentFile(pair().olderPath, cli::unmeasuredMetrics());
        if (!opened) state.SkipWithError("the file did not open");
        benchmark::DoNotOptimize(cli::drawingText((*opened)->ed.doc));
    }
}
BENCHMARK(BM_DumpText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm
