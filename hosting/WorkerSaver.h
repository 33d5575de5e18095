#pragma once

#include "session/SaverCommands.h"

#include <optional>
#include <string>
#include <string_view>

namespace shamblex::worker {

class WorkerContext;

// The saver role of a brain worker: a saver session that the host drives call by
// call, drawing into frames the host shares with it. Returns the exit status.
int serveSaver(WorkerContext&);

// How a saver mode travels as the role's argument.
std::string_view saverModeWord(SaverMode);
std::optional<SaverMode> saverModeNamed(std::string_view);

}
