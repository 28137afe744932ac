// Charts drawn and written by the workers of a batch: labels measured through the
// shared fonts, each output at its place in a tree that mirrors the archive's,
// kept when it exists unless replacing is asked for, never over or beside a chart.
#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "batch/batch_run.h"
#include "batch/chart_inputs.h"
#include "io/result.h"
#include "model/editor.h"
#include "model/text_metrics.h"

namespace qm::batch {

// Qt's measurer serialised on the font lock the painters hold, since the fonts
// and their caches are shared by the threads. Measure once on the main thread
// before the workers start, so that Qt's font database is filled there.
class SharedTextMetrics : public TextMetrics {
public:
    TextExtent measure(std::string_view utf8, std::string_view fontName, float pointSize,
                       float wrapWidth) const override;
};

// What is written of one opened chart.
using DrawChart = std::function<Result<std::string>(const Editor&)>;

// Opens IN as its editor opens it (labels measured by `metrics`) and writes what
// `draw` makes of it to OUT, atomically; `what` names the output in messages.
// Gives up before writing once `deadline` has passed.
Status drawChartFile(const std::string& in, const std::string& out, const TextMetrics& metrics, const DrawChart& draw,
                     const char* what, std::chrono::steady_clock::time_point deadline);

struct OutputTree {
    std::string dir;
    std::string ext;  // without its dot
    bool replace = false;
};

// Why outputs cannot go to the tree's folder, or empty: it is made if need be and
// shown writable by writing in it; one inside an input folder would mix outputs
// with the charts (and feed them back in the next run).
std::string outputFolderProblem(const OutputTree& tree, const std::vector<std::string>& inputs);

// The chart's output made by `make` (IN, OUT) at its mirrored place: Kept when it
// exists and is not to be replaced, Failed when it would be the chart or lie
// beside it, or when `make` fails.
ChartOutcome writeMirrored(const ChartInput& chart, const OutputTree& tree,
                           const std::function<Status(const std::string&, const std::string&)>& make);

}  // namespace qm::batch
