// Many charts worked through by a pool of threads in one process: each chart's job
// runs on a worker, its outcome comes back to the calling thread in chart order,
// with a running tally for progress, until all are done or the caller stops it
// (what has started finishes; the rest is not started).
#pragma once
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace qm::batch {

enum class ChartResult : unsigned char { Done, Written, Kept, Failed };

struct ChartOutcome {
    ChartResult result = ChartResult::Done;
    std::string out;    // for standard output; delivered in chart order
    std::string error;  // why it failed, naming the file
};

struct BatchTally {
    size_t total = 0, done = 0, written = 0, kept = 0, failed = 0;
    std::chrono::steady_clock::duration elapsed{};
    bool stopped = false;  // the caller stopped it before every chart was done
    size_t abandoned = 0;  // workers left on charts given up, perhaps still running
};

// The time a chart may take before it is given up as stalled (a disk that hangs).
inline constexpr std::chrono::seconds kChartTimeLimit{10};

struct BatchSettings {
    int workers = 0;  // 0: one per core
    // Called on the calling thread after each outcome and about ten times a
    // second while waiting.
    std::function<void(const BatchTally&)> progress;
    // Polled as often; true stops the batch.
    std::function<bool()> stop;
    // A chart still at work after this long is reported as failed and no longer
    // waited for (its worker, perhaps stuck on a disk that hangs, is left to itself
    // and another takes its place); its job must then not write anything.
    std::chrono::steady_clock::duration timeLimit = kChartTimeLimit;
    // The chart as failure messages name it; "chart N" unless given.
    std::function<std::string(size_t chart)> name;
};

// A chart's work; runs on a worker thread, any number at once. It may outlive
// runBatch when its chart is given up, so it holds nothing that ends with the
// caller.
using ChartJob = std::function<ChartOutcome(size_t chart)>;
// Receives each outcome on the calling thread, charts in order.
using ChartDelivery = std::function<void(size_t chart, ChartOutcome& outcome)>;

BatchTally runBatch(size_t charts, const ChartJob& job, const BatchSettings& settings, const ChartDelivery& deliver);


}  // namespace qm::batch
