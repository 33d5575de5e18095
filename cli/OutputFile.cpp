#include "cli/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace shamblex::cli {

std::optional<std::string> OutputFile::open(const std::string& path, std::FILE* standardOutput)
{
    m_path = path;
    if (path == "-") {
        m_stream = standardOutput;
        return std::nullopt;
    }
    m_file = std::make_unique<ReplacementFile>();
    if (auto reason = m_file->open(path)) {
        m_file.reset();
        return reason;
    }
    m_stream = m_file->stream();
    return std::nullopt;
}

void OutputFile::share(OutputFile& other)
{
    m_path = other.m_path;
    m_stream = other.m_stream;
    m_owner = &other;
}

void OutputFile::write(std::string_view text)
{
    write(text.data(), text.size());
}

void OutputFile::write(const void* bytes, std::size_t size)
{
    if (!m_stream || size == 0)
        return;
    if (std::fwrite(bytes, 1, size, m_stream) != size && !m_failed) {
        OutputFile& owner = m_owner ? *m_owner : *this;
        owner.m_failed = m_failed = true;
        owner.m_reason = m_reason = errno ? std::strerror(errno) : "a write failed";
    }
}

bool OutputFile::healthy() const
{
    return !m_failed && !(m_stream && std::ferror(m_stream));
}

std::optional<std::string> OutputFile::finish()
{
    if (!m_stream)
        return std::nullopt;
    // A file with a failed write is never renamed into place.
    if (!healthy()) {
        std::string reason = failure();
        discard();
        return reason;
    }
    std::optional<std::string> reason;
    if (m_file)
        reason = m_file->commit();
    else if (!m_owner && std::fflush(m_stream) != 0)
        reason = std::strerror(errno);
    m_stream = nullptr;
    m_file.reset();
    return reason;
}

void OutputFile::discard()
{
    if (m_file)
        m_file->discard();
    m_file.reset();
    m_stream = nullptr;
}

bool sameOutput(const std::string& a, const std::string& b)
{
    if (a == "-" || b == "-")
        return a == b;
    std::error_code error;
    auto canonicalA = std::filesystem::weakly_canonical(a, error);
    if (error)
        return a == b;
    auto canonicalB = std::filesystem::weakly_canonical(b, error);
    if (error)
        return a == b;
    return canonicalA == canonicalB;
}

}
