#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace shamblex {

// A file written whole or not at all: it is written under a temporary name in the
// folder of its final path and renamed into place only when complete, so that a
// failed or interrupted writer never leaves a file cut short where the old one was,
// and never leaves its temporary file behind. While it is open, the temporary file is
// also removed if the process has to end at once (see BrainGuard).
class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file beside `path` (with the same extension, so that a
    // program choosing a format by it chooses the same); the system's reason when it
    // cannot.
    std::optional<std::string> open(const std::string& path);
    // The same, but closes the temporary file again for another program to write:
    // commit() then only renames it into place.
    std::optional<std::string> reserve(const std::string& path);
    const std::string& temporaryPath() const { return m_temporary; }

    std::FILE* stream() const { return m_stream; }
    const std::string& path() const { return m_path; }

    // Flushes, closes and renames into place; the reason when a write or the rename
    // failed, in which case the old file (if any) is untouched. The temporary file is
    // gone either way.
    std::optional<std::string> commit();

    // Closes and removes the temporary file; the final path is untouched.
    void discard();

private:
    std::string m_path;
    std::string m_temporary;
    std::FILE* m_stream = nullptr;
};

inline std::optional<std::string> ReplacementFile::reserve(const std::string& path)
{
    auto reason = open(path);
    if (!reason) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    return reason;
}

}
