#pragma once

#include "sim/Actor.h"

#include <cstdint>
#include <span>

namespace shamblex {

// The drawing the simulation asks for at fixed points of a new simulation and of a
// frame step. Rendering fills it in; a simulation without a drawer draws nothing and
// behaves exactly the same.
class SceneDrawer {
public:
    virtual ~SceneDrawer() = default;

    // Lays the board out in the frame and repaints background, walls and ground.
    virtual void paintBackground() = 0;
    // A being was updated: its old cell becomes empty ground and it is drawn where it
    // now stands (nothing else of the frame is read or written in between).
    virtual void beingUpdated(std::int32_t oldColumn, std::int32_t oldRow, const Actor&) = 0;
    // The being at this cell is updated next: a drawer may start fetching what it
    // keeps about the cell. A hint; it changes nothing.
    virtual void beingUpdatedNext(std::int32_t, std::int32_t) { }
    // Every cell in its kind's colour, then every being.
    virtual void repaintBoard() = 0;
    // The counts, one line per listed brain with its humans (`humansPerBrain`, in list
    // order), and the history graph when it is shown.
    virtual void drawStatusBand(std::span<const std::int32_t> humansPerBrain) = 0;
    // The being's look ray, then its longer move ray.
    virtual void drawRays(const Actor&) = 0;
    // The watched being's brain name and status text over the board's corner.
    virtual void drawWatchedLabel(const Actor&) = 0;
    // An outline around a pinned being's cell, which reads on every background.
    virtual void markBeing(const Actor&) { }
};

}
