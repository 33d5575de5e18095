#include "../sim/Printers.h"
#include "SessionFixture.h"

#include "brains/LibraryLoader.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <random>

using namespace shamblex;
using shamblex::test::readFile;
using shamblex::test::WindowSession;

TEST(SaverSession, CreationDrawsTheFirstSimulationInA400By400Frame)
{
    SaverSession session(SaverMode::Window, nullptr);
    ASSERT_TRUE(session.create());
    EXPECT_EQ(session.frame().width(), 400);
    EXPECT_EQ(session.frame().height(), 400);
    EXPECT_EQ(session.layout().boardLeft, 75);
    EXPECT_EQ(session.layout().boardTop, 112);
    EXPECT_EQ(session.simulation().population().size(), 1000u);
    EXPECT_EQ(session.timerPeriod(), 5);
    EXPECT_FALSE(session.helpShown());
    EXPECT_TRUE(session.brains().brainNames().empty()) << "brains load only on request";
}

TEST(SaverSession, ResizesRecreateTheFrameAndRecordTheWindowRectangle)
{
    WindowSession window;
    SaverSession& session = window.session;
    EXPECT_EQ(session.frame().width(), 1000);
    EXPECT_EQ(session.frame().height(), 700);
    EXPECT_EQ(session.settings().windowWidth, 1010);
    EXPECT_EQ(session.settings().windowHeight, 730);
    EXPECT_TRUE(session.simulation().fullRedrawPending());
    session.tick();
    std::int32_t frame = session.simulation().frameNumber();

    session.resize(0, 500, 10, 510); // minimised: nothing changes
    EXPECT_EQ(session.frame().width(), 1000);
    EXPECT_EQ(session.settings().windowWidth, 1010);
    EXPECT_FALSE(session.simulation().fullRedrawPending());

    session.resize(1920, 1080, 1920, 1080);
    EXPECT_EQ(session.layout().cellWidth, 7);
    EXPECT_EQ(session.simulation().frameNumber(), frame) << "the simulation itself is not touched";
    EXPECT_TRUE(session.simulation().fullRedrawPending());
}

TEST(SaverSession, ClosingWritesTheSettingsFile)
{
    WindowSession window;
    window.type("t++");
    ASSERT_FALSE(window.session.close());
    std::string bytes = readFile(window.folder.file("zombie.sav"));
    std::string expected { '0', '.', '5', '\0', // version mark
        char(0xF2), 0x03, 0x00, 0x00, char(0xDA), 0x02, 0x00, 0x00, // the window's 1010 x 730
        0x00, 0x00, 0x00, 0x00, 0x00, 0x01, // smart zombies off
        char(0xB0), 0x04, 0x00, 0x00, // 1200 beings
        char(0xFA), 0x00, 0x00, 0x00, char(0xFA), 0x00, 0x00, 0x00 };
    EXPECT_EQ(bytes, expected);
}

TEST(SaverSession, AFailedSettingsFileChangesNothing)
{
    WindowSession window;
    window.session.setSettingsFile(window.folder.file("no-such-folder/zombie.sav"));
    auto error = window.session.close();
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->empty()) << "the reason it failed";
    window.session.tick();
    EXPECT_EQ(window.simulation().frameNumber(), 1);
}

TEST(SaverSession, HeadlessSessionsRunTheSameSimulation)
{
    WindowSession drawn;
    WindowSession headless({ .picture = Picture::None });
    EXPECT_TRUE(headless.session.frame().isEmpty());
    for (const char* keys : { "", "t", "f", "?", "d", "E" }) {
        drawn.type(keys);
        headless.type(keys);
        for (int i = 0; i < 20; ++i) {
            drawn.session.tick();
            headless.session.tick();
        }
    }
    EXPECT_EQ(drawn.session.random().state(), headless.session.random().state());
    EXPECT_EQ(drawn.simulation().frameNumber(), headless.simulation().frameNumber());
    EXPECT_EQ(drawn.simulation().humanCount(), headless.simulation().humanCount());
}

