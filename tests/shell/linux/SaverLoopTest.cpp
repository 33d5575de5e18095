#include "shell/linux/SaverLoop.h"

#include "session/SaverSession.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace shamblex;
using namespace std::chrono_literals;

namespace {

// A screen on a clock of its own: waiting moves the clock on, and the saver ends once
// the clock reaches `end`. `stall` is added to the first wait, as a machine that
// stopped the program for a while would.
class ClockedScreen final : public SaverScreen {
public:
    explicit ClockedScreen(std::chrono::milliseconds runFor)
        : end(start + runFor)
    {
    }

    void begin(SaverControl&) override { }
    bool handleEvents(SaverControl& session) override
    {
        touchedWhileRead += reading;
        if (keyAt && now >= *keyAt) {
            session.character(key);
            keyAt.reset();
        }
        return now < end;
    }
    void waitForEvents(std::chrono::milliseconds wait) override
    {
        now += wait + stall;
        stall = 0ms;
        ++waits;
    }
    void present(const Bitmap&, PresentScope, const std::shared_ptr<const SharedMemory>&) override
    {
        ++presents;
        reading = true;
    }
    void awaitPresented() override { reading = false; }
    std::chrono::microseconds refreshInterval() const override { return 16'667us; }

    SaverLoopOptions options()
    {
        SaverLoopOptions loop;
        loop.now = [this] { return now; };
        return loop;
    }

    const SaverClock::time_point start = SaverClock::time_point(100s);
    SaverClock::time_point now = start;
    SaverClock::time_point end;
    std::chrono::milliseconds stall = 0ms;
    std::optional<SaverClock::time_point> keyAt; // when `key` is typed, if it is
    char key = 0;
    int waits = 0;
    int presents = 0;
    // As a display that reads the frame where it lies: from a present until the
    // loop awaits it. Anything that may draw in between counts.
    bool reading = false;
    int touchedWhileRead = 0;
};

struct LoopSession {
    SaverSession session { SaverMode::Window, nullptr, Picture::None };

