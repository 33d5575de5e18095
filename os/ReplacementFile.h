#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace shamblex {

// An output written where its path points, whole or not at all where that can be
// done:
// - a regular file (or a name not yet taken) is written under a temporary name in
//   its own folder and renamed into place only when complete, so that a failed or
//   interrupted writer never leaves a file cut short where the old one was, and
//   never leaves its temporary file behind; an existing file keeps its mode. While
//   it is open, the temporary file is also removed if the process has to end at
//   once (see BrainGuard).
// - a symbolic link stays a link: the file it points to is replaced as above.
// - a character device, a FIFO or a socket, and the names of this process's own
//   descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N: they may stand for a
//   regular file, a pipe or a terminal the caller opened), are written straight
//   through: no temporary file, no rename, and what was written stays written.
// - anything else (a folder, a block device) is refused with the reason.
class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Opens the output for binary writing (for a replaced file: creates the
    // temporary file, with the same extension, so that a program choosing a format by
    // it chooses the same); the reason when it cannot.
    std::optional<std::string> open(const std::string& path);
    // The same, but closes a temporary file again for another program to write:
    // commit() then only renames it into place. An output written through stays
    // open: hand descriptor() to that program.
    std::optional<std::string> reserve(const std::string& path);
    const std::string& temporaryPath() const { return m_temporary; }

    // Whether the output is written straight through (no temporary file).
    bool writesThrough() const { return m_through; }
    // The open output's descriptor (POSIX; -1 on Windows or when closed).
    int descriptor() const;

    std::FILE* stream() const { return m_stream; }
    const std::string& path() const { return m_path; }

    // Flushes, closes and renames into place; the reason when a write or the rename
    // failed, in which case the old file (if any) is untouched. The temporary file is
    // gone either way.
    std::optional<std::string> commit();

    // Closes and removes the temporary file; the final path is untouched (an output
    // written through keeps what it was sent).
    void discard();

private:
    std::string m_path; // as given
    std::string m_final; // the file renamed over: the path with its links followed
    std::string m_temporary;
    std::FILE* m_stream = nullptr;
    bool m_through = false;
};

inline std::optional<std::string> ReplacementFile::reserve(const std::string& path)
{
    auto reason = open(path);
    if (!reason && !m_through) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    return reason;
}

}
