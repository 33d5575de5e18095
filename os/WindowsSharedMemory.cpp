#include "os/SharedMemory.h"

#include "os/WindowsErrorText.h"

#include <utility>
#include <windows.h>

namespace shamblex {

void SharedMemory::unmap()
{
    if (m_data)
        UnmapViewOfFile(m_data);
    m_data = nullptr;
    m_size = 0;
}

std::optional<SharedMemory> SharedMemory::create(std::size_t size, std::string& error)
{
    auto wide = static_cast<unsigned long long>(size);
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(wide >> 32),
        static_cast<DWORD>(wide & 0xFFFFFFFFu), nullptr);
    if (!mapping) {
        error = windowsErrorText(GetLastError());
        return std::nullopt;
    }
    return map(OwnedHandle(reinterpret_cast<NativeHandle>(mapping)), size, error);
}

std::optional<SharedMemory> SharedMemory::map(OwnedHandle mapping, std::size_t size, std::string& error)
{
    if (!mapping || size == 0) {
        error = "not a block of the size expected";
        return std::nullopt;
    }
    void* data = MapViewOfFile(reinterpret_cast<HANDLE>(mapping.get()), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
    if (!data) {
        error = windowsErrorText(GetLastError());
        return std::nullopt;
    }
    // A view larger than the mapping fails above; a smaller mapping than asked for
    // cannot be mapped at this size.
    MEMORY_BASIC_INFORMATION region {};
    if (VirtualQuery(data, &region, sizeof region) == 0 || region.RegionSize < size) {
        UnmapViewOfFile(data);
        error = "not a block of the size expected";
        return std::nullopt;
    }
    SharedMemory memory;
    memory.m_handle = std::move(mapping);
    memory.m_data = data;
    memory.m_size = size;
    return memory;
}

}
