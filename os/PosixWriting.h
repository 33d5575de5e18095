#pragma once

#include <cerrno>
#include <cstddef>
#include <unistd.h>

namespace shamblex {

// Writes every byte to the descriptor, as the stream takes them; false once it takes
// no more (the reader went away, or the write failed). A reader that goes away
// must not end the writer: the writers ignore SIGPIPE (Process::start) or send with
// MSG_NOSIGNAL.
inline bool writeFully(int descriptor, const void* bytes, std::size_t size)
{
    const char* from = static_cast<const char*>(bytes);
    while (size > 0) {
        ssize_t written = ::write(descriptor, from, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        from += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}
