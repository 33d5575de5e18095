#pragma once

#include "cli/CommandLine.h"
#include "hosting/BrainHosting.h"

#include <cstdio>
#include <span>
#include <string_view>

namespace shamblex::worker {
class WorkerContext;
}

namespace shamblex::cli {

// Runs one headless outbreak as the options say and writes its outputs. Returns the
// exit status: 0 done, 1 an output, the brain folder or the memory failed, the brain
// guard's status when a brain crashed, exited or stopped answering, 130/143 after an
// interrupt. Messages go to `errors`, one line each; "-" outputs go to `output`.
//
// A run that may load brains plays in a sandboxed brain worker, given the command
// line's own words (`arguments`), unless the hosting options turn the sandbox off;
// any other run plays here.
int run(const RunOptions&, std::span<const std::string_view> arguments, const HostingOptions&, std::FILE* output,
    std::FILE* errors);
// The same, always here.
int run(const RunOptions&, std::FILE* output, std::FILE* errors);

// The worker's side: plays the run its host's words describe.
int serveRun(worker::WorkerContext&);

}
