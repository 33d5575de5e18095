#include "hosting/BrainHosting.h"

#include "hosting/BrainGuard.h"
#include "hosting/PlatformLibraryLoader.h"
#include "hosting/WorkerSession.h"
#include "session/CommandLineNumbers.h"
#include "session/SaverSession.h"

#include <atomic>
#include <cassert>
#include <cstdlib>

namespace shamblex {

namespace {

// The handlers are the process's own: one hosting at a time.
std::atomic<bool> hosting { false };

// How long a call may run before the watchdog asks whether to end, for brains run
// in the program itself.
constexpr std::chrono::milliseconds localPatience { 300 };

}

BrainHosting::BrainHosting(std::string_view program, HostingOptions options)
    : m_options(options)
{
    [[maybe_unused]] bool first = !hosting.exchange(true);
    assert(first && "a process hosts brains through one BrainHosting");
    guardBrainCalls(program);
    watchInterrupts();
}

BrainHosting::~BrainHosting()
{
    m_watch.reset();
    hosting.store(false);
}

SandboxSettings BrainHosting::sandbox() const
{
    SandboxSettings settings;
    settings.enabled = m_options.sandbox;
    settings.memoryLimit = m_options.memoryLimit;
    if (const char* limit = std::getenv("SHAMBLEX_LANDLOCK_ABI")) {
        if (auto value = parseUnsigned(limit, 100))
            settings.landlockLimit = static_cast<int>(*value);
    }
    return settings;
}

std::unique_ptr<LibraryLoader> BrainHosting::loader() const
{
    return makePlatformLibraryLoader();
}

std::unique_ptr<SaverControl> BrainHosting::openSaver(SaverMode mode, const SessionStart& start,
    std::function<void(std::string_view)> reporter, std::function<bool()> giveUp, std::string& error)
{
    // A saver that can never load a brain (no brain folder, and a mode in which no
    // command loads one) runs no foreign code, and nothing needs keeping apart: its
    // outbreak runs here, which spares an exchange with a worker every display
    // refresh. No brain call can hang, so nothing watches for one.
    const bool brainless = !start.settings.brainsDirectory && !SaverSession::commandsLoadBrains(mode);
    if (m_options.sandbox && !brainless) {
        auto session = WorkerSession::open({ mode, start, sandbox(), stuckBrainTime, std::move(reporter) }, error);
        if (session)
            session->setGiveUp(std::move(giveUp));
        return session;
    }
    auto session = std::make_unique<SaverSession>(mode, loader());
    session->setSharedFrames(true);
    session->setReporter(std::move(reporter));
    if (auto failure = startSession(*session, start)) {
        error = *failure;
        return nullptr;
    }
    if (!brainless)
        watchStuckBrains(std::move(giveUp), localPatience);
    return session;
}

void BrainHosting::watchStuckBrains(std::function<bool()> endNow, std::chrono::milliseconds patience)
{
    m_watch.reset();
    m_watch = std::make_unique<StuckBrainWatch>(std::move(endNow), patience);
}

}
