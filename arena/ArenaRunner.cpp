#include "arena/ArenaRunner.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace shamblex::arena {

ArenaRunner::ArenaRunner(SandboxSettings sandbox, int jobs)
    : m_sandbox(sandbox)
    , m_jobs(jobs < 1 ? 1 : jobs)
{
}

std::optional<std::vector<RunResult>> ArenaRunner::play(const ArenaSetup& setup, const Shard& shard,
    const std::function<void(std::int64_t done, std::int64_t total)>& progress, const std::function<bool()>& stop)
{
    std::vector<std::int64_t> runIndices;
    for (std::int64_t index = 0; index < setup.runs; ++index) {
        if (shard.holds(index))
            runIndices.push_back(index);
    }
    const auto total = static_cast<std::int64_t>(runIndices.size());
    std::vector<RunResult> results(runIndices.size());

    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;
    std::int64_t done = 0;
    std::atomic<bool> cancel = false;

    auto work = [&] {
        for (;;) {
            std::size_t slot;
            {
                std::lock_guard lock(mutex);
                if (next >= runIndices.size() || cancel)
                    return;
                slot = next++;
            }
            RunResult result = playRun(setup, setup.seedOf(runIndices[slot]), m_sandbox, &cancel);
            {
                std::lock_guard lock(mutex);
                results[slot] = std::move(result);
                ++done;
            }
            changed.notify_all();
        }
    };

    std::vector<std::thread> workers;
    const auto jobs = std::min<std::int64_t>(m_jobs, total);
    for (std::int64_t job = 0; job < jobs; ++job)
        workers.emplace_back(work);

    constexpr auto reportInterval = std::chrono::milliseconds(200);
    bool stopped = false;
    {
        std::unique_lock lock(mutex);
        while (done < total) {
            changed.wait_for(lock, reportInterval);
            std::int64_t soFar = done;
            lock.unlock();
            progress(soFar, total);
            if (stop()) {
                cancel = true;
                stopped = true;
            }
            lock.lock();
            if (stopped)
                break;
        }
    }
    for (std::thread& worker : workers)
        worker.join();
    if (stopped)
        return std::nullopt;
    progress(total, total);
    return results;
}

}
