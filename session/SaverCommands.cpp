#include "session/SaverCommands.h"

#include "session/SaverSession.h"

namespace shamblex {

std::span<const SaverCommand> SaverSession::commands()
{
    using S = SaverSession;
    constexpr SaverModes interactive { SaverMode::Window, SaverMode::Headless };
    // In the order of the help page. Full-screen savers, previews and hacks run no
    // command: there, input ends the saver or does not reach it.
    static const SaverCommand table[] = {
        { Trigger::Key, " ", "Spacebar", "pause, or run again", interactive, true, &S::pauseCommand },
        { Trigger::Key, "R", "R", "restart on the same board", interactive, true, &S::restartBoardCommand },
        { Trigger::Key, "Ss", "S", "next speed: 25, 75, 150, 1 ms a frame", interactive, true, &S::speedCommand },
        { Trigger::Key, "z", "z", "new simulation", interactive, true, &S::newSimulationCommand },
        { Trigger::Key, "c", "c", "brain colours or the colours brains choose", interactive, true, &S::userColourCommand },
        { Trigger::Key, "b", "b", "city or open arena", interactive, true, &S::arenaCommand },
        { Trigger::Key, "d", "d", "show where beings look (white) and go (grey)", interactive, true, &S::directionsCommand },
        { Trigger::Key, "t", "t", "smart or simple zombies", interactive, true, &S::smartZombiesCommand },
        { Trigger::Key, "Ee", "E", "zombies eat walls, or not", interactive, true, &S::eatWallsCommand },
        { Trigger::Key, "<", "<", "smaller city", interactive, true, &S::smallerCityCommand },
        { Trigger::Key, ">", ">", "bigger city", interactive, true, &S::biggerCityCommand },
        { Trigger::Key, "123456789", "1-9", "remove the humans of the first to ninth brain", interactive, true,
            &S::removeBrainCommand },
        { Trigger::Key, "l", "l", "reload the brains", interactive, true, &S::reloadBrainsCommand, true },
        { Trigger::Key, "+", "+", "start again with 100 more beings", interactive, true, &S::moreBeingsCommand },
        { Trigger::Key, "-", "-", "start again with 100 fewer beings", interactive, true, &S::fewerBeingsCommand },
        { Trigger::Key, "f", "f", "fast forward 100 frames", interactive, true, &S::fastForwardCommand },
        { Trigger::Key, "F", "F", "fast forward 1000 frames", interactive, true, &S::fastForwardCommand },
        { Trigger::Key, "g", "g", "population counts or their history graph", interactive, true, &S::graphCommand },
        { Trigger::Key, "k", "k", "kill every zombie", interactive, true, &S::killZombiesCommand },
        { Trigger::LeftButton, "", "L-click", "place a human (of a brain chosen by its share of the living)",
            interactive, true, &S::placeHumanCommand },
        { Trigger::RightButton, "", "R-click", "place a zombie", interactive, true, &S::placeZombieCommand },
        { Trigger::Key, "?", "?", "help", interactive, true, &S::helpCommand },
        // Added to the help texts outside the page, whose text never changes.
        { Trigger::Key, ".", ".", "one frame step while paused", interactive, false, &S::singleStepCommand },
        { Trigger::Key, "p", "p", "save the picture beside the settings file (shamblex-frame-NNNNNN.png)",
            { SaverMode::Window }, false, &S::savePictureCommand },
        { Trigger::MiddleButton, "", "M-click", "keep the label (and rays) on the being clicked, until clicked again",
            { SaverMode::Window }, false, &S::pinCommand },
    };
    return table;
}

}
