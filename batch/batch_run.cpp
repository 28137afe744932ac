#include "batch/batch_run.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace qm::batch {
namespace {

void count(BatchTally& t, ChartResult r) {
    ++t.done;
    if (r == ChartResult::Written) ++t.written;
    else if (r == ChartResult::Kept) ++t.kept;
    else if (r == ChartResult::Failed) ++t.failed;
}

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

}  // namespace qm::batch
