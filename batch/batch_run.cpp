#include "batch/batch_run.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace qm::batch {
namespace {

using Clock = std::chrono::steady_clock;

void count(BatchTally& t, ChartResult r) {
    ++t.done;
    if (r == ChartResult::Written) ++t.written;
    else if (r == ChartResult::Kept) ++t.kept;
    else if (r == ChartResult::Failed) ++t.failed;
}

constexpr size_t kIdle = static_cast<size_t>(-1);

// What the workers and the calling thread share. A worker stuck on a chart that
// was given up may outlive the batch, so it holds this (and its own copy of the
// job) rather than anything of the caller's.
struct Shared {
    explicit Shared(ChartJob job, size_t charts) : job(std::move(job)), charts(charts) {}

    const ChartJob job;
    const size_t charts;
    std::mutex lock;
    std::condition_variable arrived;
    size_t next = 0;  // the next chart to start
    bool stopping = false;
    // Outcomes that came back before an earlier chart's; the outputs themselves are
    // written by the workers, so what waits here is lines of text.
    std::map<size_t, ChartOutcome> waiting;
    std::map<size_t, Clock::time_point> running;  // chart: when it started
    std::set<size_t> givenUp;
    std::vector<size_t> current;  // by worker: its chart, or kIdle
};

void work(const std::shared_ptr<Shared>& s, size_t worker) {
    for (;;) {
        size_t k;
        {
            const std::lock_guard hold(s->lock);
            s->current[worker] = kIdle;
            if (s->stopping || s->next >= s->charts) return;
            k = s->next++;
            s->running.emplace(k, Clock::now());
            s->current[worker] = k;
        }
        ChartOutcome outcome = s->job(k);
        {
            const std::lock_guard hold(s->lock);
            s->running.erase(k);
            if (s->givenUp.contains(k)) continue;  // already reported
            s->waiting.emplace(k, std::move(outcome));
        }
        s->arrived.notify_one();
    }
}

}  // namespace

BatchTally runBatch(size_t charts, const ChartJob& job, const BatchSettings& settings, const ChartDelivery& deliver) {
    const Clock::time_point start = Clock::now();
    BatchTally tally;
    tally.total = charts;
    const auto s = std::make_shared<Shared>(job, charts);
    std::vector<std::thread> pool;
    const auto addWorker = [&] {
        s->current.push_back(kIdle);
        pool.emplace_back(work, s, pool.size());
    };
    const size_t asked = settings.workers > 0 ? static_cast<size_t>(settings.workers)
                                              : std::max<size_t>(1, std::thread::hardware_concurrency());
    {
        const std::lock_guard hold(s->lock);
        for (size_t k = 0; k < std::min(asked, charts); ++k) addWorker();
    }

    size_t delivered = 0;
    std::unique_lock hold(s->lock);
    for (;;) {
        while (!s->waiting.empty() && s->waiting.begin()->first == delivered) {
            ChartOutcome outcome = std::move(s->waiting.begin()->second);
            s->waiting.erase(s->waiting.begin());
            hold.unlock();
            count(tally, outcome.result);
            deliver(delivered, outcome);
            ++delivered;
            tally.elapsed = Clock::now() - start;
            if (settings.progress) settings.progress(tally);
            hold.lock();
        }
        if (delivered == charts || (s->stopping && delivered == s->next)) break;
        s->arrived.wait_for(hold, std::chrono::milliseconds(100));
        // A chart that takes too long (a disk that hangs) is reported and left to
        // its worker; another takes that worker's place.
        const Clock::time_point now = Clock::now();
        for (const auto& [k, since] : s->running)
            if (now - since > settings.timeLimit && s->givenUp.insert(k).second) {
                ChartOutcome failed;
                failed.result = ChartResult::Failed;
                char limit[32];
                std::snprintf(limit, sizeof limit, "%g",
                              std::chrono::duration<double>(settings.timeLimit).count());
                failed.error = (settings.name ? settings.name(k) : "chart " + std::to_string(k + 1)) +
                               " took more than " + limit + " s and was given up";
                s->waiting.emplace(k, std::move(failed));
                if (s->next < charts) addWorker();
            }
        if (!s->stopping && settings.stop) {
            hold.unlock();
            const bool stop = settings.stop();
            hold.lock();
            if (stop) s->stopping = true;
        }
        tally.elapsed = Clock::now() - start;
        if (settings.progress) {
            hold.unlock();
            settings.progress(tally);
            hold.lock();
        }
    }
    // Every worker ends at once now but one stuck on a chart given up, which may
    // never come back.
    std::vector<bool> stuck(pool.size());
    for (size_t w = 0; w < pool.size(); ++w) stuck[w] = s->givenUp.contains(s->current[w]);
    hold.unlock();
    for (size_t w = 0; w < pool.size(); ++w) {
        if (stuck[w]) {
            pool[w].detach();
            ++tally.abandoned;
        } else {
            pool[w].join();
        }
    }
    tally.stopped = delivered < charts;
    tally.elapsed = Clock::now() - start;
    return tally;
}

}  // namespace qm::batch