    explicit LoopSession(std::int32_t beings = 1000)
    {
        session.settings().beingCount = beings;
    }
    std::int32_t frames() const { return session.simulation().frameNumber(); }
};

// An outbreak that never changes: four humans no zombie can reach, frames that go on.
class StillOutbreak : public SaverControl {
public:
    void resize(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override { }
    void tick() override { ++frames; }
    void character(char) override { }
    void pointerMoved(std::int32_t, std::int32_t) override { }
    void leftButtonReleased(std::int32_t, std::int32_t) override { }
    void rightButtonReleased(std::int32_t, std::int32_t) override { }
    void middleButtonReleased(std::int32_t, std::int32_t) override { }
    std::optional<std::string> close() override { return std::nullopt; }
    bool outbreakOver() const override { return false; }
    std::int32_t humanCount() const override { return 4; }
    std::int32_t frameNumber() const override { return frames; }
    void newOutbreak(std::optional<std::uint32_t> seed) override
    {
        seeds.push_back(seed);
        frames = 0;
    }
    void setNotice(std::string text) override { notice = std::move(text); }
    int timerPeriod() const override { return 5; }
    Bitmap& frame() override { return bitmap; }
    const std::string& settingsFile() const override { return settings; }

    std::int32_t frames = 0;
    std::vector<std::optional<std::uint32_t>> seeds;
    std::string notice;
    Bitmap bitmap;
    std::string settings;
};

}

TEST(SaverLoop, StepsOnceATimerPeriodWhileWakingOnlyOnceARefresh)
{
    LoopSession outbreak;
    ASSERT_TRUE(outbreak.session.create());
    ClockedScreen screen(1000ms);
    runSaverLoop(outbreak.session, screen, screen.options());
    // 5 ms a frame for a second, give or take the last refresh's ticks.
    EXPECT_GE(outbreak.frames(), 195);
    EXPECT_LE(outbreak.frames(), 201);
    EXPECT_LE(screen.waits, 62) << "about one wake-up a refresh at 60 Hz, not one a tick";
}

TEST(SaverLoop, KeepsTheSpeedChosenBeforeTheWindowWasCreatedAndTheSpeedKeyGoesOnFromIt)
{
    LoopSession outbreak;
    ASSERT_TRUE(outbreak.session.setTimerPeriod(150));
    ASSERT_TRUE(outbreak.session.create());
    EXPECT_EQ(outbreak.session.timerPeriod(), 150);
    ClockedScreen screen(1500ms);
    runSaverLoop(outbreak.session, screen, screen.options());
    EXPECT_GE(outbreak.frames(), 9);
    EXPECT_LE(outbreak.frames(), 10);

    outbreak.session.character('S');
    EXPECT_EQ(outbreak.session.timerPeriod(), 1) << "after 150 ms the speed key gives 1 ms";
    outbreak.session.character('S');
    EXPECT_EQ(outbreak.session.timerPeriod(), 25);
}

TEST(SaverLoop, AfterAStallRunsAtMostOneRefreshOfTicks)
{
    LoopSession outbreak;
    ASSERT_TRUE(outbreak.session.create());
    ClockedScreen screen(2000ms);
    screen.stall = 1000ms;
    runSaverLoop(outbreak.session, screen, screen.options());
    // A second of ticks was lost in the stall, save one refresh's worth (16.7 / 5 + 1).
    EXPECT_GE(outbreak.frames(), 195);
    EXPECT_LE(outbreak.frames(), 206);
}

TEST(SaverLoop, StartsANewOutbreakTheGivenTimeAfterTheLastHumanFell)
{
    // One being, the zombie: the first step finds no human and the outbreak is over.
    // A stopped outbreak draws no random numbers, a new one does (its board).
    LoopSession oneStep(1);
    ASSERT_TRUE(oneStep.session.create());
    oneStep.session.tick();
    const std::uint32_t overAfterOneStep = oneStep.session.random().state();

    auto runFor = [](std::chrono::milliseconds time) {
        LoopSession outbreak(1);
        EXPECT_TRUE(outbreak.session.create());
        ClockedScreen screen(time);
        SaverLoopOptions loop = screen.options();
        loop.restartAfter = 3s;
        runSaverLoop(outbreak.session, screen, loop);
        EXPECT_TRUE(outbreak.session.outbreakOver());
        EXPECT_EQ(outbreak.frames(), 1);
        return outbreak.session.random().state();
    };
    EXPECT_EQ(runFor(2900ms), overAfterOneStep) << "no new outbreak before the time";
    EXPECT_NE(runFor(3100ms), overAfterOneStep) << "a new outbreak once the time is up";
}

TEST(SaverLoop, StartsANewOutbreakWithAFreshSeedWhenNoHumanWasInfectedForSixTimesTheTime)
{
    auto restartsWithin = [](std::chrono::milliseconds time) {
        StillOutbreak outbreak;
        ClockedScreen screen(time);
        SaverLoopOptions loop = screen.options();
        loop.restartAfter = 10s;
        std::uint32_t next = 41;
        loop.nextSeed = [&] { return ++next; };
        runSaverLoop(outbreak, screen, loop);
        return outbreak.seeds;
    };
    EXPECT_TRUE(restartsWithin(59s).empty());
    auto seeds = restartsWithin(61s);
    ASSERT_EQ(seeds.size(), 1u);
    EXPECT_EQ(seeds[0], 42u) << "the restart takes the next seed";
}

TEST(SaverLoop, ShowsTheStepsAndFramesOfTheLastSecondWhenAskedTo)
{
    StillOutbreak outbreak;
    ClockedScreen screen(1500ms);
    SaverLoopOptions loop = screen.options();
    loop.showFrameRate = true;
    runSaverLoop(outbreak, screen, loop);
    // 5 ms steps; a frame is presented only for the first exposure, since this
    // outbreak never draws.
    int steps = 0;
    int frames = -1;
    ASSERT_EQ(std::sscanf(outbreak.notice.c_str(), "%d steps/s, %d frames/s", &steps, &frames), 2) << outbreak.notice;
    EXPECT_NEAR(steps, 200, 2);
    EXPECT_LE(frames, 1);
}

TEST(SaverLoop, EndsWhenAStopIsRequested)
{
    LoopSession outbreak;
    ASSERT_TRUE(outbreak.session.create());
    ClockedScreen screen(10'000ms);
    SaverLoopOptions loop = screen.options();
    loop.stopRequested = [&] { return screen.now >= screen.start + 500ms; };
    runSaverLoop(outbreak.session, screen, loop);
    EXPECT_LT(screen.now, screen.start + 600ms);
    EXPECT_GE(outbreak.frames(), 95);
}

TEST(SaverLoop, APausedOutbreakThatDrawsNothingSleepsUntilInputArrives)
{
    SaverSession session { SaverMode::Window, nullptr };
    ASSERT_TRUE(session.create());
    session.resize(320, 240, 320, 240);
    session.tick();
    session.character(' ');
    ClockedScreen screen(3000ms);
    screen.keyAt = screen.start + 2000ms;
    screen.key = ' ';
    runSaverLoop(session, screen, screen.options());
    // Two seconds paused: a look twice a second rather than 120 refreshes. Then the
    // space bar runs it again at once: a second of 5 ms steps.
    EXPECT_LE(screen.waits, 4 + 62);
    EXPECT_NEAR(session.simulation().frameNumber(), 1 + 200, 6);
}

TEST(SaverLoop, NothingDrawsOnTheFrameWhileTheDisplayMayStillBeReadingIt)
{
    // Every tick draws, so that every refresh presents.
    struct DrawingOutbreak final : StillOutbreak {
        ClockedScreen* screen = nullptr;
        void tick() override
        {
            screen->touchedWhileRead += screen->reading;
            StillOutbreak::tick();
            bitmap.markAllDamaged();
        }
        Bitmap& frame() override
        {
            screen->touchedWhileRead += screen->reading;
            return bitmap;
        }
    } outbreak;
    ASSERT_TRUE(outbreak.bitmap.create(8, 8));
    ClockedScreen screen(500ms);
    outbreak.screen = &screen;
    runSaverLoop(outbreak, screen, screen.options());
    EXPECT_GE(screen.presents, 25);
    EXPECT_EQ(screen.touchedWhileRead, 0);
}
