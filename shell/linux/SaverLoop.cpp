#include "shell/linux/SaverLoop.h"

#include "render/Bitmap.h"
#include "session/SaverControl.h"

#include <algorithm>
#include <cstdio>

namespace shamblex {

void runSaverLoop(SaverControl& session, SaverScreen& screen, const SaverLoopOptions& options)
{
    using Clock = SaverClock;
    using std::chrono::milliseconds;
    const auto& clock = options.now;

    int period = session.timerPeriod();
    Clock::time_point nextTick = clock() + milliseconds(period);
    Clock::time_point nextPresent = clock();
    // When the next outbreak starts; never while the running one goes on.
    const Clock::time_point never = Clock::time_point::max();
    Clock::time_point restartAt = never;
    // The humans at the last infection seen, and the frame it was seen at.
    std::int32_t lastHumans = -1;
    std::int32_t stillSince = 0;
    // The frame rate shown: steps and presents counted over each second.
    Clock::time_point rateSince = clock();
    int stepsCounted = 0;
    int presentsCounted = 0;
    auto restart = [&] {
        session.newOutbreak(options.nextSeed ? options.nextSeed() : std::nullopt);
        restartAt = never;
        lastHumans = -1;
    };
    bool exposed = true; // the screen has not shown the frame yet
    Clock::time_point nextRun = clock(); // the earliest time for the next run of ticks
    // How long a stopped outbreak that draws nothing sleeps between looks, when no
    // input comes: it runs a round of ticks now and then, in case something the loop
    // cannot see would draw.
    constexpr milliseconds quietLook { 500 };

    for (;;) {
        screen.awaitPresented();
        if (options.stopRequested && options.stopRequested()) {
            screen.end(session);
            return;
        }
        if (!screen.handleEvents(session))
            return;
        Clock::time_point now = clock();
        // The speed command replaces the timer: the next tick is one new period away.
        if (session.timerPeriod() != period) {
            period = session.timerPeriod();
            nextTick = now + milliseconds(period);
        }
        // The ticks due since the last wake-up run together, up to those of one
        // display refresh; any more than that are dropped. Slow ticks (a huge
        // outbreak) end the run early, so that input is still read once a refresh.
        const auto refresh = screen.refreshInterval();
        const Clock::time_point runUntil = now + refresh;
        const long catchUp = refresh / milliseconds(std::max(period, 1)) + 1;
        const bool ticking = now >= nextTick;
        if (ticking)
            nextRun = runUntil;
        for (long due = 0; now >= nextTick && due < catchUp; ++due) {
            session.tick();
            ++stepsCounted;
            nextTick += milliseconds(period);
            if (clock() >= runUntil)
                break;
        }
        now = clock();
        if (nextTick < now)
            nextTick = now;
        if (options.restartAfter) {
            const std::int32_t humans = session.humanCount();
            const std::int32_t frameNumber = session.frameNumber();
            if (humans != lastHumans || frameNumber < stillSince) {
                lastHumans = humans;
                stillSince = frameNumber;
            }
            const auto stillFrames = options.restartAfter->count() * SaverLoopOptions::stillFactor * 1000
                / std::max(period, 1);
            if (!session.outbreakOver()) {
                restartAt = never;
                if (humans > 0 && stillFrames > 0 && frameNumber - stillSince >= stillFrames)
                    restart();
            } else if (restartAt == never) {
                restartAt = now + *options.restartAfter;
            } else if (now >= restartAt) {
                restart();
            }
        }
        if (options.showFrameRate && now - rateSince >= std::chrono::seconds(1)) {
            const double seconds = std::chrono::duration<double>(now - rateSince).count();
            char text[64];
            std::snprintf(text, sizeof text, "%.0f steps/s, %.0f frames/s", stepsCounted / seconds,
                presentsCounted / seconds);
            session.setNotice(text);
            rateSince = now;
            stepsCounted = presentsCounted = 0;
        }
        exposed = exposed || screen.wantsPresent();
        Bitmap& frame = session.frame();
        bool unseen = exposed || !frame.damage().isEmpty();
        if (unseen && now >= nextPresent) {
            screen.present(frame, exposed ? PresentScope::Everything : PresentScope::Damage, session.frameMemory());
            frame.clearDamage();
            ++presentsCounted;
            exposed = false;
            unseen = false;
            now = clock();
            nextPresent = now + refresh;
        }
        // What ticks draw waits for the display anyway: the loop wakes once a refresh
        // at most and runs the ticks due by then, rather than once a tick. A stopped
        // outbreak whose ticks drew nothing (ticks run after this round's input, so
        // that the answer covers it) draws nothing more until input arrives: the loop
        // then sleeps until input, the restart, or its next look.
        const bool quiet = ticking && !unseen && session.lastTickDrewNothing();
        Clock::time_point wake = unseen ? std::min(nextTick, nextPresent)
            : quiet                     ? now + quietLook
                                        : std::max({ nextTick, nextRun, nextPresent });
        wake = std::min(wake, restartAt);
        if (wake > now)
            screen.waitForEvents(std::chrono::ceil<milliseconds>(wake - now));
    }
}

}
