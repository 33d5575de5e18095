// What shared memory does alike on every system; the rest is in PosixSharedMemory.cpp
// and WindowsSharedMemory.cpp.
#include "os/SharedMemory.h"

#include <utility>

namespace shamblex {

SharedMemory::~SharedMemory()
{
    unmap();
}

SharedMemory::SharedMemory(SharedMemory&& other) noexcept
    : m_handle(std::move(other.m_handle))
    , m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
{
}

SharedMemory& SharedMemory::operator=(SharedMemory&& other) noexcept
{
    if (this != &other) {
        unmap();
        m_handle = std::move(other.m_handle);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

}
