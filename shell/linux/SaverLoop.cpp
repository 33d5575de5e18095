#include "shell/linux/SaverLoop.h"

#include "session/SaverSession.h"

#include <algorithm>

namespace shamblex {

void runSaverLoop(SaverSession& session, SaverScreen& screen)
{
    using Clock = std::chrono::steady_clock;
    using std::chrono::milliseconds;

    int period = session.timerPeriod();
    Clock::time_point nextTick = Clock::now() + milliseconds(period);
    Clock::time_point nextPresent = Clock::now();
    bool unseen = true; // a frame has been drawn that the screen has not shown yet

    for (;;) {
        if (!screen.handleEvents(session))
            return;
        Clock::time_point now = Clock::now();
        // The speed command replaces the timer: the next tick is one new period away.
        if (session.timerPeriod() != period) {
            period = session.timerPeriod();
            nextTick = now + milliseconds(period);
        }
        if (now >= nextTick) {
            session.tick();
            unseen = true;
            nextTick += milliseconds(period);
            now = Clock::now();
            if (nextTick < now)
                nextTick = now;
        }
        unseen = unseen || screen.wantsPresent();
        if (unseen && now >= nextPresent) {
            screen.present(session.frame());
            unseen = false;
            now = Clock::now();
            nextPresent = now + screen.refreshInterval();
        }
        Clock::time_point wake = unseen ? std::min(nextTick, nextPresent) : nextTick;
        if (wake > now)
            screen.waitForEvents(std::chrono::ceil<milliseconds>(wake - now));
    }
}

}
