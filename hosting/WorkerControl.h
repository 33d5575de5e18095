#pragma once

#include "brains/BrainCallState.h"

#include <atomic>
#include <cstdint>

namespace shamblex {

// The code of one brain library as it lies in a worker's memory, so that a crash at an
// address in it, outside any call (a thread the brain started), is laid at its door.
struct LibraryCode {
    std::atomic<std::int32_t> library { -1 };
    std::atomic<std::uint64_t> start { 0 };
    std::atomic<std::uint64_t> end { 0 };
};

// The block of memory a brain worker shares with its host: the host makes it before
// the worker starts and reads it whatever ends the worker. Everything in it is
// written by the worker, and so possibly by the brains in it: the host checks each
// value it reads against what it knows before it believes it.
struct WorkerControl {
    static constexpr std::uint32_t expectedMark = 0x5348424Du; // "SHBM"
    static constexpr std::size_t maximumLibraries = 64;

    std::atomic<std::uint32_t> mark { expectedMark };
    // The culprit record: which brain runs, in which frame, for which being.
    BrainCallState call;
    // Set by the worker's handlers on the way down: the system call the filter
    // refused (-1 none), the signal that ended it (0 none) and the address of the
    // instruction it stopped at.
    std::atomic<std::int32_t> refusedSystemCall { -1 };
    std::atomic<std::int32_t> fatalSignal { 0 };
    std::atomic<std::uint64_t> faultAddress { 0 };
    // Set by the host: the running run stops after its current frame step.
    std::atomic<std::uint32_t> stopRequested { 0 };
    // The frame steps a run has played, for the host's progress line.
    std::atomic<std::int64_t> runSteps { 0 };
    // The code ranges of the loaded brain libraries.
    std::atomic<std::uint32_t> libraryCount { 0 };
    LibraryCode libraries[maximumLibraries];
};

static_assert(std::atomic<std::int32_t>::is_always_lock_free && std::atomic<std::uint32_t>::is_always_lock_free);

}
