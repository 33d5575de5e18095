#pragma once

#include "os/NativeHandle.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace shamblex {

// A file's bytes, read once, that can no longer change for as long as this object
// lives, so that what was checked is exactly what is used later. On Linux the bytes
// are copied into a memfd sealed against every change (write, shrink, grow, further
// seals), which another process can be handed and load from; on Windows the file
// itself stays open with no write or delete sharing, so nobody can change or replace
// it until it is closed.
//
// The file is opened without blocking and must be a regular file, so that a FIFO
// or a device named like a brain cannot stall or feed the reader.
class SealedFile {
public:
    // Files larger than this are refused: no brain library is that big.
    static constexpr std::uint64_t maximumSize = 256ull << 20;

    SealedFile() = default;
    ~SealedFile();
    SealedFile(SealedFile&&) noexcept;
    SealedFile& operator=(SealedFile&&) noexcept;
    SealedFile(const SealedFile&) = delete;
    SealedFile& operator=(const SealedFile&) = delete;

    // The reason (one line: "a folder, not a library", "not a regular file", the
    // system's words) when the file cannot be read and sealed.
    static std::optional<SealedFile> read(const std::string& path, std::string& error);

    std::span<const std::uint8_t> bytes() const { return { static_cast<const std::uint8_t*>(m_data), m_size }; }
    // The memfd (Linux) or the open file (Windows).
    NativeHandle handle() const { return m_handle.get(); }

private:
    void release();

    OwnedHandle m_handle;
    const void* m_data = nullptr;
    std::size_t m_size = 0;
    std::vector<std::uint8_t> m_copy; // Windows: the bytes read
};

}
