// What a sealed file does alike on every system; the rest is in PosixSealedFile.cpp
// and WindowsSealedFile.cpp.
#include "os/SealedFile.h"

#include <utility>

namespace shamblex {

SealedFile::~SealedFile()
{
    release();
}

// A vector's buffer moves with it, so the data pointer stays good on Windows too.
SealedFile::SealedFile(SealedFile&& other) noexcept
    : m_handle(std::move(other.m_handle))
    , m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_copy(std::move(other.m_copy))
{
}

SealedFile& SealedFile::operator=(SealedFile&& other) noexcept
{
    if (this != &other) {
        release();
        m_handle = std::move(other.m_handle);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_copy = std::move(other.m_copy);
    }
    return *this;
}

}
