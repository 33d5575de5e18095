#pragma once

// A saver session as a window would drive it: created, then sized to its client
// area (by default 1000 x 700, cells of 4 x 2 pixels from (0, 150) on the default
// board), with brains available through the fake loader under the names given.

#include "../TempDirectory.h"
#include "../brains/FakeLibraryLoader.h"
#include "session/SaverSession.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace shamblex::test {

inline void SHAMBLEX_BRAIN_CALL idleTestBrain(BrainRecord*)
{
}

inline std::unique_ptr<FakeLibraryLoader> fakeBrains(const std::vector<std::string>& names)
{
    auto loader = std::make_unique<FakeLibraryLoader>();
    for (const auto& name : names)
        loader->libraries[name + ".dll"] = idleTestBrain;
    return loader;
}

struct SessionSetup {
    std::vector<std::string> brains {}; // available to "l"
    bool brainsListed = false; // loaded before the first simulation
    std::int32_t frameWidth = 1000;
    std::int32_t frameHeight = 700;
    std::optional<std::int32_t> columns {};
    std::optional<std::int32_t> rows {};
    std::optional<std::int32_t> beings {};
    bool openArena = false;
    SaverMode mode = SaverMode::Window;
    Picture picture = Picture::Drawn;
};

struct WindowSession {
    TempDirectory folder;
    SaverSession session;

    explicit WindowSession(const SessionSetup& setup = {})
        : session(setup.mode, fakeBrains(setup.brains), setup.picture)
    {
        Settings& settings = session.settings();
        settings.boardWidth = setup.columns.value_or(settings.boardWidth);
        settings.boardHeight = setup.rows.value_or(settings.boardHeight);
        settings.beingCount = setup.beings.value_or(settings.beingCount);
        if (setup.openArena)
            settings.cityBoard = 0;
        if (setup.brainsListed)
            session.brains().reloadBrains(".");
        session.setSettingsFile(folder.file("zombie.sav"));
        EXPECT_TRUE(session.create());
        session.resize(setup.frameWidth, setup.frameHeight, setup.frameWidth + 10, setup.frameHeight + 30);
    }

    Simulation& simulation() { return session.simulation(); }
    Population& population() { return session.simulation().population(); }
    Bitmap& frame() { return session.frame(); }
    ScenePainter& painter() { return session.painter(); }
    Settings& settings() { return session.settings(); }

    void type(std::string_view keys)
    {
        for (char key : keys)
            session.character(key);
    }
    void steps(int count)
    {
        for (int i = 0; i < count; ++i)
            session.tick();
    }

    // The frame pixel at the centre of a board cell.
    std::pair<std::int32_t, std::int32_t> pixelOf(std::int32_t column, std::int32_t row) const
    {
        const Layout& layout = session.layout();
        return { layout.boardLeft + column * layout.cellWidth + layout.cellWidth / 2,
            layout.boardTop + row * layout.cellHeight + layout.cellHeight / 2 };
    }

    // A cell of the given kind that a being has marked (or, for walls and empty
    // ground, any such cell).
    CellPosition findCell(CellKind kind)
    {
        const Simulation& sim = session.simulation();
        for (std::int32_t y = 0; y < sim.board().height(); ++y)
            for (std::int32_t x = 0; x < sim.board().width(); ++x)
                if (sim.board().kind(x, y) == kind
                    && (kind == CellKind::Wall || kind == CellKind::Empty || sim.occupant(x, y) != noActor))
                    return { x, y };
        ADD_FAILURE() << "no such cell";
        return { 0, 0 };
    }

    // The first human of the named brain.
    Actor& humanOf(const std::string& brain)
    {
        for (Actor& actor : population())
            if (actor.isHuman() && simulation().brainName(actor) == brain)
                return actor;
        throw std::logic_error("no human of " + brain);
    }
};

}
