#pragma once

#include "session/SettingsOptions.h"
#include "sim/Settings.h"

#include <optional>
#include <string>

namespace shamblex {

class SaverSession;

// How a program starts its outbreak: the settings options every program takes, and
// what the saver's own options add.
struct SessionStart {
    SettingsOptions settings;
    bool graph = false; // the history graph shown from the start
    bool directions = false; // the look and move rays shown from the start
    std::optional<int> timerPeriod; // one of the speed command's periods
    // Every setting as an earlier outbreak left it (a worker started again after a
    // brain faulted), applied before the options above.
    std::optional<Settings> restored;
    // Whether each brain file the scan passed over is reported (brain authors want to
    // know; a listing for another program's use may not).
    bool reportSkipped = true;
    // Pins the being that holds this serial at the first frame step.
    std::optional<std::uint32_t> pinSerial;
};

// The one start-up every program makes, before the first simulation: the options go
// into the session's settings and generator, the brains of the options' folder are
// loaded as the reload command loads them (which then scans that folder), and the
// window is created with the first simulation. Remarks (the skipped files) go to the
// session's reporter. The reason, in one line, when the outbreak cannot start: the
// brain folder cannot be read, or the first simulation does not fit in memory.
std::optional<std::string> startSession(SaverSession&, const SessionStart&);

}
