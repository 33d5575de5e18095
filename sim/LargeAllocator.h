#pragma once

#include <cstddef>
#include <new>

namespace shamblex {

// The allocator of the arrays that grow with the board or the population: cells,
// beings and their indexes. It asks for memory with the non-throwing operator new and
// turns a refusal into std::bad_alloc itself, so that an outbreak too large for the
// machine is refused the same way everywhere. (Under AddressSanitizer the throwing
// operator new ends the process on a refusal instead of throwing.)
template<typename T>
struct LargeAllocator {
    using value_type = T;

    LargeAllocator() = default;
    template<typename U>
    LargeAllocator(const LargeAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t count)
    {
        if (count > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        void* memory = ::operator new(count * sizeof(T), std::align_val_t { alignof(T) }, std::nothrow);
        if (!memory)
            throw std::bad_alloc();
        return static_cast<T*>(memory);
    }

    void deallocate(T* memory, std::size_t) noexcept { ::operator delete(memory, std::align_val_t { alignof(T) }); }

    template<typename U>
    friend bool operator==(const LargeAllocator&, const LargeAllocator<U>&) noexcept
    {
        return true;
    }
};

}
