#include "os/Channel.h"

#include <utility>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace shamblex {

namespace {

struct Header {
    std::uint32_t type;
    std::uint32_t length;
    std::uint32_t handles;
};

using Clock = std::chrono::steady_clock;

// Waits until the descriptor can be read, or the deadline passes.
bool waitReadable(int descriptor, std::optional<Clock::time_point> deadline)
{
    for (;;) {
        int timeout = -1;
        if (deadline) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
            timeout = left < 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
        }
        pollfd wanted { descriptor, POLLIN, 0 };
        int ready = poll(&wanted, 1, timeout);
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            return true; // let the read report the trouble
    }
}

}

Channel::~Channel()
{
    close();
}

Channel::Channel(Channel&& other) noexcept
    : m_handle(std::exchange(other.m_handle, invalidHandle))
    , m_peer(std::exchange(other.m_peer, invalidHandle))
    , m_acceptsHandles(other.m_acceptsHandles)
{
}

Channel& Channel::operator=(Channel&& other) noexcept
{
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, invalidHandle);
        m_peer = std::exchange(other.m_peer, invalidHandle);
        m_acceptsHandles = other.m_acceptsHandles;
    }
    return *this;
}

void Channel::close()
{
    closeHandle(m_handle);
    m_handle = invalidHandle;
}

std::optional<std::pair<Channel, Channel>> Channel::makePair(std::string& error)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    return std::pair<Channel, Channel> { Channel(ends[0]), Channel(ends[1]) };
}

Channel Channel::adopt(NativeHandle handle)
{
    Channel channel(handle);
    channel.m_acceptsHandles = true;
    return channel;
}

bool Channel::send(std::uint32_t type, std::span<const std::uint8_t> payload, std::span<const NativeHandle> handles)
{
    if (m_handle == invalidHandle || handles.size() > maximumHandles)
        return false;
    const int socket = static_cast<int>(m_handle);
    Header header { type, static_cast<std::uint32_t>(payload.size()), static_cast<std::uint32_t>(handles.size()) };
    iovec part { &header, sizeof header };
    msghdr message {};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * maximumHandles)];
    if (!handles.empty()) {
        message.msg_control = control;
        message.msg_controllen = CMSG_SPACE(sizeof(int) * handles.size());
        cmsghdr* rights = CMSG_FIRSTHDR(&message);
        rights->cmsg_level = SOL_SOCKET;
        rights->cmsg_type = SCM_RIGHTS;
        rights->cmsg_len = CMSG_LEN(sizeof(int) * handles.size());
        for (std::size_t i = 0; i < handles.size(); ++i) {
            int descriptor = static_cast<int>(handles[i]);
            std::memcpy(CMSG_DATA(rights) + i * sizeof(int), &descriptor, sizeof descriptor);
        }
    }
    ssize_t sent;
    do {
        sent = sendmsg(socket, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent <= 0)
        return false;
    // The rest of the header (rarely) and the payload, as the stream takes them.
    auto writeAll = [socket](const std::uint8_t* from, std::size_t size) {
        while (size > 0) {
            ssize_t written = ::send(socket, from, size, MSG_NOSIGNAL);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            from += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    };
    const auto* headerBytes = reinterpret_cast<const std::uint8_t*>(&header);
    return writeAll(headerBytes + sent, sizeof header - static_cast<std::size_t>(sent))
        && writeAll(payload.data(), payload.size());
}

bool Channel::readExactly(void* into, std::size_t size, std::optional<Clock::time_point> deadline, ChannelStatus& status)
{
    auto* to = static_cast<std::uint8_t*>(into);
    while (size > 0) {
        if (!waitReadable(static_cast<int>(m_handle), deadline)) {
            status = ChannelStatus::TimedOut;
            return false;
        }
        ssize_t got = ::read(static_cast<int>(m_handle), to, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            status = ChannelStatus::Closed;
            return false;
        }
        to += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

ChannelStatus Channel::receive(ChannelMessage& received, std::size_t maximumPayload,
    std::optional<Clock::time_point> deadline)
{
    received.handles.clear();
    received.payload.clear();
    if (m_handle == invalidHandle)
        return ChannelStatus::Closed;
    const int socket = static_cast<int>(m_handle);
    if (!waitReadable(socket, deadline))
        return ChannelStatus::TimedOut;

    // The header's first bytes bring the handles.
    Header header {};
    iovec part { &header, sizeof header };
    msghdr message {};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * maximumHandles)];
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got;
    do {
        got = recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    if (got <= 0)
        return ChannelStatus::Closed;
    for (cmsghdr* cmsg = CMSG_FIRSTHDR(&message); cmsg; cmsg = CMSG_NXTHDR(&message, cmsg)) {
        if (cmsg->cmsg_level != SOL_SOCKET || cmsg->cmsg_type != SCM_RIGHTS)
            continue;
        std::size_t count = (cmsg->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int descriptor;
            std::memcpy(&descriptor, CMSG_DATA(cmsg) + i * sizeof(int), sizeof descriptor);
            received.handles.emplace_back(descriptor);
        }
    }
    if ((message.msg_flags & MSG_CTRUNC) || (!received.handles.empty() && !m_acceptsHandles))
        return ChannelStatus::Broken;
    // Once a message has begun, it must come whole in time: a message cut short or
    // left half sent leaves the stream out of step for good.
    ChannelStatus status = ChannelStatus::Received;
    if (static_cast<std::size_t>(got) < sizeof header
        && !readExactly(reinterpret_cast<std::uint8_t*>(&header) + got, sizeof header - static_cast<std::size_t>(got),
            deadline, status))
        return ChannelStatus::Broken;
    if (header.length > maximumPayload || header.handles != received.handles.size())
        return ChannelStatus::Broken;
    received.type = header.type;
    received.payload.resize(header.length);
    if (!readExactly(received.payload.data(), header.length, deadline, status))
        return ChannelStatus::Broken;
    return ChannelStatus::Received;
}

}
