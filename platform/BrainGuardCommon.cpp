// The parts of the brain guard that every platform shares: the watchdog thread and
// the list of files to remove when the process ends at once.
#include "platform/BrainGuard.h"

#include "brains/BrainCallState.h"
#include "platform/FilesToRemove.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace shamblex {

namespace {

constexpr std::size_t maximumRemovals = 16;
constexpr std::size_t maximumPath = 4096;

char removals[maximumRemovals][maximumPath];
std::atomic<bool> removalUsed[maximumRemovals];

}

void removeIfEndedAtOnce(const std::string& path)
{
    if (path.size() >= maximumPath)
        return;
    for (std::size_t i = 0; i < maximumRemovals; ++i) {
        if (removalUsed[i].load(std::memory_order_acquire))
            continue;
        std::memcpy(removals[i], path.c_str(), path.size() + 1);
        removalUsed[i].store(true, std::memory_order_release);
        return;
    }
}

void keepIfEndedAtOnce(const std::string& path)
{
    for (std::size_t i = 0; i < maximumRemovals; ++i) {
        if (removalUsed[i].load(std::memory_order_acquire) && path == removals[i])
            removalUsed[i].store(false, std::memory_order_release);
    }
}

void removeListedFiles(void (*remove)(const char* path))
{
    for (std::size_t i = 0; i < maximumRemovals; ++i) {
        if (removalUsed[i].load(std::memory_order_acquire))
            remove(removals[i]);
    }
}

struct StuckBrainWatch::Thread {
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread thread;
};

StuckBrainWatch::StuckBrainWatch(std::function<bool()> endNow, std::chrono::milliseconds patience)
    : m_thread(std::make_unique<Thread>())
{
    Thread& state = *m_thread;
    state.thread = std::thread([&state, endNow = std::move(endNow), patience] {
        using Clock = std::chrono::steady_clock;
        constexpr auto pollInterval = std::chrono::milliseconds(50);
        BrainCallState& call = brainCallState();
        std::uint64_t watchedCall = 0;
        Clock::time_point since = Clock::now();
        std::unique_lock lock(state.mutex);
        while (!state.wake.wait_for(lock, pollInterval, [&] { return state.stopping; })) {
            // A call is stuck when the same call has been running since the last looks.
            std::uint64_t calls = call.calls.load(std::memory_order_relaxed);
            bool inCall = call.brain.load(std::memory_order_acquire) != nullptr;
            if (!inCall || calls != watchedCall) {
                watchedCall = calls;
                since = Clock::now();
                continue;
            }
            if (Clock::now() - since >= patience && endNow())
                endBecauseOfBrain("did not return", brainFailureStatus);
        }
    });
}

StuckBrainWatch::~StuckBrainWatch()
{
    {
        std::lock_guard lock(m_thread->mutex);
        m_thread->stopping = true;
    }
    m_thread->wake.notify_all();
    m_thread->thread.join();
}

}
