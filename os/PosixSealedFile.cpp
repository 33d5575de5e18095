#include "os/SealedFile.h"

#include <utility>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shamblex {

void SealedFile::release()
{
    if (m_data && m_size > 0)
        munmap(const_cast<void*>(m_data), m_size);
    m_data = nullptr;
    m_size = 0;
}

std::optional<SealedFile> SealedFile::read(const std::string& path, std::string& error)
{
    OwnedHandle file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file) {
        error = "cannot be read: " + std::string(std::strerror(errno));
        return std::nullopt;
    }
    const int source = static_cast<int>(file.get());
    struct stat status {};
    if (fstat(source, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? "a folder, not a library" : "not a regular file";
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(status.st_size) > maximumSize) {
        error = "too large to be a brain (" + std::to_string(status.st_size) + " bytes)";
        return std::nullopt;
    }
    OwnedHandle copy(memfd_create("shamblex-brain", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (!copy) {
        error = "cannot be copied: " + std::string(std::strerror(errno));
        return std::nullopt;
    }
    const int target = static_cast<int>(copy.get());
    // Read to the end, whatever the size said: the bytes read are the file.
    char buffer[1 << 16];
    std::size_t total = 0;
    for (;;) {
        ssize_t got = ::read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = "cannot be read: " + std::string(std::strerror(errno));
            return std::nullopt;
        }
        if (got == 0)
            break;
        total += static_cast<std::size_t>(got);
        if (total > maximumSize) {
            error = "too large to be a brain";
            return std::nullopt;
        }
        for (ssize_t done = 0; done < got;) {
            ssize_t written = ::write(target, buffer + done, static_cast<std::size_t>(got - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                error = "cannot be copied: " + std::string(std::strerror(errno));
                return std::nullopt;
            }
            done += written;
        }
    }
    if (fcntl(target, F_ADD_SEALS, F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0) {
        error = "cannot be sealed: " + std::string(std::strerror(errno));
        return std::nullopt;
    }
    SealedFile sealed;
    if (total > 0) {
        void* data = mmap(nullptr, total, PROT_READ, MAP_PRIVATE, target, 0);
        if (data == MAP_FAILED) {
            error = "cannot be mapped: " + std::string(std::strerror(errno));
            return std::nullopt;
        }
        sealed.m_data = data;
        sealed.m_size = total;
    }
    sealed.m_handle = std::move(copy);
    return sealed;
}

}
