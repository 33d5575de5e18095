// What a channel does alike on every system; the rest is in PosixChannel.cpp and
// WindowsChannel.cpp.
#include "os/Channel.h"

#include <utility>

namespace shamblex {

Channel::~Channel()
{
    close();
}

Channel::Channel(Channel&& other) noexcept
    : m_handle(std::exchange(other.m_handle, invalidHandle))
    , m_peer(std::exchange(other.m_peer, invalidHandle))
    , m_event(std::exchange(other.m_event, invalidHandle))
    , m_acceptsHandles(other.m_acceptsHandles)
    , m_systemCall(other.m_systemCall)
{
}

Channel& Channel::operator=(Channel&& other) noexcept
{
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, invalidHandle);
        m_peer = std::exchange(other.m_peer, invalidHandle);
        m_event = std::exchange(other.m_event, invalidHandle);
        m_acceptsHandles = other.m_acceptsHandles;
        m_systemCall = other.m_systemCall;
    }
    return *this;
}

void Channel::close()
{
    closeHandle(m_handle);
    closeHandle(m_event);
    m_handle = invalidHandle;
    m_event = invalidHandle;
}

Channel Channel::adopt(NativeHandle handle)
{
    Channel channel(handle);
    channel.m_acceptsHandles = true;
    return channel;
}

}
