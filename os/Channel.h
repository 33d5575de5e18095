#pragma once

#include "os/NativeHandle.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace shamblex {

// One message of a channel: a type, its bytes, and the handles that came with it
// (owned by the message; valid in the receiving process).
struct ChannelMessage {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> payload;
    std::vector<OwnedHandle> handles;
};

enum class ChannelStatus {
    Received,
    Closed, // the other end is gone
    TimedOut,
    // The bytes that came are no message of ours (too long, too many handles, a
    // header cut short): the channel is of no further use.
    Broken,
};

// A two-way channel of typed messages between this process and one other (a brain
// worker and its host): a stream socket on POSIX systems, a named pipe on Windows.
// Messages keep their boundaries and their order; handles travel with them (file
// descriptors passed by the socket, or handles duplicated into the other process on
// Windows, which needs that process's handle: setPeer).
//
// A channel is used by one thread at a time in each process.
class Channel {
public:
    // The most handles one message may carry.
    static constexpr std::size_t maximumHandles = 32;

    Channel() = default;
    ~Channel();
    Channel(Channel&&) noexcept;
    Channel& operator=(Channel&&) noexcept;
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // Two connected ends. The first is this process's (a host's: it takes no handles
    // from the other end); the second is to be handed to a child (Process's inherited
    // handles: `childHandle()`), which adopts it, and is then closed here. The reason
    // when the system refuses.
    static std::optional<std::pair<Channel, Channel>> makePair(std::string& error);
    // The end a child was handed, by the handle value it was told.
    static Channel adopt(NativeHandle);

    NativeHandle childHandle() const { return m_handle; }
    bool isOpen() const { return m_handle != invalidHandle; }
    void close();

    // Windows: the process at the other end, into which handles are duplicated.
    void setPeer(NativeHandle process) { m_peer = process; }

    // POSIX: the function this channel makes its system calls through (the number and
    // six arguments; the result, or minus the error number), in place of the C
    // library's. A brain worker pins its channel's calls to one instruction of its own,
    // so that a filter can keep every other caller off the channel.
    using SystemCall = long (*)(long number, long, long, long, long, long, long);
    void setSystemCall(SystemCall call) { m_systemCall = call; }

    // Sends one message; false once the other end is gone.
    bool send(std::uint32_t type, std::span<const std::uint8_t> payload, std::span<const NativeHandle> handles = {});

    // Waits for the next message until `deadline` (for ever when none); refuses one
    // whose payload is longer than `maximumPayload`.
    ChannelStatus receive(ChannelMessage&, std::size_t maximumPayload,
        std::optional<std::chrono::steady_clock::time_point> deadline = std::nullopt);

private:
    // What goes before every message's payload, the same on both platforms: its
    // type, the payload's length in bytes, and how many handles travel with it.
    struct Header {
        std::uint32_t type;
        std::uint32_t length;
        std::uint32_t handles;
    };

    explicit Channel(NativeHandle handle)
        : m_handle(handle)
    {
    }
    bool readExactly(void* into, std::size_t size, std::optional<std::chrono::steady_clock::time_point> deadline,
        ChannelStatus& status);

    NativeHandle m_handle = invalidHandle;
    NativeHandle m_peer = invalidHandle;
    NativeHandle m_event = invalidHandle; // Windows: signals the end of an overlapped read
    // Only an adopted end (a worker's) takes handles from the other end: a host never
    // believes a number a worker sends is a handle of its own.
    bool m_acceptsHandles = false;
    SystemCall m_systemCall = nullptr;
    long systemCall(long number, long a = 0, long b = 0, long c = 0, long d = 0, long e = 0, long f = 0) const;
    // Waits until the channel can be read, or the deadline passes (POSIX).
    bool waitReadable(std::optional<std::chrono::steady_clock::time_point> deadline) const;
};

}
