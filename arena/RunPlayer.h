#pragma once

#include "arena/RunResult.h"
#include "os/Process.h"

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace shamblex::arena {

// Every run of the arena is played in a child process of its own, so that a brain
// that crashes, exits or never returns ends that run and nothing else, and so that
// every run starts from a freshly loaded brain (a brain's own globals, its random
// generator among them, start over as they do in shamblex-cli). The child is the
// arena program itself, started in one of two modes that only the arena uses:
//
//   shamblex-arena --list-brains --brains DIR
//       loads the folder's brains and reports their names, in list order;
//   shamblex-arena --play-run --brains DIR --seed S --frames F --time-limit MS [outbreak options]
//       plays the run and reports, per brain, the frame its last human fell and its
//       humans at the end.
//
// A child writes its report as JSON on standard output and its remarks on standard
// error; the exit status says how it ended.
inline constexpr std::string_view listBrainsMode = "--list-brains";
inline constexpr std::string_view playRunMode = "--play-run";

// Exit statuses of a played run besides 0 (done), 1 (the folder or the memory
// failed), 2 (a bad command line) and the brain guard's status (a brain crashed,
// exited or did not return).
inline constexpr int brainThrewStatus = 4;
inline constexpr int runTimedOutStatus = 5;

// The arguments after the mode word. Returns the exit status.
int listBrains(std::span<const std::string_view> arguments, std::FILE* output, std::FILE* errors);
int playRun(std::span<const std::string_view> arguments, std::FILE* output, std::FILE* errors);

// The command lines that start the children.
std::vector<std::string> listBrainsCommand(const std::string& program, const std::string& brainsFolder);
std::vector<std::string> playRunCommand(const std::string& program, const ArenaSetup&, std::uint32_t seed);

// What the parent makes of a child that ended: the listed names, or why there are
// none.
std::variant<std::vector<std::string>, std::string> readListing(
    const Process::Ending&, std::string_view output, std::string_view errors);
// The run's result from its child's ending, report and remarks.
RunResult readRun(const ArenaSetup&, std::uint32_t seed, const Process::Ending&, std::string_view output,
    std::string_view errors);

}
