// Brain libraries on Windows: DLLs found with the system's file search, which
// ignores letter case, and loaded from their full path so that the system's library
// search cannot pick up a file of the same name from elsewhere.
#include "hosting/PlatformLibraryLoader.h"

#include "brains/BrainFileCheck.h"
#include "brains/BrainRecord.h"
#include "os/WindowsErrorText.h"

#include <algorithm>

#include <windows.h>

namespace shamblex {

// What this program loads: a PE DLL of its own machine.
HostBinary platformHostBinary()
{
#if defined(__x86_64__) || defined(_M_X64)
    return { HostBinary::Format::Pe, 0x8664, true };
#elif defined(__aarch64__) || defined(_M_ARM64)
    return { HostBinary::Format::Pe, 0xaa64, true };
#else
    return { HostBinary::Format::Pe, 0x14c, false };
#endif
}

namespace {

// A file read by offset through its handle.
class HandleBytes final : public FileBytes {
public:
    HandleBytes(HANDLE file, std::uint64_t size)
        : m_file(file)
        , m_size(size)
    {
    }
    ~HandleBytes() override { CloseHandle(m_file); }
    HandleBytes(const HandleBytes&) = delete;
    HandleBytes& operator=(const HandleBytes&) = delete;

    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* into, std::size_t length) override
    {
        if (offset > m_size || length > m_size - offset)
            return false;
        auto* out = static_cast<char*>(into);
        while (length > 0) {
            OVERLAPPED at {};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(m_file, out, chunk, &got, &at) || got == 0)
                return false;
            out += got;
            offset += got;
            length -= got;
        }
        return true;
    }

private:
    HANDLE m_file;
    std::uint64_t m_size;
};

class WindowsLibraryLoader final : public LibraryLoader {
public:
    WindowsLibraryLoader() = default;
    ~WindowsLibraryLoader() override
    {
        if (m_room)
            VirtualFree(m_room, 0, MEM_RELEASE);
    }
    WindowsLibraryLoader(const WindowsLibraryLoader&) = delete;
    WindowsLibraryLoader& operator=(const WindowsLibraryLoader&) = delete;

    void* guardedRecordRoom() override
    {
        // Two pages: the record ends where the first one does, and the second one
        // may be read but not written: as on Linux, vector compares of the status
        // text (the record's last field) read a little past it, and are slow where
        // that read would fault.
        if (!m_room) {
            SYSTEM_INFO system;
            GetSystemInfo(&system);
            m_page = system.dwPageSize;
            m_room = VirtualAlloc(nullptr, 2 * m_page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
            DWORD previous = 0;
            if (m_room && !VirtualProtect(static_cast<char*>(m_room) + m_page, m_page, PAGE_READONLY, &previous)) {
                VirtualFree(m_room, 0, MEM_RELEASE);
                m_room = nullptr;
            }
            if (!m_room)
                return nullptr;
            // A read maps the page, so that reading it takes no fault either.
            [[maybe_unused]] volatile char touched = static_cast<const volatile char*>(m_room)[m_page];
        }
        return static_cast<char*>(m_room) + m_page - sizeof(BrainRecord);
    }

    std::vector<std::string> findLibraries(const std::string& folder, std::string& error) override
    {
        std::vector<std::string> names;
        std::string pattern = pathInFolder(folder, "*.dll");
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            if (code != ERROR_FILE_NOT_FOUND && code != ERROR_NO_MORE_FILES)
                error = windowsErrorText(code);
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

    std::optional<std::string> inspect(const std::string& path) override
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            DWORD attributes = GetFileAttributesA(path.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                return "a folder, not a library";
            return "cannot be read: " + windowsErrorText(code);
        }
        LARGE_INTEGER size {};
        if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
            CloseHandle(file);
            return "not a regular file";
        }
        HandleBytes bytes(file, static_cast<std::uint64_t>(size.QuadPart));
        return whyNotABrain(bytes, platformHostBinary());
    }

    Handle load(const std::string& path, std::string& error) override
    {
        // No error boxes for a broken file: the scan just goes on. The library is
        // loaded from its full path, and its own dependencies are looked for beside
        // it and in the system folder only, never in the working folder first.
        UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        HMODULE module = LoadLibraryExA(path.c_str(), nullptr,
            LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
        DWORD code = GetLastError();
        SetErrorMode(previous);
        if (!module) {
            // The system's messages name the file "%1"; say which it is.
            error = windowsErrorText(code);
            for (auto at = error.find("%1"); at != std::string::npos; at = error.find("%1"))
                error.replace(at, 2, path);
        }
        return module;
    }

    void* findExport(Handle handle, const char* name) override
    {
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
    }

    void release(Handle handle) override { FreeLibrary(static_cast<HMODULE>(handle)); }

    std::string pathInFolder(const std::string& folder, const std::string& fileName) const override
    {
        char full[MAX_PATH * 4];
        DWORD length = GetFullPathNameA(folder.empty() ? "." : folder.c_str(), sizeof full, full, nullptr);
        std::string base = length > 0 && length < sizeof full ? std::string(full, length) : folder;
        if (!base.empty() && base.back() != '\\' && base.back() != '/')
            base += '\\';
        return base + fileName;
    }

private:
    void* m_room = nullptr;
    std::size_t m_page = 0;
};

}

std::unique_ptr<LibraryLoader> makePlatformLibraryLoader()
{
    return std::make_unique<WindowsLibraryLoader>();
}

}
