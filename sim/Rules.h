#pragma once

namespace shamblex {

// The rule switches a frame step runs with, as the settings' byte switches say.
enum class ZombieMind {
    Simple,
    Smart,
};

enum class WallEating {
    Off,
    On,
};

enum class Terrain {
    OpenArena,
    City,
};

}
