#include "session/SessionStart.h"

#include "session/SaverSession.h"

namespace shamblex {

std::optional<std::string> startSession(SaverSession& session, const SessionStart& start)
{
    Settings& settings = session.settings();
    if (start.restored)
        settings = *start.restored;
    start.settings.applyTo(settings, session.random());
    if (start.graph)
        settings.showGraph = 1;
    if (start.directions)
        settings.showDirections = 1;
    if (start.timerPeriod && !session.setTimerPeriod(*start.timerPeriod))
        return "a timer period of " + std::to_string(*start.timerPeriod) + " ms is none the speed key knows";
    if (const auto& folder = start.settings.brainsDirectory) {
        session.setBrainFolder(*folder);
        BrainRegistry& brains = session.brains();
        brains.reloadBrains(*folder);
        if (!brains.scanError().empty())
            return "cannot read the brain folder " + quoted(*folder) + ": " + brains.scanError();
        if (start.reportSkipped) {
            for (const SkippedLibrary& skipped : brains.skippedLibraries())
                session.report("skipped " + quoted(skipped.fileName) + ": " + skipped.reason);
        }
    }
    if (start.pinSerial)
        session.pinSerialAtFirstStep(*start.pinSerial);
    if (!session.create())
        return "a board of " + std::to_string(settings.boardWidth) + "x" + std::to_string(settings.boardHeight)
            + " cells with " + std::to_string(settings.beingCount) + " beings does not fit in memory";
    return std::nullopt;
}

}
