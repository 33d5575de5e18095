#pragma once

#include <atomic>
#include <cstdint>

namespace shamblex {

// What the process is doing inside a brain right now: which brain runs, in which
// frame, for which being. The handlers that report a brain that crashed, exited or
// never returned read it from a signal handler or a watchdog thread, which have no
// other way to reach the program's objects; so this is the one piece of state the
// whole process shares. Only the registry's calls write it.
struct BrainCallState {
    std::atomic<const char*> brain { nullptr }; // the running brain's name; null outside a call
    std::atomic<std::int32_t> frame { 0 }; // loadingFrame while a brain library loads
    std::atomic<std::uint32_t> being { 0 };
    std::atomic<std::uint64_t> calls { 0 }; // counts every call, so that a watchdog sees progress
};

// The frame of a brain "call" that is the loading of its library.
inline constexpr std::int32_t loadingFrame = -1;

BrainCallState& brainCallState();

}
