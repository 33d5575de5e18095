#pragma once

#include <cstdint>

namespace shamblex {

// A descriptor of the operating system: a file descriptor on POSIX systems, a HANDLE
// on Windows, held as a number so that portable code can pass it along.
using NativeHandle = std::intptr_t;
inline constexpr NativeHandle invalidHandle = -1;

// Closes the handle if it is one; harmless on invalidHandle.
void closeHandle(NativeHandle);

// One open handle, closed when it goes.
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(NativeHandle handle)
        : m_handle(handle)
    {
    }
    ~OwnedHandle() { closeHandle(m_handle); }
    OwnedHandle(OwnedHandle&& other) noexcept
        : m_handle(other.release())
    {
    }
    OwnedHandle& operator=(OwnedHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    NativeHandle get() const { return m_handle; }
    bool valid() const { return m_handle != invalidHandle; }
    explicit operator bool() const { return valid(); }
    NativeHandle release()
    {
        NativeHandle handle = m_handle;
        m_handle = invalidHandle;
        return handle;
    }
    void reset(NativeHandle handle = invalidHandle)
    {
        closeHandle(m_handle);
        m_handle = handle;
    }

private:
    NativeHandle m_handle = invalidHandle;
};

}
