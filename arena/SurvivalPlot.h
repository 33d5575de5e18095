#pragma once

#include "arena/RunResult.h"
#include "render/Bitmap.h"

namespace shamblex::arena {

// The survival curves of an arena: for every frame, the share of the finished runs
// in which each brain still had humans, one line per brain in its brain colour (the
// colour the saver gives it), with axes, ticks and a legend in the saver's fonts.
class SurvivalPlot {
public:
    static constexpr std::int32_t width = 960;
    static constexpr std::int32_t height = 600;

    // Draws the plot; an empty bitmap when its memory was refused.
    static Bitmap draw(const ArenaResults&);
};

}
