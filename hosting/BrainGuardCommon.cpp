// The parts of the brain guard that every platform shares: the line that names a
// brain which ended the process, and the watchdog thread.
#include "hosting/BrainGuard.h"

#include "brains/BrainCallState.h"

#include <atomic>
#include <cstdint>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace shamblex {

namespace {

// Appends to a fixed buffer, as a signal handler may.
struct FixedLine {
    char* text;
    std::size_t capacity;
    std::size_t length = 0;

    void add(const char* part)
    {
        while (*part && length + 1 < capacity)
            text[length++] = *part++;
    }
    void add(std::uint64_t number)
    {
        char digits[24];
        int count = 0;
        do {
            digits[count++] = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number > 0);
        while (count > 0 && length + 1 < capacity)
            text[length++] = digits[--count];
    }
};

}

std::size_t formatBrainEnding(char* text, std::size_t capacity, const char* program, const char* what)
{
    BrainCallState& call = brainCallState();
    FixedLine line { text, capacity };
    line.add(program);
    line.add(": brain '");
    const char* brain = call.brain.load(std::memory_order_acquire);
    line.add(brain ? brain : "?");
    line.add("' ");
    line.add(what);
    std::int32_t frame = call.frame.load(std::memory_order_relaxed);
    if (frame == loadingFrame) {
        line.add(" while it was loaded");
    } else {
        line.add(" in frame ");
        line.add(static_cast<std::uint64_t>(frame));
        line.add(", being ");
        line.add(call.being.load(std::memory_order_relaxed));
    }
    line.add("\n");
    text[line.length] = 0;
    return line.length;
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
