#include "os/Channel.h"

#include "os/WindowsErrorText.h"

#include <utility>
#include <atomic>
#include <cstring>

#include <windows.h>

namespace shamblex {

namespace {

using Clock = std::chrono::steady_clock;

HANDLE asHandle(NativeHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

NativeHandle asNative(HANDLE handle)
{
    return reinterpret_cast<NativeHandle>(handle);
}

std::atomic<unsigned> pipeCounter { 0 };

}

std::optional<std::pair<Channel, Channel>> Channel::makePair(std::string& error)
{
    // A named pipe of our own: the host's end reads with a time limit (overlapped),
    // the child's end is an ordinary handle.
    std::string name = "\\\\.\\pipe\\shamblex-" + std::to_string(GetCurrentProcessId()) + "-"
        + std::to_string(pipeCounter.fetch_add(1)) + "-" + std::to_string(GetTickCount64());
    HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 1 << 16, 1 << 16, 0, nullptr);
    if (server == INVALID_HANDLE_VALUE) {
        error = windowsErrorText(GetLastError());
        return std::nullopt;
    }
    HANDLE client = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (client == INVALID_HANDLE_VALUE) {
        error = windowsErrorText(GetLastError());
        CloseHandle(server);
        return std::nullopt;
    }
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    OVERLAPPED connecting {};
    connecting.hEvent = event;
    if (!ConnectNamedPipe(server, &connecting) && GetLastError() == ERROR_IO_PENDING) {
        DWORD ignored = 0;
        GetOverlappedResult(server, &connecting, &ignored, TRUE);
    }
    Channel host(asNative(server));
    host.m_event = asNative(event);
    return std::pair<Channel, Channel> { std::move(host), Channel(asNative(client)) };
}

bool Channel::send(std::uint32_t type, std::span<const std::uint8_t> payload, std::span<const NativeHandle> handles)
{
    if (m_handle == invalidHandle || handles.size() > maximumHandles)
        return false;
    std::vector<std::uint64_t> values;
    for (NativeHandle handle : handles) {
        HANDLE copy = nullptr;
        if (m_peer == invalidHandle
            || !DuplicateHandle(GetCurrentProcess(), asHandle(handle), asHandle(m_peer), &copy, 0, FALSE,
                DUPLICATE_SAME_ACCESS))
            return false;
        values.push_back(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(copy)));
    }
    Header header { type, static_cast<std::uint32_t>(payload.size()), static_cast<std::uint32_t>(handles.size()) };
    std::vector<std::uint8_t> bytes(sizeof header + payload.size() + values.size() * sizeof(std::uint64_t));
    std::memcpy(bytes.data(), &header, sizeof header);
    if (!payload.empty())
        std::memcpy(bytes.data() + sizeof header, payload.data(), payload.size());
    if (!values.empty())
        std::memcpy(bytes.data() + sizeof header + payload.size(), values.data(), values.size() * sizeof(std::uint64_t));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (m_event != invalidHandle) {
            OVERLAPPED overlapped {};
            overlapped.hEvent = asHandle(m_event);
            ResetEvent(overlapped.hEvent);
            if (!WriteFile(asHandle(m_handle), bytes.data() + done, chunk, nullptr, &overlapped)
                && GetLastError() != ERROR_IO_PENDING)
                return false;
            if (!GetOverlappedResult(asHandle(m_handle), &overlapped, &written, TRUE))
                return false;
        } else if (!WriteFile(asHandle(m_handle), bytes.data() + done, chunk, &written, nullptr)) {
            return false;
        }
        if (written == 0)
            return false;
        done += written;
    }
    return true;
}

bool Channel::readExactly(void* into, std::size_t size, std::optional<Clock::time_point> deadline, ChannelStatus& status)
{
    auto* to = static_cast<std::uint8_t*>(into);
    while (size > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
        DWORD got = 0;
        if (m_event == invalidHandle) {
            if (!ReadFile(asHandle(m_handle), to, chunk, &got, nullptr) || got == 0) {
                status = ChannelStatus::Closed;
                return false;
            }
        } else {
            OVERLAPPED overlapped {};
            overlapped.hEvent = asHandle(m_event);
            ResetEvent(overlapped.hEvent);
            if (!ReadFile(asHandle(m_handle), to, chunk, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING) {
                status = ChannelStatus::Closed;
                return false;
            }
            DWORD wait = INFINITE;
            if (deadline) {
                auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
                wait = left <= 0 ? 0 : static_cast<DWORD>(std::min<long long>(left, 0x7FFFFFFF));
            }
            if (WaitForSingleObject(overlapped.hEvent, wait) == WAIT_TIMEOUT) {
                CancelIo(asHandle(m_handle));
                GetOverlappedResult(asHandle(m_handle), &overlapped, &got, TRUE);
                if (got == 0) {
                    status = ChannelStatus::TimedOut;
                    return false;
                }
            } else if (!GetOverlappedResult(asHandle(m_handle), &overlapped, &got, FALSE) || got == 0) {
                status = ChannelStatus::Closed;
                return false;
            }
        }
        to += got;
        size -= got;
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
    Header header {};
    ChannelStatus status = ChannelStatus::Received;
    auto* headerBytes = reinterpret_cast<std::uint8_t*>(&header);
    if (!readExactly(headerBytes, 1, deadline, status))
        return status;
    // Once a message has begun, it must come whole in time.
    if (!readExactly(headerBytes + 1, sizeof header - 1, deadline, status))
        return ChannelStatus::Broken;
    if (header.length > maximumPayload || header.handles > maximumHandles || (header.handles > 0 && !m_acceptsHandles))
        return ChannelStatus::Broken;
    received.type = header.type;
    received.payload.resize(header.length);
    if (!readExactly(received.payload.data(), header.length, deadline, status))
        return ChannelStatus::Broken;
    std::vector<std::uint64_t> values(header.handles);
    if (!values.empty() && !readExactly(values.data(), values.size() * sizeof(std::uint64_t), deadline, status))
        return ChannelStatus::Broken;
    for (std::uint64_t value : values)
        received.handles.emplace_back(static_cast<NativeHandle>(value));
    return ChannelStatus::Received;
}

}
