#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace shamblex {

// A file's bytes, read as data: nothing of it runs. The platform supplies one for a
// file it has opened without blocking and found to be a regular file.
class FileBytes {
public:
    virtual ~FileBytes() = default;
    virtual std::uint64_t size() const = 0;
    // Reads `length` bytes at `offset`; false when they do not all lie in the file or
    // the read fails.
    virtual bool read(std::uint64_t offset, void* into, std::size_t length) = 0;
};

// Bytes already in memory, read as a file.
class MemoryBytes final : public FileBytes {
public:
    MemoryBytes(const std::uint8_t* data, std::uint64_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* into, std::size_t length) override
    {
        if (offset > m_size || length > m_size - offset)
            return false;
        std::memcpy(into, m_data + offset, length);
        return true;
    }

private:
    const std::uint8_t* m_data;
    std::uint64_t m_size;
};

// The kind of library this program can load.
struct HostBinary {
    enum class Format {
        Elf,
        Pe,
    };
    Format format = Format::Elf;
    std::uint16_t machine = 0; // ELF e_machine or PE Machine of this program's own code
    bool is64Bit = true;
    // Whether this program runs with AddressSanitizer, which a brain built with it
    // needs (the sanitizer build of this program loads its own sanitized brains).
    bool addressSanitizer = false;
};

// Reads a library file as data and says why it cannot be a brain for this program:
// not a library of the host's format, built for another machine, a program or an
// object file, truncated (headers or tables outside the file), without an exported
// ExecuteBrain, or (ELF) built with the old C++ string ABI, which would corrupt the
// status text the host and the brain share; built with a sanitizer this program
// lacks, whose runtime would abort it; or built against another C++ library
// (libc++), whose std::string the host cannot share. Nothing when the file looks like a brain
// that may be loaded. Reads no more than the headers and the export tables.
std::optional<std::string> whyNotABrain(FileBytes&, const HostBinary&);

}
