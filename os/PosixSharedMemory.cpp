#include "os/SharedMemory.h"

#include <utility>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shamblex {

void SharedMemory::unmap()
{
    if (m_data)
        munmap(m_data, m_size);
    m_data = nullptr;
    m_size = 0;
}

std::optional<SharedMemory> SharedMemory::create(std::size_t size, std::string& error)
{
    OwnedHandle file(memfd_create("shamblex-shared", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (!file || ftruncate(static_cast<int>(file.get()), static_cast<off_t>(size)) != 0
        || fcntl(static_cast<int>(file.get()), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    return map(std::move(file), size, error);
}

std::optional<SharedMemory> SharedMemory::map(OwnedHandle file, std::size_t size, std::string& error)
{
    struct stat status {};
    if (!file || size == 0 || fstat(static_cast<int>(file.get()), &status) != 0 || !S_ISREG(status.st_mode)
        || static_cast<std::size_t>(status.st_size) < size) {
        error = "not a block of the size expected";
        return std::nullopt;
    }
    void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, static_cast<int>(file.get()), 0);
    if (data == MAP_FAILED) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    SharedMemory memory;
    memory.m_handle = std::move(file);
    memory.m_data = data;
    memory.m_size = size;
    return memory;
}

}
