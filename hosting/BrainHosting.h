#pragma once

#include "brains/LibraryLoader.h"
#include "hosting/HostingOptions.h"
#include "hosting/Sandbox.h"
#include "session/SaverCommands.h"
#include "session/SaverControl.h"
#include "session/SessionStart.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace shamblex {

class StuckBrainWatch;

// Everything a program does to host brains safely, made once at start-up and undone
// when it goes: the guard that turns a crash or an exit inside a brain that runs in
// the program itself into one line naming the brain and brainFailureStatus, the
// interrupt handling (SIGINT and SIGTERM, or Ctrl+C, only set a flag the program
// checks), and where brains run: in a sandboxed worker process, or, without the
// sandbox, here, watched by the stuck-brain watchdog. Every program makes exactly
// one, before any brain is loaded.
class BrainHosting {
public:
    BrainHosting(std::string_view program, HostingOptions = {});
    ~BrainHosting();
    BrainHosting(const BrainHosting&) = delete;
    BrainHosting& operator=(const BrainHosting&) = delete;

    const HostingOptions& options() const { return m_options; }
    // The sandbox a worker gets: the options', with the Landlock ABI capped by the
    // SHAMBLEX_LANDLOCK_ABI environment variable when it is set.
    SandboxSettings sandbox() const;

    // The brain library loader of this platform, for brains run here.
    std::unique_ptr<LibraryLoader> loader() const;

    // A saver with its first outbreak started, in a worker or here. `giveUp` is asked
    // while a brain call runs long: true ends the saver (or the worker) at once.
    // Remarks go to `reporter`. Null, with the reason, when it cannot start.
    std::unique_ptr<SaverControl> openSaver(SaverMode, const SessionStart&, std::function<void(std::string_view)> reporter,
        std::function<bool()> giveUp, std::string& error);

    // For brains run here: while one call has run longer than `patience`, `endNow` is
    // asked every 50 ms (on the watchdog's thread) whether to end; when it says so, the
    // process ends at once naming the brain.
    void watchStuckBrains(std::function<bool()> endNow, std::chrono::milliseconds patience);

    // How long a brain call may run in a saver before it counts as stuck.
    static constexpr std::chrono::milliseconds stuckBrainTime { 3000 };

private:
    HostingOptions m_options;
    std::unique_ptr<StuckBrainWatch> m_watch;
};

}
