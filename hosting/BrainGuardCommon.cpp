// The part of the brain guard that every platform shares: the watchdog thread.
#include "hosting/BrainGuard.h"

#include "brains/BrainCallState.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace shamblex {

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
