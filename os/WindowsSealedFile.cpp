#include "os/SealedFile.h"

#include "os/WindowsErrorText.h"

#include <utility>
#include <windows.h>

namespace shamblex {

void SealedFile::release()
{
    m_data = nullptr;
    m_size = 0;
    m_copy.clear();
}

std::optional<SealedFile> SealedFile::read(const std::string& path, std::string& error)
{
    // Read sharing only: the file cannot be written, renamed or deleted while open.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            error = "a folder, not a library";
        else
            error = "cannot be read: " + windowsErrorText(code);
        return std::nullopt;
    }
    SealedFile sealed;
    sealed.m_handle.reset(reinterpret_cast<NativeHandle>(file));
    if (GetFileType(file) != FILE_TYPE_DISK) {
        error = "not a regular file";
        return std::nullopt;
    }
    LARGE_INTEGER size {};
    if (!GetFileSizeEx(file, &size) || static_cast<std::uint64_t>(size.QuadPart) > maximumSize) {
        error = "too large to be a brain";
        return std::nullopt;
    }
    sealed.m_copy.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < sealed.m_copy.size()) {
        DWORD got = 0;
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(sealed.m_copy.size() - done, 1u << 20));
        if (!ReadFile(file, sealed.m_copy.data() + done, chunk, &got, nullptr) || got == 0) {
            error = "cannot be read: " + windowsErrorText(GetLastError());
            return std::nullopt;
        }
        done += got;
    }
    sealed.m_size = sealed.m_copy.size();
    sealed.m_data = sealed.m_copy.empty() ? nullptr : sealed.m_copy.data();
    return sealed;
}

}
