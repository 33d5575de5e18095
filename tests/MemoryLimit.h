#pragma once

// Tests of what happens when memory runs out, with the same answer on every machine.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace shamblex::test {

// A request that no machine this runs on can grant, where the test cannot set a
// limit of its own (Windows).
inline constexpr std::int32_t beingsNoMachineHolds = 2'100'000'000;
// A request above the limit that expectUnderMemoryLimit() sets.
inline constexpr std::int32_t beingsAboveTheLimit = 100'000'000;

#if !defined(_WIN32)
// The child's side: the limit, the check, and its answer as the exit status.
[[noreturn]] inline void checkUnderMemoryLimit(const std::function<bool()>& check)
{
#if !defined(__SANITIZE_ADDRESS__)
    constexpr rlim_t addressSpace = rlim_t { 1 } << 30;
    const rlimit limit { addressSpace, addressSpace };
    setrlimit(RLIMIT_AS, &limit);
#endif
    std::_Exit(check() ? 0 : 1);
}
#endif

// Whether `check` holds when run in a child process that may not use more than a
// gigabyte of address space, whatever the machine has. Under AddressSanitizer, which
// reserves far more address space for itself, the test program limits every single
// allocation to 1 GB instead (SanitizerOptions.cpp). Windows has no such child:
// `check` runs here.
inline void expectUnderMemoryLimit(const std::function<bool()>& check)
{
#if defined(_WIN32)
    EXPECT_TRUE(check());
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(checkUnderMemoryLimit(check), ::testing::ExitedWithCode(0), "");
#endif
}

}
