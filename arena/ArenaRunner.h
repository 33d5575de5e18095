#pragma once

#include "arena/RunPlayer.h"
#include "arena/RunResult.h"
#include "hosting/Sandbox.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace shamblex::arena {

// Plays an arena's runs, each in a brain worker of its own (see RunPlayer), at most
// `jobs` at a time. The results come back in seed order whatever order the runs
// finished in, so that the files do not depend on the number of jobs.
class ArenaRunner {
public:
    ArenaRunner(SandboxSettings, int jobs);

    // Plays the shard's runs of the setup. `progress` is called on the caller's
    // thread, now and then and once at the end, with the runs done; `stop` is asked
    // at the same times whether to give up (an interrupt), in which case the runs
    // under way are ended and nothing is returned.
    std::optional<std::vector<RunResult>> play(const ArenaSetup&, const Shard&,
        const std::function<void(std::int64_t done, std::int64_t total)>& progress, const std::function<bool()>& stop);

private:
    SandboxSettings m_sandbox;
    int m_jobs = 1;
};

}
