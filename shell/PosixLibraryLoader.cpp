// Brain libraries on Linux and other POSIX systems: ordinary ELF shared libraries
// that keep the ".dll" suffix, so a brain's file and brain name are the same on
// every platform. The suffix is matched exactly, as a POSIX file system does.
#include "shell/PlatformLibraryLoader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>

namespace shamblex {

namespace {

class PosixLibraryLoader final : public LibraryLoader {
public:
    std::vector<std::string> findLibraries(const std::string& folder, std::string& error) override
    {
        std::vector<std::string> names;
        DIR* directory = opendir(folder.c_str());
        if (!directory) {
            error = std::strerror(errno);
            return names;
        }
        while (const dirent* entry = readdir(directory)) {
            std::string_view name = entry->d_name;
            if (name.size() >= 4 && name.substr(name.size() - 4) == ".dll")
                names.emplace_back(name);
        }
        closedir(directory);
        std::sort(names.begin(), names.end());
        return names;
    }

    Handle load(const std::string& path, std::string& error) override
    {
        dlerror();
        // RTLD_LOCAL keeps each brain's symbols to itself, so two brains may both
        // define the same helper names.
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* reason = dlerror();
            error = reason ? reason : "unknown reason";
        }
        return handle;
    }

    void* findExport(Handle handle, const char* name) override
    {
        dlerror();
        return dlsym(handle, name);
    }

    void release(Handle handle) override { dlclose(handle); }

    std::string pathInFolder(const std::string& folder, const std::string& fileName) override
    {
        // A path with a slash is loaded from exactly there, never searched for.
        if (folder.empty())
            return "./" + fileName;
        return folder.back() == '/' ? folder + fileName : folder + "/" + fileName;
    }
};

}

std::unique_ptr<LibraryLoader> makePlatformLibraryLoader()
{
    return std::make_unique<PosixLibraryLoader>();
}

}
