#include "os/EmergencyCleanup.h"

#include <atomic>
#include <cstddef>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace shamblex {

namespace {

constexpr std::size_t maximumRemovals = 16;
constexpr std::size_t maximumPath = 4096;

char removals[maximumRemovals][maximumPath];
std::atomic<bool> removalUsed[maximumRemovals];

void removeFile(const char* path)
{
#if defined(_WIN32)
    DeleteFileA(path);
#else
    unlink(path);
#endif
}

}

void removeIfEndedAtOnce(const std::string& path)
{
    if (path.size() >= maximumPath)
        return;
    for (std::size_t i = 0; i < maximumRemovals; ++i) {
        if (removalUsed[i].load(std::memory_order_acquire))
            continue;
        std::memcpy(removals[i], path.c_str(), path.size() + 1);
        removalUsed[i].store(true, std::memory_order_release);
        return;
    }
}

void keepIfEndedAtOnce(const std::string& path)
{
    for (std::size_t i = 0; i < maximumRemovals; ++i) {
        if (removalUsed[i].load(std::memory_order_acquire) && path == removals[i])
            removalUsed[i].store(false, std::memory_order_release);
    }
}

void removeFilesNow()
{
    for (std::size_t i = 0; i < maximumRemovals; ++i) {
        if (removalUsed[i].load(std::memory_order_acquire))
            removeFile(removals[i]);
    }
}

}
