#include "os/ReplacementFile.h"

#include "os/EmergencyCleanup.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace shamblex {

namespace {

std::string systemReason(int error)
{
    return std::strerror(error);
}

}

ReplacementFile::~ReplacementFile()
{
    discard();
}

std::optional<std::string> ReplacementFile::open(const std::string& path)
{
    discard();
    // ".name.XXXXXX.ext" in the same folder: a rename within one file system replaces
    // the old file in one step.
    auto slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    auto dot = name.rfind('.');
    std::string extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    std::string pattern = folder + "." + name + ".XXXXXX" + extension;
    int descriptor = mkstemps(pattern.data(), static_cast<int>(extension.size()));
    if (descriptor < 0)
        return systemReason(errno);
    // mkstemp makes a private file; the finished file gets the usual permissions.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    m_stream = fdopen(descriptor, "wb");
    if (!m_stream) {
        int error = errno;
        close(descriptor);
        unlink(pattern.c_str());
        return systemReason(error);
    }
    m_path = path;
    m_temporary = pattern;
    removeIfEndedAtOnce(m_temporary);
    return std::nullopt;
}

std::optional<std::string> ReplacementFile::commit()
{
    if (m_temporary.empty())
        return "not open";
    int error = 0;
    if (m_stream) {
        if (std::fflush(m_stream) != 0 || std::ferror(m_stream))
            error = errno ? errno : EIO;
        if (std::fclose(m_stream) != 0 && error == 0)
            error = errno;
        m_stream = nullptr;
    }
    if (error == 0 && std::rename(m_temporary.c_str(), m_path.c_str()) != 0)
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
    if (!m_temporary.empty()) {
        unlink(m_temporary.c_str());
        keepIfEndedAtOnce(m_temporary);
        m_temporary.clear();
    }
}

}
