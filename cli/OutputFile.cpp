#include "cli/OutputFile.h"

#include <filesystem>
#include <system_error>

namespace shamblex::cli {

OutputFile::~OutputFile()
{
    finish();
}

bool OutputFile::open(const std::string& path, std::FILE* standardOutput)
{
    m_path = path;
    if (path == "-") {
        m_stream = standardOutput;
        m_ownsStream = false;
        return true;
    }
    m_stream = std::fopen(path.c_str(), "wb");
    m_ownsStream = m_stream != nullptr;
    return m_stream != nullptr;
}

void OutputFile::share(OutputFile& other)
{
    m_path = other.m_path;
    m_stream = other.m_stream;
    m_owner = &other;
    m_ownsStream = false;
}

void OutputFile::write(std::string_view text)
{
    write(text.data(), text.size());
}

void OutputFile::write(const void* bytes, std::size_t size)
{
    if (!m_stream || size == 0)
        return;
    if (std::fwrite(bytes, 1, size, m_stream) != size) {
        m_failed = true;
        if (m_owner)
            m_owner->m_failed = true;
    }
}

bool OutputFile::finish()
{
    if (!m_stream)
        return !m_failed;
    if (std::fflush(m_stream) != 0 || std::ferror(m_stream))
        m_failed = true;
    if (m_ownsStream && std::fclose(m_stream) != 0)
        m_failed = true;
    m_stream = nullptr;
    m_ownsStream = false;
    return !m_failed;
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
