#pragma once

#include "brains/LibraryLoader.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>

namespace shamblex {

class StuckBrainWatch;

// Everything a program does to host brains safely, made once at start-up and undone
// when it goes: the guard that turns a crash or an exit inside a brain into one line
// naming the brain and brainFailureStatus, the interrupt handling (SIGINT and SIGTERM,
// or Ctrl+C, only set a flag the program checks between frame steps), and, where the
// program can be stuck inside a brain while a user waits, the stuck-brain watchdog.
// Every program makes exactly one, before any brain is loaded.
class BrainHosting {
public:
    explicit BrainHosting(std::string_view program);
    ~BrainHosting();
    BrainHosting(const BrainHosting&) = delete;
    BrainHosting& operator=(const BrainHosting&) = delete;

    // The brain library loader of this platform.
    std::unique_ptr<LibraryLoader> loader() const;

    // From now on, while one brain call has run longer than `patience`, `endNow` is
    // asked every 50 ms (on the watchdog's thread) whether the user wants out; when it
    // says so, the process ends at once naming the brain.
    void watchStuckBrains(std::function<bool()> endNow, std::chrono::milliseconds patience);

private:
    std::unique_ptr<StuckBrainWatch> m_watch;
};

}
