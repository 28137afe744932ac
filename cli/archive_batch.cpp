#include "cli/archive_batch.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "cli/batch_run.h"
#include "cli/chart_inputs.h"
#include "cli/document_file.h"
#include "cli/tool.h"
#include "io/atomic_file.h"
#include "render/fonts.h"
#include "render/qt_text_metrics.h"

namespace qm::cli {
namespace {

namespace fs = std::filesystem;
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
    const BatchTally tally = runBatch(found.charts.size(), job, settings, [&](size_t, ChartOutcome& o) {
        if (!o.out.empty()) std::fwrite(o.out.data(), 1, o.out.size(), stdout);
        if (o.result == ChartResult::Failed && !o.error.empty()) {
            line.clear();
            std::fflush(stdout);
            printError(o.error);
        }
    });
    line.clear();
    std::fflush(stdout);
    if (!c.quiet) std::fprintf(stderr, "%s\n", summaryText(tally, valid).c_str());
    if (tally.stopped) return kExitInterrupted;
    return tally.failed > 0 || !found.problems.empty() ? kExitFailure : kExitOk;
}

std::string parentOf(const std::string& path) {
    const fs::path p = pathFromUtf8(path).parent_path();
    return p.empty() ? std::string(".") : std::string(reinterpret_cast<const char*>(p.u8string().c_str()));
}

bool sameFolder(const std::string& a, const std::string& b) { return sameFile(parentOf(a), parentOf(b)); }

// The output folder made if need be and shown writable by writing in it, before
// any chart is read; an output folder in an input folder would mix outputs with
// the charts (and feed them back in the next run), so it is refused.
std::string outputFolderProblem(const BatchCommand& c) {
    if (c.outDir.empty()) return "a folder of charts or more than one chart needs -o DIR";
    std::error_code ec;
    const fs::path out = fs::weakly_canonical(pathFromUtf8(c.outDir), ec);
    for (const std::string& in : c.inputs) {
        if (!isFolder(in)) continue;
        const fs::path folder = fs::weakly_canonical(pathFromUtf8(in), ec);
        const auto [end, rest] = std::mismatch(folder.begin(), folder.end(), out.begin(), out.end());
        if (end == folder.end())
            return "the output folder \"" + c.outDir + "\" is in the input folder \"" + in + "\"; choose another";
    }
    fs::create_directories(pathFromUtf8(c.outDir), ec);
    if (!isFolder(c.outDir))
        return "cannot make the output folder \"" + c.outDir + "\"" + (ec ? ": " + ec.message() : std::string());
    std::string probe = c.outDir + "/.qmptool-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return "cannot write in the output folder \"" + c.outDir + "\": " + std::strerror(errno);
    ::close(fd);
    ::unlink(probe.c_str());
    return {};
}

// Qt's font database is filled on the main thread before the workers measure.
struct BatchGui {
    explicit BatchGui(char* program) : gui(program) { metrics.measure("流程", "宋体", 9, 0); }
    Gui gui;
    SharedTextMetrics metrics;
};

// Each chart to its mirrored output: an existing one kept unless forced, never
// one that is the input or lies beside it.
int writeBatch(const BatchCommand& c, const std::function<Status(const std::string&, const std::string&)>& make) {
    if (std::string problem = outputFolderProblem(c); !problem.empty()) {
        printError(problem);
        return kExitUsage;
    }
    const ChartInputs found = findCharts(c.inputs);
    return runCharts(
        c, found,
        [&](size_t k) {
            const ChartInput& in = found.charts[k];
            const std::string out = mirroredPath(c.outDir, in.relative, c.ext);
            ChartOutcome o;
            std::error_code ec;
            const bool exists = fs::exists(pathFromUtf8(out), ec);
            if (sameFile(in.path, out) || sameFolder(in.path, out)) {
                o.result = ChartResult::Failed;
                o.error = "\"" + out + "\" would be written over or beside its input \"" + in.path + "\"";
                return o;
            }
            if (exists && !c.force) {
                o.result = ChartResult::Kept;
                return o;
            }
            fs::create_directories(pathFromUtf8(out).parent_path(), ec);
            if (Status st = make(in.path, out); !st) {
                o.result = ChartResult::Failed;
                o.error = st.error().describe();
                return o;
            }
            o.result = ChartResult::Written;
            return o;
        },
        false);
}

}  // namespace

TextExtent SharedTextMetrics::measure(std::string_view utf8, std::string_view fontName, float pointSize,
                                      float wrapWidth) const {
    static const QtTextMetrics qt;
    const std::lock_guard lock(fontLock());
    return qt.measure(utf8, fontName, pointSize, wrapWidth);
}

Status drawChartFile(const std::string& in, const std::string& out, const TextMetrics& metrics, const DrawChart& draw,
                     const char* what, Clock::time_point deadline) {
    const Result<std::unique_ptr<DocumentEditor>> opened = openDocumentFile(in, metrics);
    if (!opened) return opened.error();
    const Result<std::string> bytes = draw((*opened)->ed);
    if (!bytes) return IoError{"cannot draw \"" + out + "\": " + bytes.error().message, std::nullopt};
    if (Clock::now() > deadline)
        return IoError{"\"" + in + "\" took more than " + std::to_string(kChartTimeLimit.count()) +
                           " s; the " + what + " is not written",
                       std::nullopt};
    return writeFileAtomically(out, *bytes);
}

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
