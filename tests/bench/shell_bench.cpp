// The editor's window on the largest drawing the limits allow, beyond the canvas's
// paint: what a change of the selection costs the window as a whole (the frame,
// the history, and what the canvas tells assistive technology once a screen reader
// has asked about it), and a step in the compare window's list against a version
// with every element changed. Budget 50 ms each, 300 ms for Save. Once a case
// with reader:1 ran, the screen reader stays for the rest of the process: run
// those with --benchmark_filter=reader:1 on their own.
#include <QAccessible>
#include <memory>

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <benchmark/benchmark.h>

#include "app/canvas_widget.h"
#include "app/compare_window.h"
#include "app/main_window.h"
#include "edit/quillmap_commands.h"
#include "edit/undo.h"
#include "interact/move.h"
#include "interact/selection.h"
#include "large_document.h"

namespace qm {
namespace {

struct Window {
    MainWindow w;
    Document changed;
    Window() {
        w.resize(1280, 900);
        w.show();
        w.view().perform([](Editor& ed) {
            bench::fillToTheLimits(ed);
            restartHistory(ed);
        });
        Editor copy(w.view().host(), w.view().metrics());
        copy.doc = w.editor().doc;
        bench::changeEveryElement(copy);
        changed = copy.doc;
    }
    // As a screen reader does once: accessibility becomes active (offscreen, where
    // no bridge does it) and the canvas's accessible object is asked about.
    bool readByScreenReader() {
        if (QPlatformAccessibility* a = QGuiApplicationPrivate::platformIntegration()->accessibility())
            a->setActive(true);
        QAccessible::queryAccessibleInterface(w.canvas())->childCount();
        return QAccessible::isActive();
    }
};

// Made on first need and gone before the application: a window outliving it
// crashes the program's exit.
std::unique_ptr<Window>& theWindow() {
    static std::unique_ptr<Window> w;
    return w;
}

Window& window() {
    if (!theWindow()) theWindow() = std::make_unique<Window>();
    return *theWindow();
}

// The click that clears 全选 (arg reader 1: with a screen reader listening).
void BM_ClearSelectAll(benchmark::State& state) {
    Window& win = window();
    if (state.range(0) && !win.readByScreenReader()) state.SkipWithError("accessibility stays inactive");
    for (auto _ : state) {
        state.PauseTiming();
        win.w.view().perform(selectAll);
        state.ResumeTiming();
        win.w.view().perform(clearSelection);
    }
}
BENCHMARK(BM_ClearSelectAll)->ArgName("reader")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// Save, from the command to the frame after it, with an element selected and
// changed (a nudge) before each: written to a file of its own.
void BM_Save(benchmark::State& state) {
    Window& win = window();
    if (state.range(0) && !win.readByScreenReader()) state.SkipWithError("accessibility stays inactive");
    const QString path = QDir::temp().filePath(QStringLiteral("qm-shell-bench.QMP"));
    win.w.editor().doc.fileName = path.toStdString();
    // The file the last case removed is no version of someone else's to ask about.
    win.w.editor().fileOnDisk = {};
    float dx = 15;
    for (auto _ : state) {
        state.PauseTiming();
        win.w.view().perform([dx](Editor& ed) {
            selectElement(ed, ElementKind::Shape, 1);
            nudgeSelection(ed, dx, 0);
        });
        dx = -dx;
        state.ResumeTiming();
        bool saved = false;
        win.w.view().perform([&saved](Editor& ed) { saved = fileSave(ed); });
        if (!saved) state.SkipWithError("Save failed");
    }
    QFile::remove(path);
}
BENCHMARK(BM_Save)->ArgName("reader")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// A step down the compare window's list, which selects the element of that row.
void BM_CompareStep(benchmark::State& state) {
    Window& win = window();
    if (state.range(0) && !win.readByScreenReader()) state.SkipWithError("accessibility stays inactive");
    CompareWindow compare(win.w.view(), win.changed, win.w.editor().doc, "changed.QMP", &win.w);
    compare.show();
    int row = 0;
    for (auto _ : state) compare.list()->setCurrentRow(row++ % 200);
}
BENCHMARK(BM_CompareStep)->ArgName("reader")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace qm

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    qm::theWindow().reset();
    return 0;
}