TEST(SaverSession, RandomCommandsNeverBreakTheSimulation)
{
    // Thousands of keys, clicks, pointer moves, resizes and ticks in a random order;
    // after each, every being stands on the board and the watched being is alive.
    WindowSession window({ .brains = { "a", "b", "c" } });
    std::mt19937 chooser(20261208);
    const std::string keys = "123456789k RSs+-fzt?<gEecd>bl!xq";
    auto pick = [&](int bound) { return static_cast<int>(chooser() % static_cast<unsigned>(bound)); };
    for (int command = 0; command < 4000; ++command) {
        SaverSession& session = window.session;
        switch (pick(8)) {
        case 0:
        case 1: {
            char key = keys[static_cast<std::size_t>(pick(static_cast<int>(keys.size())))];
            // Keep the outbreak small enough for thousands of commands.
            if ((key == '+' && session.settings().beingCount > 600) || (key == '>' && session.settings().boardWidth > 200)
                || key == 'F')
                key = '-';
            session.character(key);
            break;
        }
        case 2: session.leftButtonReleased(pick(1100) - 50, pick(800) - 50); break;
        case 3: session.rightButtonReleased(pick(1100) - 50, pick(800) - 50); break;
        case 4: session.pointerMoved(pick(1100) - 50, pick(800) - 50); break;
        case 5: session.resize(pick(1200), pick(900), 1200, 900); break;
        default: session.tick(); break;
        }
        const Simulation& simulation = window.simulation();
        const Board& board = simulation.board();
        for (const Actor& actor : simulation.population()) {
            ASSERT_TRUE(board.contains(actor.x, actor.y)) << "after command " << command;
            ASSERT_TRUE(actor.isZombie() || actor.isHuman());
            // Every being's cell bookkeeping agrees with the board: a being that marked
            // its cell is found there, and only beings mark cells.
            if (actor.holdsMark) {
                ASSERT_EQ(&simulation.population()[simulation.occupant(actor.x, actor.y)], &actor);
            }
        }
        if (simulation.watchedActor() != noActor) {
            ASSERT_LT(simulation.watchedActor(), simulation.population().size()) << "after command " << command;
        }
    }
}

TEST(SaverSession, EveryCommandOnTheHelpPageIsListedThereUnderItsKey)
{
    // The help page's text never changes; the command table must agree with it.
    for (const SaverCommand& command : SaverSession::commands()) {
        if (!command.onHelpPage)
            continue;
        std::string label(command.label);
        std::string entry = "   " + label + std::string(label.size() < 8 ? 8 - label.size() : 0, ' ') + " - ";
        bool listed = std::any_of(helpLines.begin(), helpLines.end(),
            [&](std::string_view line) { return line.rfind(entry, 0) == 0; });
        EXPECT_TRUE(listed) << "no help line starts with \"" << entry << "\"";
        if (command.trigger == Trigger::Key) {
            EXPECT_NE(command.keys.find(label.size() == 1 ? label[0] : command.keys[0]), std::string_view::npos) << label;
        }
    }
}

TEST(SaverSession, FullScreenSaversAndHacksRunNoCommand)
{
    for (SaverMode mode : { SaverMode::FullScreen, SaverMode::Hack, SaverMode::Preview }) {
        WindowSession window({ .mode = mode });
        std::uint32_t state = window.session.random().state();
        window.type("z+-<>fFkRl?dgc bt");
        window.session.leftButtonReleased(500, 400);
        window.session.rightButtonReleased(500, 400);
        EXPECT_EQ(window.session.random().state(), state);
        EXPECT_EQ(window.settings().beingCount, 1000);
        EXPECT_EQ(window.settings().smartZombies, 1);
        EXPECT_FALSE(window.session.helpShown());
        EXPECT_EQ(window.population().size(), 1000u);
    }
}

