#pragma once


#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace shamblex {

class OptionTable;

// How a program hosts its brains, as every program's command line sets it.
struct HostingOptions {
    // Brains run in a sandboxed worker process; off, they run in the program itself
    // (to debug a brain in a debugger).
    bool sandbox = true;
    // The address space a brain worker may use.
    std::uint64_t memoryLimit = 4ull << 30;
};

// The limit --memory-limit takes, in megabytes: from 64 MB to 1 TB.
inline constexpr std::uint64_t minimumMemoryLimitMegabytes = 64;
inline constexpr std::uint64_t maximumMemoryLimitMegabytes = 1u << 20;

// Adds --no-sandbox and --memory-limit MB to a program's command line.
void addHostingOptions(OptionTable&, HostingOptions&);

}
