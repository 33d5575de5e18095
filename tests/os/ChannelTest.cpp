// The channel between a host and its brain worker, on POSIX systems (Windows' named
// pipe is exercised end to end by the worker tests under Wine).
#include "os/Channel.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <unistd.h>

using namespace shamblex;

namespace {

using Clock = std::chrono::steady_clock;

// A host's end, and the other end as a worker adopts it (from a descriptor of its own).
struct Ends {
    Channel host;
    Channel worker;
    int raw = -1; // the worker's descriptor, for writing what no worker should

    Ends()
    {
        std::string error;
        auto pair = Channel::makePair(error);
        EXPECT_TRUE(pair) << error;
        host = std::move(pair->first);
        raw = dup(static_cast<int>(pair->second.childHandle()));
        worker = Channel::adopt(raw);
    }
};

Clock::time_point soon()
{
    return Clock::now() + std::chrono::milliseconds(200);
}

}

TEST(Channel, CarriesMessagesWholeInOrderWithTheirHandles)
{
    Ends ends;
    std::vector<std::uint8_t> big(3u << 20);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i * 7);
    int pipeEnds[2];
    ASSERT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);
    std::thread sender([&] {
        EXPECT_TRUE(ends.host.send(7, big, std::vector<NativeHandle> { pipeEnds[1] }));
        EXPECT_TRUE(ends.host.send(8, {}));
    });
    ChannelMessage message;
    ASSERT_EQ(ends.worker.receive(message, 4u << 20), ChannelStatus::Received);
    EXPECT_EQ(message.type, 7u);
    EXPECT_EQ(message.payload, big);
    ASSERT_EQ(message.handles.size(), 1u);
    ASSERT_EQ(write(static_cast<int>(message.handles[0].get()), "!", 1), 1) << "the handle came as a working descriptor";
    ASSERT_EQ(ends.worker.receive(message, 4u << 20), ChannelStatus::Received);
    EXPECT_EQ(message.type, 8u);
    EXPECT_TRUE(message.payload.empty() && message.handles.empty());
    sender.join();
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

TEST(Channel, AHostTakesNothingItCannotTrust)
{
    // No handles from a worker: a host never believes them.
    {
        Ends ends;
        ASSERT_TRUE(ends.worker.send(1, {}, std::vector<NativeHandle> { 0 }));
        ChannelMessage message;
        EXPECT_EQ(ends.host.receive(message, 64, soon()), ChannelStatus::Broken);
    }
    // A length past what the host takes is refused before anything is allocated.
    {
        Ends ends;
        const std::uint32_t header[3] = { 1, 0xFFFFFFF0u, 0 };
        ASSERT_EQ(write(ends.raw, header, sizeof header), static_cast<ssize_t>(sizeof header));
        ChannelMessage message;
        EXPECT_EQ(ends.host.receive(message, 1u << 20, soon()), ChannelStatus::Broken);
        EXPECT_TRUE(message.payload.empty());
    }
    // A message cut short, whether the worker then stalls or goes.
    for (bool closes : { false, true }) {
        Ends ends;
        const std::uint32_t header[3] = { 1, 100, 0 };
        ASSERT_EQ(write(ends.raw, header, sizeof header), static_cast<ssize_t>(sizeof header));
        ASSERT_EQ(write(ends.raw, "only ten b", 10), 10);
        if (closes)
            ends.worker.close();
        ChannelMessage message;
        EXPECT_EQ(ends.host.receive(message, 1u << 20, soon()), ChannelStatus::Broken);
    }
    // Nothing at all: the wait ends on time.
    {
        Ends ends;
        ChannelMessage message;
        auto before = Clock::now();
        EXPECT_EQ(ends.host.receive(message, 64, soon()), ChannelStatus::TimedOut);
        EXPECT_LT(Clock::now() - before, std::chrono::seconds(2));
    }
}

TEST(Channel, RandomBytesNeverPassForAMessageOfTheWrongShape)
{
    std::mt19937 random(2026);
    for (int round = 0; round < 200; ++round) {
        Ends ends;
        std::vector<std::uint8_t> noise(random() % 64);
        for (std::uint8_t& byte : noise)
            byte = static_cast<std::uint8_t>(random());
        if (!noise.empty()) {
            ASSERT_EQ(write(ends.raw, noise.data(), noise.size()), static_cast<ssize_t>(noise.size()));
        }
        ends.worker.close();
        ChannelMessage message;
        for (int read = 0; read < 8; ++read) {
            ChannelStatus status = ends.host.receive(message, 32, soon());
            ASSERT_NE(status, ChannelStatus::TimedOut) << "a closed channel answers at once";
            if (status != ChannelStatus::Received)
                break;
            EXPECT_LE(message.payload.size(), 32u);
        }
    }
}
