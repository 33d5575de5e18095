#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace shamblex {

// The platform services the brain registry needs, kept behind an interface so that
// the registry stays portable: the platform layer supplies dlopen on Linux and
// LoadLibrary on Windows.
class LibraryLoader {
public:
    using Handle = void*;

    virtual ~LibraryLoader() = default;

    // The names (without folder) of the entries of `folder` that look like brain
    // libraries: names ending in ".dll" (ignoring case where the platform's file
    // search does), sorted by their bytes so every platform lists them alike.
    // Empty when the folder cannot be read; `error` then says why.
    virtual std::vector<std::string> findLibraries(const std::string& folder, std::string& error) = 0;

    // Reads the file at `path` as data, without loading it or running anything of it,
    // and says why it cannot be a brain of this machine ("built for ARM64",
    // "truncated", "exports no ExecuteBrain", ...), or nothing when it may be loaded.
    virtual std::optional<std::string> inspect(const std::string& path) = 0;

    // Loads the library at `path`, or returns null with the reason in `error`.
    virtual Handle load(const std::string& path, std::string& error) = 0;

    // The address of an exported function, or null.
    virtual void* findExport(Handle, const char* name) = 0;

    // Gives back one reference to a loaded library.
    virtual void release(Handle) = 0;

    // The path of `fileName` inside `folder`, as the platform's loader wants it.
    virtual std::string pathInFolder(const std::string& folder, const std::string& fileName) const = 0;

    // A number for the library file at `path` by which another process can name it
    // (a worker's host), or -1 where there is none.
    virtual std::int32_t libraryNumber(const std::string& /*path*/) const { return -1; }

    // Room for one BrainRecord whose last byte is followed by memory that faults when
    // written (reading it is harmless, and allowed), or null where the platform has
    // none. A brain works on the record there, so that a write past its end is caught
    // at once, inside the call that made it, instead of corrupting whatever lies next.
    // The room lives as long as the loader.
    virtual void* guardedRecordRoom() { return nullptr; }
};

}
