#pragma once

#include "os/ReplacementFile.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace shamblex::cli {

// One output of the runner: standard output for "-", otherwise a file written whole
// under a temporary name and renamed into place when the run ends (so that a failed
// run leaves an old file as it was). Several outputs naming the same file share one
// stream, so that their rows interleave in order instead of overwriting each other.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens for binary writing; the system's reason when it cannot.
    std::optional<std::string> open(const std::string& path, std::FILE* standardOutput);
    // Shares the stream of another open output.
    void share(OutputFile& other);

    bool isOpen() const { return m_stream != nullptr; }
    const std::string& path() const { return m_path; }

    void write(std::string_view text);
    void write(const void* bytes, std::size_t size);
    // Whether every write so far went through, and if not, why.
    bool healthy() const;
    std::string failure() const { return m_reason.empty() ? "a write failed" : m_reason; }

    // Completes the output (renames a file into place); the reason when a write or
    // the rename failed.
    std::optional<std::string> finish();
    // Leaves the final path as it was and removes what was written.
    void discard();

private:
    std::FILE* m_stream = nullptr;
    std::unique_ptr<ReplacementFile> m_file; // null for "-" and for shared outputs
    OutputFile* m_owner = nullptr; // the output whose stream this one shares
    bool m_failed = false;
    std::string m_reason; // the system's words for the first failed write
    std::string m_path;
};

// Whether two output paths name the same file ("-" only matches "-").
bool sameOutput(const std::string& a, const std::string& b);

}
