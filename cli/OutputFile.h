#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace shamblex::cli {

// One output of the runner: a file opened (and emptied) before the run starts, or
// standard output for "-". Several outputs naming the same file share one stream, so
// their rows interleave in order instead of overwriting each other.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Opens for binary writing; false when the file cannot be created.
    bool open(const std::string& path, std::FILE* standardOutput);
    // Shares the stream of another open output.
    void share(OutputFile& other);

    bool isOpen() const { return m_stream != nullptr; }
    const std::string& path() const { return m_path; }

    void write(std::string_view text);
    void write(const void* bytes, std::size_t size);

    // Flushes and closes (when owned); false when any write failed.
    bool finish();

private:
    std::FILE* m_stream = nullptr;
    OutputFile* m_owner = nullptr; // the output whose stream this one shares
    bool m_ownsStream = false;
    bool m_failed = false;
    std::string m_path;
};

// Whether two output paths name the same file ("-" only matches "-").
bool sameOutput(const std::string& a, const std::string& b);

}
