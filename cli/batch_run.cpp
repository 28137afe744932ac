#include "cli/batch_run.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace qm::cli {
namespace {

void count(BatchTally& t, ChartResult r) {
    ++t.done;
    if (r == ChartResult::Written) ++t.written;
    else if (r == ChartResult::Kept) ++t.kept;
    else if (r == ChartResult::Failed) ++t.failed;
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

BatchTally runBatch(size_t charts, const ChartJob& job, const BatchSettings& settings, const ChartDelivery& deliver) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    BatchTally tally;
    tally.total = charts;

    std::mutex lock;
    std::condition_variable arrived;
    size_t next = 0;  // the next chart to start
    bool stopping = false;
    // Outcomes that came back before an earlier chart's; the outputs themselves are
    // written by the workers, so what waits here is lines of text.
    std::map<size_t, ChartOutcome> waiting;

    const auto work = [&] {
        for (;;) {
            size_t k;
            {
                const std::lock_guard hold(lock);
                if (stopping || next >= charts) return;
                k = next++;
            }
            ChartOutcome outcome = job(k);
            {
                const std::lock_guard hold(lock);
                waiting.emplace(k, std::move(outcome));
            }
            arrived.notify_one();
        }
    };
    const size_t asked = settings.workers > 0 ? static_cast<size_t>(settings.workers)
                                              : std::max<size_t>(1, std::thread::hardware_concurrency());
    const size_t workers = std::min(asked, std::max<size_t>(charts, 1));
    std::vector<std::thread> pool;
    pool.reserve(workers);
    for (size_t k = 0; k < workers && charts > 0; ++k) pool.emplace_back(work);

    size_t delivered = 0;
    std::unique_lock hold(lock);
    for (;;) {
        while (!waiting.empty() && waiting.begin()->first == delivered) {
            ChartOutcome outcome = std::move(waiting.begin()->second);
            waiting.erase(waiting.begin());
            hold.unlock();
            count(tally, outcome.result);
            deliver(delivered, outcome);
            ++delivered;
            tally.elapsed = Clock::now() - start;
            if (settings.progress) settings.progress(tally);
            hold.lock();
        }
        if (delivered == charts || (stopping && delivered == next)) break;
        arrived.wait_for(hold, std::chrono::milliseconds(100));
        if (!stopping && settings.stop) {
            hold.unlock();
            const bool stop = settings.stop();
            hold.lock();
            if (stop) stopping = true;
        }
        tally.elapsed = Clock::now() - start;
        if (settings.progress) {
            hold.unlock();
            settings.progress(tally);
            hold.lock();
        }
    }
    hold.unlock();
    for (std::thread& t : pool) t.join();
    tally.stopped = delivered < charts;
    tally.elapsed = Clock::now() - start;
    return tally;
}

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

std::string summaryText(const BatchTally& t, bool valid) {
    char text[200];
    if (valid)
        std::snprintf(text, sizeof text, "%zu charts: %zu valid, %zu failed, %.2f s", t.done, t.done - t.failed,
                      t.failed, seconds(t.elapsed));
    else
        std::snprintf(text, sizeof text, "%zu charts: %zu written, %zu kept, %zu failed, %.2f s", t.done, t.written,
                      t.kept, t.failed, seconds(t.elapsed));
    std::string line = text;
    if (t.stopped) line += " (stopped: " + std::to_string(t.total - t.done) + " not started)";
    return line;
}

}  // namespace qm::cli
