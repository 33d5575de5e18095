#pragma once

#include "brains/LibraryLoader.h"
#include "hosting/WorkerProtocol.h"
#include "os/NativeHandle.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace shamblex {

// A brain worker's loader: the registry in the worker scans, checks and loads as it
// always does, but the scan is the host's offer and the check the host's verdict,
// and a library loads from the sealed copy the host handed over (on Linux, by the
// path of its descriptor in /proc/self/fd), never from a path in the folder. The
// worker touches no file of the user's.
//
// Every copy's descriptor stays open for the worker's life: the system's loader knows
// a library by its path name, and a descriptor number reused for another file would
// hand back the library loaded before under that path.
class OfferedLibraryLoader final : public LibraryLoader {
public:
    explicit OfferedLibraryLoader(std::unique_ptr<LibraryLoader> platform);

    // The offer of the host's latest scan, and the copies new in it, in the order of
    // its newLibraries. False when the copies do not match the offer.
    bool take(worker::BrainOffer, std::vector<OwnedHandle> copies);
    // Called after each library that loads, with its number and handle.
    void onLoaded(std::function<void(std::int32_t library, void* handle)> listener) { m_onLoaded = std::move(listener); }

    std::vector<std::string> findLibraries(const std::string& folder, std::string& error) override;
    std::optional<std::string> inspect(const std::string& path) override;
    Handle load(const std::string& path, std::string& error) override;
    void* findExport(Handle, const char* name) override;
    void release(Handle) override;
    std::string pathInFolder(const std::string& folder, const std::string& fileName) const override;
    void* guardedRecordRoom() override;
    std::int32_t libraryNumber(const std::string& path) const override;

private:
    const worker::OfferedFile* fileAt(const std::string& path) const;

    std::unique_ptr<LibraryLoader> m_platform;
    worker::BrainOffer m_offer;
    std::map<std::int32_t, OwnedHandle> m_copies;
    std::string m_folder; // the folder the registry asked for, for paths on Windows
    std::function<void(std::int32_t, void*)> m_onLoaded;
};

}
