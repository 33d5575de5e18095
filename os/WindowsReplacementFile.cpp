#include "os/ReplacementFile.h"

#include "os/EmergencyCleanup.h"
#include "os/WindowsErrorText.h"

#include <fcntl.h>
#include <io.h>
#include <string>

#include <windows.h>

namespace shamblex {

namespace {

// A C stream over the handle, which it then owns; null (and the handle closed) when
// it cannot be made.
std::FILE* streamOver(HANDLE handle)
{
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, "wb");
    if (!stream)
        _close(descriptor);
    return stream;
}

}

ReplacementFile::~ReplacementFile()
{
    discard();
}

int ReplacementFile::descriptor() const
{
    return -1;
}

std::optional<std::string> ReplacementFile::open(const std::string& path)
{
    discard();
    // A device (NUL, CON, a named pipe) is written straight through; only a file on
    // a disk is replaced.
    HANDLE existing = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing != INVALID_HANDLE_VALUE) {
        if (GetFileType(existing) != FILE_TYPE_DISK) {
            m_stream = streamOver(existing);
            if (!m_stream)
                return "cannot open a stream";
            m_path = m_final = path;
            m_through = true;
            return std::nullopt;
        }
        CloseHandle(existing);
    }
    // "name.partial-PID-N.ext" in the same folder, created new, never over another file.
    static unsigned counter = 0;
    auto separator = path.find_last_of("/\\");
    auto dot = path.rfind('.');
    bool hasExtension = dot != std::string::npos && (separator == std::string::npos || dot > separator + 1);
    std::string extension = hasExtension ? path.substr(dot) : "";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = path + ".partial-" + std::to_string(GetCurrentProcessId()) + "-"
            + std::to_string(counter++) + extension;
        // Shared for deletion, so that a process ending at once can remove it while open.
        HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            if (code == ERROR_FILE_EXISTS)
                continue;
            return windowsErrorText(code);
        }
        m_stream = streamOver(file);
        if (!m_stream) {
            DeleteFileA(temporary.c_str());
            return "cannot open a stream";
        }
        m_path = m_final = path;
        m_temporary = temporary;
        removeIfEndedAtOnce(m_temporary);
        return std::nullopt;
    }
    return "no free temporary name";
}

std::optional<std::string> ReplacementFile::commit()
{
    if (m_temporary.empty() && !m_through)
        return "not open";
    std::optional<std::string> reason;
    if (m_stream) {
        if (std::fflush(m_stream) != 0 || std::ferror(m_stream))
            reason = "a write failed";
        if (std::fclose(m_stream) != 0 && !reason)
            reason = "closing failed";
        m_stream = nullptr;
    }
    if (m_through) {
        m_through = false;
        return reason;
    }
    if (!reason && !MoveFileExA(m_temporary.c_str(), m_final.c_str(), MOVEFILE_REPLACE_EXISTING))
        reason = windowsErrorText(GetLastError());
    if (reason)
        DeleteFileA(m_temporary.c_str());
    keepIfEndedAtOnce(m_temporary);
    m_temporary.clear();
    return reason;
}

void ReplacementFile::discard()
{
    if (m_stream) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    m_through = false;
    if (!m_temporary.empty()) {
        DeleteFileA(m_temporary.c_str());
        keepIfEndedAtOnce(m_temporary);
        m_temporary.clear();
    }
}

}
