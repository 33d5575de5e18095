#pragma once

#include "sim/PopulationHistory.h"

#include <cstdint>

namespace shamblex {

class Actor;

// The drawing the simulation asks for at fixed points of a new simulation and of a
// frame step. Rendering fills it in; a simulation without a drawer draws nothing and
// behaves exactly the same.
class SceneDrawer {
public:
    virtual ~SceneDrawer() = default;

    // Lays the board out in the frame and repaints background, walls and ground.
    virtual void paintBackground() = 0;
    // Paints one board cell as empty ground, before the being on it moves.
    virtual void eraseCell(std::int32_t column, std::int32_t row) = 0;
    virtual void drawActor(const Actor&) = 0;
    // Every cell in its kind's colour, then every being.
    virtual void repaintBoard() = 0;
    virtual void drawStatusBand(const BrainTally&) = 0;
    // The being's look ray, then its longer move ray.
    virtual void drawRays(const Actor&) = 0;
    // The watched being's brain name and status text over the board's corner.
    virtual void drawWatchedLabel(const Actor&) = 0;
};

}
