// check, render, print and convert over many charts at once: files and folders
// in, a mirrored tree of outputs under one folder, a pool of workers, a progress
// line on a terminal, one line per failure and a summary at the end.
#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "cli/convert_targets.h"
#include "io/result.h"
#include "model/editor.h"
#include "model/text_metrics.h"

namespace qm::cli {

inline constexpr int kExitInterrupted = 130;  // as a shell reports SIGINT

struct BatchCommand {
    std::vector<std::string> inputs;
    std::string outDir;  // for the commands that write
    std::string ext;     // of the outputs, without its dot
    int jobs = 0;        // 0: one per core
    bool force = false;  // replace existing outputs rather than keep them
    bool progress = false, quiet = false;
    char* program = nullptr;
};

// The measurer of a batch's workers: Qt's, serialised on the font lock the
// painters hold, since the fonts and their caches are shared by the threads.
class SharedTextMetrics : public TextMetrics {
public:
    TextExtent measure(std::string_view utf8, std::string_view fontName, float pointSize,
                       float wrapWidth) const override;
};

// What a command writes of one opened chart.
using DrawChart = std::function<Result<std::string>(const Editor&)>;

// The exit status: 0 every chart done, 1 one failed, 2 a wrong command line or an
// output folder that cannot be written, 130 stopped by SIGINT.
int checkBatch(const BatchCommand& c);
int drawBatch(const BatchCommand& c, const DrawChart& draw, const char* what);
int convertBatch(const BatchCommand& c, const ConvertChart& convert);

// Opens IN as its editor opens it (labels measured by `metrics`) and writes what
// `draw` makes of it to OUT, atomically; `what` names the output in messages.
// Gives up before writing once `deadline` has passed.
Status drawChartFile(const std::string& in, const std::string& out, const TextMetrics& metrics, const DrawChart& draw,
                     const char* what, std::chrono::steady_clock::time_point deadline);

}  // namespace qm::cli
