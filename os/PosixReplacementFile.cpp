#include "os/ReplacementFile.h"

#include "os/EmergencyCleanup.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace shamblex {

namespace {

std::string systemReason(int error)
{
    return std::strerror(error);
}

// Where an output goes once its path has been followed.
struct Destination {
    std::string path; // the file to replace (empty when written through)
    int descriptor = -1; // open for writing through
    bool exists = false; // a regular file is there: keep its mode and owner
    struct stat existing {};
};

using Resolved = std::optional<std::string>; // the reason it cannot be written

// The descriptor a name of this process's own descriptors stands for: /dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N.
std::optional<int> ownDescriptorNamed(const std::string& path)
{
    if (path == "/dev/stdout")
        return 1;
    if (path == "/dev/stderr")
        return 2;
    for (std::string_view prefix : { "/dev/fd/", "/proc/self/fd/" }) {
        if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
            continue;
        int number = -1;
        const char* first = path.data() + prefix.size();
        const char* last = path.data() + path.size();
        auto [end, error] = std::from_chars(first, last, number);
        if (error == std::errc() && end == last && number >= 0)
            return number;
    }
    return std::nullopt;
}

Resolved openThrough(const std::string& path, const struct stat& info, Destination& destination)
{
    if (S_ISSOCK(info.st_mode)) {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path)
            return std::string("the socket's name is too long");
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        int descriptor = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (descriptor < 0)
            return systemReason(errno);
        if (connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            int error = errno;
            close(descriptor);
            return systemReason(error);
        }
        destination.descriptor = descriptor;
        return std::nullopt;
    }
    // A FIFO waits here for its reader, as any writer of one does.
    int descriptor = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return systemReason(errno);
    destination.descriptor = descriptor;
    return std::nullopt;
}

// Follows the path's links to what it finally names and decides how it is written.
Resolved resolve(const std::string& path, Destination& destination)
{
    constexpr int maximumLinks = 40; // as the kernel allows
    std::string current = path;
    for (int hop = 0; hop <= maximumLinks; ++hop) {
        if (auto own = ownDescriptorNamed(current)) {
            int descriptor = fcntl(*own, F_DUPFD_CLOEXEC, 0);
            if (descriptor < 0)
                return "descriptor " + std::to_string(*own) + " is not open";
            destination.descriptor = descriptor;
            return std::nullopt;
        }
        struct stat info {};
        if (lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT)
                return systemReason(errno);
            // A new file, or the file a dangling link points to: the link stays.
            destination.path = current;
            return std::nullopt;
        }
        if (S_ISLNK(info.st_mode)) {
            std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
            ssize_t length = readlink(current.c_str(), target.data(), target.size());
            if (length < 0)
                return systemReason(errno);
            target.resize(static_cast<std::size_t>(length));
            auto slash = current.rfind('/');
            if (!target.empty() && target[0] != '/' && slash != std::string::npos)
                target = current.substr(0, slash + 1) + target;
            current = target;
            continue;
        }
        if (S_ISREG(info.st_mode)) {
            destination.path = current;
            destination.exists = true;
            destination.existing = info;
            return std::nullopt;
        }
        if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))
            return openThrough(current, info, destination);
        if (S_ISDIR(info.st_mode))
            return std::string("it is a folder");
        if (S_ISBLK(info.st_mode))
            return std::string("it is a block device, which is never written");
        return std::string("it is not a file");
    }
    return systemReason(ELOOP);
}

}

ReplacementFile::~ReplacementFile()
{
    discard();
}

int ReplacementFile::descriptor() const
{
    return m_stream ? fileno(m_stream) : -1;
}

std::optional<std::string> ReplacementFile::open(const std::string& path)
{
    discard();
    Destination destination;
    if (auto reason = resolve(path, destination))
        return reason;
    if (destination.descriptor >= 0) {
        m_stream = fdopen(destination.descriptor, "wb");
        if (!m_stream) {
            int error = errno;
            close(destination.descriptor);
            return systemReason(error);
        }
        m_path = path;
        m_through = true;
        return std::nullopt;
    }
    // ".name.XXXXXX.ext" in the same folder as the file replaced: a rename within
    // one file system replaces the old file in one step.
    const std::string& final = destination.path;
    auto slash = final.rfind('/');
    std::string folder = slash == std::string::npos ? "" : final.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? final : final.substr(slash + 1);
    auto dot = name.rfind('.');
    std::string extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    std::string pattern = folder + "." + name + ".XXXXXX" + extension;
    int descriptor = mkstemps(pattern.data(), static_cast<int>(extension.size()));
    if (descriptor < 0)
        return systemReason(errno);
    if (destination.exists) {
        // The replacement is the same file to its owner: same mode, same owner
        // where this process may give it (as root).
        if (geteuid() == 0)
            [[maybe_unused]] int ignored = fchown(descriptor, destination.existing.st_uid, destination.existing.st_gid);
        fchmod(descriptor, destination.existing.st_mode & 07777);
    } else {
        // mkstemp makes a private file; a new file gets the usual permissions.
        mode_t mask = umask(0);
        umask(mask);
        fchmod(descriptor, 0666 & ~mask);
    }
    m_stream = fdopen(descriptor, "wb");
    if (!m_stream) {
        int error = errno;
        close(descriptor);
        unlink(pattern.c_str());
        return systemReason(error);
    }
    m_path = path;
    m_final = final;
    m_temporary = pattern;
    removeIfEndedAtOnce(m_temporary);
    return std::nullopt;
}

std::optional<std::string> ReplacementFile::commit()
{
    if (m_temporary.empty() && !m_through)
        return "not open";
    int error = 0;
    if (m_stream) {
        if (std::fflush(m_stream) != 0 || std::ferror(m_stream))
            error = errno ? errno : EIO;
        if (std::fclose(m_stream) != 0 && error == 0)
            error = errno;
        m_stream = nullptr;
    }
    if (m_through) {
        m_through = false;
        return error != 0 ? std::optional<std::string>(systemReason(error)) : std::nullopt;
    }
    if (error == 0 && std::rename(m_temporary.c_str(), m_final.c_str()) != 0)
        error = errno;
    if (error != 0)
        unlink(m_temporary.c_str());
    keepIfEndedAtOnce(m_temporary);
    m_temporary.clear();
    if (error != 0)
        return systemReason(error);
    return std::nullopt;
}

void ReplacementFile::discard()
{
    if (m_stream) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    m_through = false;
    if (!m_temporary.empty()) {
        unlink(m_temporary.c_str());
        keepIfEndedAtOnce(m_temporary);
        m_temporary.clear();
    }
}

}
