#include "os/WholeFile.h"

#include "os/ReplacementFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include "os/WindowsErrorText.h"

#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace shamblex {

std::optional<std::string> writeWholeFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    ReplacementFile file;
    if (auto reason = file.open(path))
        return reason;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.stream()) != bytes.size()) {
        std::string reason = std::strerror(errno);
        file.discard();
        return reason;
    }
    return file.commit();
}

std::optional<std::string> writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
#if defined(_WIN32)
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return windowsErrorText(GetLastError());
    std::optional<std::string> reason;
    std::size_t done = 0;
    while (done < bytes.size() && !reason) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            reason = windowsErrorText(GetLastError());
        done += written;
    }
    if (!CloseHandle(file) && !reason)
        reason = windowsErrorText(GetLastError());
    if (reason)
        DeleteFileA(path.c_str());
    return reason;
#else
    int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (descriptor < 0)
        return std::string(std::strerror(errno));
    std::optional<std::string> reason;
    std::size_t done = 0;
    while (done < bytes.size() && !reason) {
        ssize_t written = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            reason = std::strerror(written < 0 ? errno : EIO);
        else
            done += static_cast<std::size_t>(written);
    }
    if (close(descriptor) != 0 && !reason)
        reason = std::strerror(errno);
    if (reason)
        unlink(path.c_str());
    return reason;
#endif
}

}
