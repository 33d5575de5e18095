#pragma once

// A loader that "finds" in-process functions instead of files, for testing what the
// registry and the simulation do with brains without building libraries.

#include "brains/BrainRecord.h"
#include "brains/LibraryLoader.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace shamblex::test {

class FakeLibraryLoader final : public LibraryLoader {
public:
    // File name -> ExecuteBrain, or null for a library without the export.
    std::map<std::string, ExecuteBrainFn> libraries;
    // References handed out and not given back; shared, so that a test can still
    // read it after the registry that owns the loader is gone.
    std::shared_ptr<int> loaded = std::make_shared<int>(0);

    std::vector<std::string> findLibraries(const std::string&, std::string&) override
    {
        std::vector<std::string> names;
        for (const auto& library : libraries)
            names.push_back(library.first);
        return names;
    }
    std::optional<std::string> inspect(const std::string&) override { return std::nullopt; }
    Handle load(const std::string& path, std::string&) override
    {
        ++*loaded;
        return const_cast<void*>(static_cast<const void*>(&libraries.at(path)));
    }
    void* findExport(Handle handle, const char*) override
    {
        return reinterpret_cast<void*>(*static_cast<ExecuteBrainFn*>(handle));
    }
    void release(Handle) override { --*loaded; }
    std::string pathInFolder(const std::string&, const std::string& fileName) const override { return fileName; }
};

}
