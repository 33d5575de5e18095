#pragma once

#include "arena/RunResult.h"
#include "hosting/Sandbox.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace shamblex::worker {
class WorkerContext;
}

namespace shamblex::arena {

// Every run of the arena is played in a brain worker of its own: the arena program
// started again in a sandbox, which loads the brains from sealed copies of their
// files, plays exactly what "shamblex-cli --brains DIR --seed S --frames F" plays,
// and sends back, per brain, the frame its last human fell and its humans at the end.
// Every run starts from freshly loaded brains (a brain's own globals, its random
// generator among them, start over as they do in shamblex-cli).
//
// A brain that faults (crashes in any thread, exits, makes a system call the sandbox
// refuses, does not return by the time limit, throws) forfeits instead of spoiling
// the run: the run is played again in a fresh worker up to the call that faulted,
// the brain sits out from there (its humans stand still) and the run goes on. A
// replay that does not come to the same call of the same brain spoils the run ("fault
// not reproduced"); so does a fault no brain can be named for.

// What the folder's brains are, as every run will load them: the names in list order
// with their files' SHA-256, and the files that play no part (the host's file check
// refused them, or they did not load in the worker).
struct BrainListing {
    std::vector<std::string> names;
    std::vector<std::string> digests;
    std::vector<SkippedBrain> skipped;
};
std::variant<BrainListing, std::string> listBrains(
    const std::string& folder, const SandboxSettings&, std::int32_t timeoutSeconds);

// Plays the run of `seed` to its end, with the forfeits and replays its faults call
// for; one that is still going when `cancel` is set is ended and spoiled.
RunResult playRun(const ArenaSetup&, std::uint32_t seed, const SandboxSettings&, const std::atomic<bool>* cancel);

// The worker's side of a run.
int serveArenaRun(worker::WorkerContext&);

}
