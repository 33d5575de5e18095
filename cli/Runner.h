#pragma once

#include "cli/CommandLine.h"

#include <cstdio>

namespace shamblex::cli {

// Runs one headless outbreak as the options say and writes its outputs. Returns the
// exit status: 0 done, 1 an output, the brain folder or the memory failed. Messages
// go to `errors`, one line each; "-" outputs go to `output`.
int run(const RunOptions&, std::FILE* output, std::FILE* errors);

}
