#include "os/Channel.h"


#include <utility>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace shamblex {

namespace {

using Clock = std::chrono::steady_clock;

}

long Channel::systemCall(long number, long a, long b, long c, long d, long e, long f) const
{
    if (m_systemCall)
        return m_systemCall(number, a, b, c, d, e, f);
    long result = syscall(number, a, b, c, d, e, f);
    return result < 0 ? -errno : result;
}

bool Channel::waitReadable(std::optional<Clock::time_point> deadline) const
{
    for (;;) {
        timespec left {};
        if (deadline) {
            auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(*deadline - Clock::now()).count();
            if (nanoseconds < 0)
                nanoseconds = 0;
            left.tv_sec = static_cast<time_t>(nanoseconds / 1'000'000'000);
            left.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
        }
        pollfd wanted { static_cast<int>(m_handle), POLLIN, 0 };
        long ready = systemCall(SYS_ppoll, reinterpret_cast<long>(&wanted), 1,
            deadline ? reinterpret_cast<long>(&left) : 0, 0);
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (ready != -EINTR)
            return true; // let the read report the trouble
    }
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

bool Channel::send(std::uint32_t type, std::span<const std::uint8_t> payload, std::span<const NativeHandle> handles)
{
    if (m_handle == invalidHandle || handles.size() > maximumHandles)
        return false;
    const int socket = static_cast<int>(m_handle);
    Header header { type, static_cast<std::uint32_t>(payload.size()), static_cast<std::uint32_t>(handles.size()) };
    // Header and payload in one call: a message costs one system call, not two.
    iovec parts[2] = { { &header, sizeof header },
        { const_cast<std::uint8_t*>(payload.data()), payload.size() } };
    msghdr message {};
    message.msg_iov = parts;
    message.msg_iovlen = payload.empty() ? 1 : 2;
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
    long sent;
    do {
        sent = systemCall(SYS_sendmsg, socket, reinterpret_cast<long>(&message), MSG_NOSIGNAL);
    } while (sent == -EINTR);
    if (sent <= 0)
        return false;
    // What the stream did not take at once (a large payload), as it takes it.
    auto sendAll = [&](const std::uint8_t* from, std::size_t size) {
        while (size > 0) {
            long written = systemCall(SYS_sendto, socket, reinterpret_cast<long>(from), static_cast<long>(size),
                MSG_NOSIGNAL, 0, 0);
            if (written == -EINTR)
                continue;
            if (written <= 0)
                return false;
            from += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    };
    const auto done = static_cast<std::size_t>(sent);
    const auto* headerBytes = reinterpret_cast<const std::uint8_t*>(&header);
    if (done < sizeof header)
        return sendAll(headerBytes + done, sizeof header - done) && sendAll(payload.data(), payload.size());
    return sendAll(payload.data() + (done - sizeof header), payload.size() - (done - sizeof header));
}

bool Channel::readExactly(void* into, std::size_t size, std::optional<Clock::time_point> deadline, ChannelStatus& status)
{
    auto* to = static_cast<std::uint8_t*>(into);
    while (size > 0) {
        // The rest of a message has usually arrived with its start: read first, wait
        // only when nothing is there yet.
        long got = systemCall(SYS_recvfrom, static_cast<long>(m_handle), reinterpret_cast<long>(to),
            static_cast<long>(size), MSG_DONTWAIT, 0, 0);
        if (got == -EINTR)
            continue;
        if (got == -EAGAIN || got == -EWOULDBLOCK) {
            if (!waitReadable(deadline)) {
                status = ChannelStatus::TimedOut;
                return false;
            }
            continue;
        }
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
    if (!waitReadable(deadline))
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
    long got;
    do {
        got = systemCall(SYS_recvmsg, socket, reinterpret_cast<long>(&message), MSG_CMSG_CLOEXEC);
    } while (got == -EINTR);
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
