#include "hosting/WorkerProtocol.h"

#include <gtest/gtest.h>

#include <random>

using namespace shamblex;
using namespace shamblex::worker;

TEST(WorkerProtocol, EveryMessageReadsBackAndNoneCutShortDoes)
{
    SaverState state;
    state.timerPeriod = 75;
    state.outbreakOver = true;
    state.frameNumber = 1234;
    state.beings = 1001;
    state.settings.boardWidth = 300;
    WireWriter stateMessage;
    writeState(stateMessage, state);

    SessionStart start;
    start.settings.boardWidth = 60;
    start.settings.beingCount = 300;
    start.settings.seed = 9;
    start.settings.brainsDirectory = "brains";
    start.graph = true;
    start.timerPeriod = 25;
    start.restored = Settings {};
    WireWriter startMessage;
    writeStart(startMessage, start);

    BrainOffer offer { "", { { "a.dll", "", 0 }, { "b.dll", "not a library", -1 } }, { 0 } };
    WireWriter offerMessage;
    writeOffer(offerMessage, offer);

    WireReader stateIn(stateMessage.data());
    auto readBack = readState(stateIn);
    ASSERT_TRUE(readBack && stateIn.complete());
    EXPECT_EQ(readBack->frameNumber, 1234);
    EXPECT_EQ(readBack->settings.boardWidth, 300);
    WireReader startIn(startMessage.data());
    auto startBack = readStart(startIn);
    ASSERT_TRUE(startBack && startIn.complete());
    EXPECT_EQ(startBack->settings.seed, 9u);
    EXPECT_EQ(startBack->settings.brainsDirectory, "brains");
    EXPECT_EQ(startBack->timerPeriod, 25);
    WireReader offerIn(offerMessage.data());
    auto offerBack = readOffer(offerIn);
    ASSERT_TRUE(offerBack);
    EXPECT_EQ(offerBack->files[1].refusal, "not a library");

    // Every cut of a message is refused.
    for (const WireWriter* message : { &stateMessage, &startMessage, &offerMessage }) {
        const auto& bytes = message->data();
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            std::span<const std::uint8_t> cut(bytes.data(), size);
            WireReader a(cut), b(cut), c(cut);
            EXPECT_FALSE(readState(a) && a.complete() && message == &stateMessage) << size;
            EXPECT_FALSE(readStart(b) && b.complete() && message == &startMessage) << size;
            EXPECT_FALSE(readOffer(c) && message == &offerMessage) << size;
        }
    }
}

TEST(WorkerProtocol, RandomBytesAreReadSafely)
{
    // What a worker sends is read within its bounds or refused; under the sanitizers a
    // read past the end would stop the run.
    std::mt19937 random(17);
    for (int round = 0; round < 5000; ++round) {
        std::vector<std::uint8_t> noise(random() % 96);
        for (std::uint8_t& byte : noise)
            byte = static_cast<std::uint8_t>(random() % 4 == 0 ? random() : random() % 3);
        WireReader a(noise), b(noise), c(noise);
        if (auto state = readState(a)) {
            EXPECT_GE(state->timerPeriod, 1);
        }
        (void)readStart(b);
        if (auto offer = readOffer(c)) {
            EXPECT_LE(offer->files.size(), noise.size());
        }
    }
}
