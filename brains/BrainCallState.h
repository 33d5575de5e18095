#pragma once

#include <atomic>
#include <cstdint>

namespace shamblex {

// What the process is doing inside a brain right now: which brain runs, in which
// frame, for which being. The handlers that report a brain that crashed, exited or
// never returned read it from a signal handler or a watchdog thread, which have no
// other way to reach the program's objects; so this is the one piece of state the
// whole process shares. Only the registry's calls write it.
//
// A brain worker keeps it in memory it shares with its host (placeBrainCallState),
// so that the host can name the brain whatever ends the worker. It is then written by
// the worker, and so by the brains in it: the host treats what it reads as a claim.
struct BrainCallState {
    // The running brain's name, in this process; null outside a call. Non-null is all
    // another process can make of it.
    std::atomic<const char*> brain { nullptr };
    // The library number the loader gave the running brain's file (-1 when it gives
    // none): how another process names the brain.
    std::atomic<std::int32_t> library { -1 };
    std::atomic<std::int32_t> frame { 0 }; // loadingFrame while a brain library loads
    std::atomic<std::uint32_t> being { 0 };
    std::atomic<std::uint64_t> calls { 0 }; // counts every call, so that a watchdog sees progress
};

static_assert(std::atomic<const char*>::is_always_lock_free && std::atomic<std::uint64_t>::is_always_lock_free,
    "shared between processes, the state must work without locks");

// The frame of a brain "call" that is the loading of its library.
inline constexpr std::int32_t loadingFrame = -1;

BrainCallState& brainCallState();

// From now on the process's state is the one at `shared` (constructed there by the
// caller), before any brain is loaded.
void placeBrainCallState(BrainCallState* shared);

}
