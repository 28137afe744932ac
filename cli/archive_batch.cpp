#include "cli/archive_batch.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <cstdlib>

#include "batch/batch_run.h"
#include "batch/chart_inputs.h"
#include "cli/document_file.h"
#include "cli/tool_output.h"

namespace qm::cli {
namespace {

using namespace qm::batch;
using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t interrupted = 0;
extern "C" void onInterrupt(int) { interrupted = 1; }

// SIGINT stops the batch between charts rather than the process mid-write.
class InterruptGuard {
public:
    InterruptGuard() {
        interrupted = 0;
        struct sigaction act {};
        act.sa_handler = onInterrupt;
        sigemptyset(&act.sa_mask);
        sigaction(SIGINT, &act, &old_);
    }
    ~InterruptGuard() { sigaction(SIGINT, &old_, nullptr); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction old_ {};
};

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

const char* charts(size_t n) { return n == 1 ? "chart" : "charts"; }

// "120/2000 charts, 2 failed, 45.3 a second, 0:42 left"
std::string progressText(const BatchTally& t) {
    const double s = seconds(t.elapsed);
    const double rate = s > 0 ? static_cast<double>(t.done) / s : 0;
    char text[160];
    std::snprintf(text, sizeof text, "%zu/%zu charts, %zu failed, %.1f a second", t.done, t.total, t.failed, rate);
    std::string line = text;
    if (rate > 0 && t.done < t.total) {
        const auto left = static_cast<long>(static_cast<double>(t.total - t.done) / rate + 0.5);
        std::snprintf(text, sizeof text, ", %ld:%02ld left", left / 60, left % 60);
        line += text;
    }
    return line;
}

// "2000 charts: 1990 written, 5 kept, 5 failed, 12.30 s"; `valid` words it for check.
std::string summaryText(const BatchTally& t, bool valid) {
    char text[200];
    if (valid)
        std::snprintf(text, sizeof text, "%zu %s: %zu valid, %zu failed, %.2f s", t.done, charts(t.done),
                      t.done - t.failed, t.failed, seconds(t.elapsed));
    else
        std::snprintf(text, sizeof text, "%zu %s: %zu written, %zu kept, %zu failed, %.2f s", t.done, charts(t.done),
                      t.written, t.kept, t.failed, seconds(t.elapsed));
    std::string line = text;
    if (t.stopped) line += " (stopped: " + std::to_string(t.total - t.done) + " not started)";
    return line;
}

// One line on standard error redrawn in place; failure lines go above it.
class ProgressLine {
public:
    ProgressLine(bool forced, bool quiet) : on_(!quiet && (forced || ::isatty(STDERR_FILENO))) {}

    void show(const BatchTally& t) {
        if (!on_) return;
        const Clock::time_point now = Clock::now();
        if (shown_ && now - last_ < std::chrono::milliseconds(100) && t.done < t.total) return;
        last_ = now;
        shown_ = true;
        std::fprintf(stderr, "\r\033[K%s", progressText(t).c_str());
        std::fflush(stderr);
    }
    void clear() {
        if (!shown_) return;
        std::fputs("\r\033[K", stderr);
        shown_ = false;
    }

private:
    bool on_;
    bool shown_ = false;
    Clock::time_point last_{};
};

// Runs the job over the charts with progress, failure lines and the summary.
int runCharts(const BatchCommand& c, const ChartInputs& found, const ChartJob& job, bool valid) {
    for (const std::string& problem : found.problems) printError(problem);
    ProgressLine line(c.progress, c.quiet);
    const InterruptGuard guard;
    BatchSettings settings;
    settings.workers = c.jobs;
    settings.progress = [&](const BatchTally& t) { line.show(t); };
    settings.stop = [] { return interrupted != 0; };
    settings.name = [&found](size_t k) { return "\"" + found.charts[k].path + "\""; };
    const BatchTally tally = runBatch(found.charts.size(), job, settings, [&](size_t, ChartOutcome& o) {
        if (!o.out.empty()) std::fwrite(o.out.data(), 1, o.out.size(), stdout);
        if (o.result == ChartResult::Failed && !o.error.empty()) {
            line.clear();
            std::fflush(stdout);
            printError(o.error);
        }
    });
    line.clear();
    const bool outputLost = std::fflush(stdout) != 0 || std::ferror(stdout);
    if (outputLost) printError(std::string("cannot write to standard output: ") + std::strerror(errno));
    if (!c.quiet && c.summary) std::fprintf(stderr, "%s\n", summaryText(tally, valid).c_str());
    const int status = tally.stopped ? kExitInterrupted
                       : tally.failed > 0 || !found.problems.empty() || outputLost ? kExitFailure
                                                                                    : kExitOk;
    // A worker left on a chart that hangs holds on to this command's state; the
    // process ends here rather than pulling that state away from under it.
    if (tally.abandoned > 0) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

// Qt's font database is filled on the main thread before the workers measure.
struct BatchGui {
    explicit BatchGui(char* program) : gui(program) { metrics.measure("流程", "宋体", 9, 0); }
    Gui gui;
    SharedTextMetrics metrics;
};

int writeBatch(const BatchCommand& c, const std::function<Status(const std::string&, const std::string&)>& make) {
    const OutputTree tree{c.outDir, c.ext, c.force};
    if (c.outDir.empty()) {
        printError("a folder of charts or more than one chart needs -o DIR; see qmptool --help");
        return kExitUsage;
    }
    if (std::string problem = outputFolderProblem(tree, c.inputs); !problem.empty()) {
        printError(problem);
        return kExitUsage;
    }
    const ChartInputs found = findCharts(c.inputs);
    return runCharts(
        c, found, [&](size_t k) { return writeMirrored(found.charts[k], tree, make); }, false);
}

}  // namespace

int checkBatch(const BatchCommand& c) {
    const ChartInputs found = findCharts(c.inputs);
    return runCharts(
        c, found,
        [&](size_t k) {
            const CheckLine line = checkLine(found.charts[k].path);
            ChartOutcome o;
            o.result = line.valid ? ChartResult::Done : ChartResult::Failed;
            o.out = oneLine(line.text) + "\n";
            return o;
        },
        true);
}

int drawBatch(const BatchCommand& c, const DrawChart& draw, const char* what) {
    const BatchGui gui(c.program);
    return writeBatch(c, [&](const std::string& in, const std::string& out) {
        return drawChartFile(in, out, gui.metrics, draw, what, Clock::now() + kChartTimeLimit);
    });
}

int convertBatch(const BatchCommand& c, const ConvertChart& convert) {
    const BatchGui gui(c.program);
    return writeBatch(c, [&](const std::string& in, const std::string& out) { return convert(in, out, gui.metrics); });
}

}  // namespace qm::cli
