#pragma once

// A saver session as a window would drive it: created, then sized to a 1000 x 700
// client area (cells of 4 x 2 pixels from (0, 150) on the default board), with brains
// available through the fake loader under the names given.

#include "../brains/FakeLibraryLoader.h"
#include "../TempDirectory.h"
#include "shell/SaverSession.h"

#include <gtest/gtest.h>

#include <memory>
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

struct WindowSession {
    TempDirectory folder;
    SaverSession session;

    explicit WindowSession(const std::vector<std::string>& brainNames = {}, Picture picture = Picture::Drawn)
        : session(picture, fakeBrains(brainNames))
    {
        session.setSettingsFile(folder.file("zombie.sav"));
        EXPECT_TRUE(session.create());
        session.resize(1000, 700, 1010, 730);
    }

    Simulation& simulation() { return session.simulation(); }

    void type(std::string_view keys)
    {
        for (char key : keys)
            session.character(key);
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
        const Board& board = simulation().board();
        for (std::int32_t y = 0; y < board.height(); ++y)
            for (std::int32_t x = 0; x < board.width(); ++x)
                if (board.at(x, y).kind == kind && (kind == CellKind::Wall || kind == CellKind::Empty || board.at(x, y).occupant))
                    return { x, y };
        ADD_FAILURE() << "no such cell";
        return { 0, 0 };
    }
};

}
