#include "hosting/BrainHosting.h"

#include "hosting/BrainGuard.h"
#include "hosting/PlatformLibraryLoader.h"

#include <atomic>
#include <cassert>

namespace shamblex {

namespace {

// The handlers are the process's own: one hosting at a time.
std::atomic<bool> hosting { false };

}

BrainHosting::BrainHosting(std::string_view program)
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

std::unique_ptr<LibraryLoader> BrainHosting::loader() const
{
    return makePlatformLibraryLoader();
}

void BrainHosting::watchStuckBrains(std::function<bool()> endNow, std::chrono::milliseconds patience)
{
    m_watch.reset();
    m_watch = std::make_unique<StuckBrainWatch>(std::move(endNow), patience);
}

}
