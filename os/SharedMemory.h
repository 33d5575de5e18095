#pragma once

#include "os/NativeHandle.h"

#include <cstddef>
#include <optional>
#include <string>

namespace shamblex {

// A block of memory two processes share: made by one (the host), mapped by both. On
// Linux it is a memfd sealed against shrinking and growing, so that the other
// process cannot make the maker fault by truncating it; on Windows a paging-file
// mapping.
class SharedMemory {
public:
    SharedMemory() = default;
    ~SharedMemory();
    SharedMemory(SharedMemory&&) noexcept;
    SharedMemory& operator=(SharedMemory&&) noexcept;
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // A new block of `size` bytes, zeroed and mapped; the reason when it cannot be had.
    static std::optional<SharedMemory> create(std::size_t size, std::string& error);
    // Maps a block another process made and handed over, of at least `size` bytes;
    // the reason when the handle is no such block.
    static std::optional<SharedMemory> map(OwnedHandle, std::size_t size, std::string& error);

    void* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    NativeHandle handle() const { return m_handle.get(); }
    // Closes the handle; the mapping stays. What no longer holds the handle cannot be
    // written through it (a brain's write() to every descriptor it has).
    void closeHandle() { m_handle.reset(); }
    bool isEmpty() const { return m_data == nullptr; }

private:
    void unmap();

    OwnedHandle m_handle;
    void* m_data = nullptr;
    std::size_t m_size = 0;
};

}
