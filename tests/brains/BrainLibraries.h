#pragma once

// Real brain libraries for tests: folders filled with copies of the test brains
// under the names a test needs, and a look at whether the system still holds one.

#include "../TempDirectory.h"
#include "brains/BrainRecord.h"
#include "brains/BrainRegistry.h"
#include "hosting/PlatformLibraryLoader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <filesystem>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace shamblex::test {

// The test plug-ins lie in a folder of their own, each named after its target.
inline std::string testPlugin(const std::string& target)
{
    return (std::filesystem::path(SHAMBLEX_TEST_PLUGINS) / (target + ".dll")).string();
}
inline const std::string countingBrainPath = testPlugin("test_counting_brain");
inline const std::string noEntryPointPath = testPlugin("test_no_entry_point");
inline const std::string wanderwitPath = SHAMBLEX_WANDERWIT;
inline const std::string baselinePath = SHAMBLEX_BASELINE;
inline const std::string lookoutPath = SHAMBLEX_LOOKOUT;


inline void copyLibrary(const std::string& from, const TempDirectory& folder, const std::string& name)
{
    std::filesystem::copy_file(from, folder.file(name), std::filesystem::copy_options::overwrite_existing);
}

// A registry holding a fresh copy of one brain library under the given name: a copy
// loads as a library of its own, so its globals start over.
struct OneBrain {
    TempDirectory folder;
    BrainRegistry registry { makePlatformLibraryLoader() };
    int slot = -1;

    OneBrain(const std::string& library, const std::string& name)
    {
        copyLibrary(library, folder, name + ".dll");
        registry.reloadBrains(folder.path().string());
        slot = registry.findBrain(name);
    }
    void call(BeingMind& record) { registry.callBrain(slot, record, {}); }
};

// How often the test brain (CountingBrain.cpp) was called for this being: it counts
// in the first four bytes of the being's memory.
inline std::uint32_t callsOf(const BeingMind& record)
{
    std::uint32_t calls;
    std::memcpy(&calls, record.memory.data(), sizeof calls);
    return calls;
}

inline void setEnvironment(const char* name, const std::string& value)
{
#if defined(_WIN32)
    _putenv_s(name, value.c_str());
    SetEnvironmentVariableA(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

// Whether the library at this path is loaded in the process.
inline bool isLibraryLoaded(const std::string& path)
{
#if defined(_WIN32)
    return GetModuleHandleA(std::filesystem::absolute(path).string().c_str()) != nullptr;
#else
    void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
#endif
}

}
