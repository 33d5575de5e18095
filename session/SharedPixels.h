#pragma once

#include "os/SharedMemory.h"
#include "render/Bitmap.h"

#include <memory>

namespace shamblex {

// The first `size` bytes of shared memory as a frame's pixel store. The store holds
// the memory, so that it stays mapped while the frame (or a presenter given the same
// pointer) still uses it. Callers pass a size the memory has.
inline PixelMemory sharedPixels(const std::shared_ptr<SharedMemory>& memory, std::size_t size)
{
    return PixelMemory { static_cast<std::uint8_t*>(memory->data()), size, memory };
}

}