TEST(SaverSession, AFrameLookedAtOnceARefreshShowsWhatPaintingEveryTickWouldHave)
{
    // Two sessions given the same ticks and commands: one paints every cell fill at
    // once, the other only when its frame is looked at, now and then as a display
    // refresh would. What a screen holds after copying the damaged parts of the second
    // must equal the first, pixel for pixel, at every look: with rays, the graph,
    // the help page, labels and notices drawn over cells, and a board that reaches
    // into the status band (the second size).
    for (auto [width, height] : { std::pair { 1000, 700 }, std::pair { 1000, 300 } }) {
        const test::SessionSetup setup { .brains = { "a", "b", "c", "d", "e" },
            .brainsListed = true,
            .frameWidth = width,
            .frameHeight = height,
            .columns = 125,
            .rows = 125,
            .beings = 1500 };
        WindowSession immediate(setup);
        WindowSession deferred(setup);
        immediate.painter().setDeferred(false);
        Bitmap screen;
        bool exposed = true;
        std::mt19937 chooser(20261209);
        auto pick = [&](int bound) { return static_cast<int>(chooser() % static_cast<unsigned>(bound)); };
        const std::string keys = "dgc?bEk 1.z+-f";
        int looks = 0;
        for (int step = 0; step < 1200; ++step) {
            const int what = pick(100);
            // Half the pointer's places are a being's cell, so that beings get watched.
            std::int32_t x = pick(width);
            std::int32_t y = pick(height);
            const Population& beings = immediate.population();
            if (pick(2) == 0 && !beings.empty()) {
                const Actor& being = beings[static_cast<ActorIndex>(pick(static_cast<int>(beings.size())))];
                std::tie(x, y) = immediate.pixelOf(being.x, being.y);
            }
            const char key = keys[static_cast<std::size_t>(pick(static_cast<int>(keys.size())))];
            for (WindowSession* window : { &immediate, &deferred }) {
                SaverSession& session = window->session;
                if (what < 4)
                    session.character(key);
                else if (what < 10)
                    session.pointerMoved(x, y);
                else if (what < 11)
                    session.middleButtonReleased(x, y);
                else if (what < 13)
                    session.leftButtonReleased(x, y);
                else if (what < 14)
                    session.rightButtonReleased(x, y);
                else if (what < 15)
                    session.setNotice(step % 2 ? "" : "brain 'c' faulted and sits out");
                else if (what == 15 && step % 10 == 0)
                    session.resize(width - step % 7, height - step % 5, width, height);
                session.tick();
            }
            if (what == 15 && step % 10 == 0)
                exposed = true;
            if (pick(4) != 0)
                continue;
            ++looks;
            const Bitmap& expected = immediate.frame();
            Bitmap& frame = deferred.frame();
            ASSERT_EQ(frame.width(), expected.width());
            if (exposed) {
                screen.create(frame.width(), frame.height());
                screen.copyFrom(frame, 0, 0);
                exposed = false;
            } else {
                for (const Rectangle& area : frame.damage().rectangles())
                    for (std::int32_t row = area.top; row < area.top + area.height; ++row)
                        std::memcpy(screen.row(row) + Bitmap::bytesPerPixel * area.left, frame.row(row) + Bitmap::bytesPerPixel * area.left,
                            Bitmap::bytesPerPixel * static_cast<std::size_t>(area.width));
            }
            frame.clearDamage();
            for (std::int32_t row = 0; row < expected.height(); ++row) {
                if (std::memcmp(screen.row(row), expected.row(row), static_cast<std::size_t>(expected.rowStride())) == 0)
                    continue;
                for (std::int32_t column = 0; column < expected.width(); ++column)
                    ASSERT_EQ(screen.pixel(column, row), expected.pixel(column, row))
                        << "at (" << column << ", " << row << ") after step " << step << " of " << width << "x"
                        << height;
            }
        }
        EXPECT_GT(looks, 200);
    }
}
