#pragma once

#include "hosting/WorkerControl.h"
#include "os/NativeHandle.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace shamblex {

// How a brain worker is confined; chosen by its host.
struct SandboxSettings {
    bool enabled = true;
    // The highest Landlock ABI to use (a test's way to run the reduced path); none
    // means what the kernel offers, up to what this program knows.
    std::optional<int> landlockLimit;
    // The address space the worker may use, in bytes; 0 for no limit. Not applied
    // under AddressSanitizer, whose shadow memory needs terabytes of address space.
    std::uint64_t memoryLimit = 0;
};

// The worker's own handlers, installed before anything else and before the sandbox:
// whatever ends the worker (a crash in any thread, a refused system call) is written
// into the control block on the way down, for the host to read.
void recordWorkerEndings(WorkerControl&);

// Confines the worker process, before the first brain library is opened: it can no
// longer reach the user's files, the network, the display or another process, start
// programs or processes, or outlive its host. `host` is the host's process id (POSIX)
// or nothing. Features the system lacks are skipped; the lines returned say which.
std::vector<std::string> enterSandbox(const SandboxSettings&, std::int64_t host);

// From now on the descriptor may be read, written, duplicated, replaced or closed only
// through the one system-call instruction that pinnedSystemCall() makes its calls
// with: brain code calling the C library, or a system call instruction of its own, is
// refused (SIGSYS names the call). Where this program knows no such instruction for
// the machine, nothing changes, and pinnedSystemCall() is null.
void pinDescriptor(NativeHandle);
using PinnedSystemCall = long (*)(long number, long, long, long, long, long, long);
PinnedSystemCall pinnedSystemCall();

// After a brain library loaded: where its code lies, so that a crash there outside a
// call is laid at its door. `handle` is the loader's handle.
std::optional<std::pair<std::uint64_t, std::uint64_t>> codeRangeOf(void* handle);

// The name of a system call by its number on this machine ("socket"), for the line
// that says what a brain tried; its number when the name is unknown.
std::string systemCallName(std::int32_t number);

}
