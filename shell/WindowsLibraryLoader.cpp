// Brain libraries on Windows: DLLs found with the system's file search, which
// ignores letter case, and loaded from their full path so that the system's library
// search cannot pick up a file of the same name from elsewhere.
#include "shell/PlatformLibraryLoader.h"

#include <algorithm>

#include <windows.h>

namespace shamblex {

namespace {

std::string systemMessage(DWORD code)
{
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
            | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length && text ? std::string(text, length) : "error " + std::to_string(code);
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

class WindowsLibraryLoader final : public LibraryLoader {
public:
    std::vector<std::string> findLibraries(const std::string& folder, std::string& error) override
    {
        std::vector<std::string> names;
        std::string pattern = pathInFolder(folder, "*.dll");
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            if (code != ERROR_FILE_NOT_FOUND && code != ERROR_NO_MORE_FILES)
                error = systemMessage(code);
            return names;
        }
        do {
            // "*.dll" also matches longer suffixes such as ".dllx" through 8.3 names;
            // keep exactly the names that end in ".dll", in any case.
            std::string name = found.cFileName;
            if (name.size() >= 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".dll") == 0)
                names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

    Handle load(const std::string& path, std::string& error) override
    {
        // No error boxes for a broken file: the scan just goes on.
        UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        HMODULE module = LoadLibraryA(path.c_str());
        DWORD code = GetLastError();
        SetErrorMode(previous);
        if (!module)
            error = systemMessage(code);
        return module;
    }

    void* findExport(Handle handle, const char* name) override
    {
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
    }

    void release(Handle handle) override { FreeLibrary(static_cast<HMODULE>(handle)); }

    std::string pathInFolder(const std::string& folder, const std::string& fileName) override
    {
        char full[MAX_PATH * 4];
        DWORD length = GetFullPathNameA(folder.empty() ? "." : folder.c_str(), sizeof full, full, nullptr);
        std::string base = length > 0 && length < sizeof full ? std::string(full, length) : folder;
        if (!base.empty() && base.back() != '\\' && base.back() != '/')
            base += '\\';
        return base + fileName;
    }
};

}

std::unique_ptr<LibraryLoader> makePlatformLibraryLoader()
{
    return std::make_unique<WindowsLibraryLoader>();
}

}
