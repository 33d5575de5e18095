#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace shamblex {

class Bitmap;
class SaverControl;
class SharedMemory;

enum class PresentScope {
    Damage, // the parts of the frame written since it was last shown
    Everything, // the whole frame (the window was exposed or resized)
};

// Where a running saver's frames go and where its input comes from: a window of
// the platform's toolkit, or a window someone else owns.
class SaverScreen {
public:
    virtual ~SaverScreen() = default;

    // Tells the session the screen's size, as a window's first size message does.
    virtual void begin(SaverControl&) = 0;
    // Turns every pending event into session calls; false when the saver ends.
    virtual bool handleEvents(SaverControl&) = 0;
    // Sleeps until an event arrives or the time is up.
    virtual void waitForEvents(std::chrono::milliseconds) = 0;
    // Shows the frame, or the parts of it the frame marks as damaged. `memory` is the
    // shared memory the frame lies in, if it does (see SaverControl::frameMemory).
    // The display may go on reading the frame after this returns: see awaitPresented.
    virtual void present(const Bitmap&, PresentScope, const std::shared_ptr<const SharedMemory>& memory) = 0;
    // Returns once the display has read the frame last presented: nothing may draw on
    // the frame before. The loop calls it first thing after each sleep, so that a
    // screen whose display reads the frame where it lies need not wait for the
    // display's answer at once (and be woken a second time each refresh).
    virtual void awaitPresented() { }
    // The time between two refreshes of the display.
    virtual std::chrono::microseconds refreshInterval() const = 0;
    // Whether something (an exposure, a resize) asks for the whole frame to be shown.
    virtual bool wantsPresent() { return false; }
    // The saver ends from outside (an interrupt): what closing the window does.
    virtual void end(SaverControl&) { }
    // Whether the user asks the saver to end while the program's own thread is stuck
    // (inside a brain). Called on a watchdog's thread. A screen that takes no input
    // never asks.
    virtual bool userWantsOut() { return false; }
};

using SaverClock = std::chrono::steady_clock;

struct SaverLoopOptions {
    // A new outbreak starts this long after the last human fell, and also when no
    // human has been infected for stillFactor times as long (counted in frames at
    // the timer's period, so a paused outbreak does not count as still); none
    // without it.
    std::optional<std::chrono::seconds> restartAfter;
    static constexpr int stillFactor = 6;
    // The seed of each new outbreak the loop starts; the generator runs on from where
    // it is when not given, or when it gives none.
    std::function<std::optional<std::uint32_t>()> nextSeed;
    // Shows, once a second, how many frame steps and how many presented frames the
    // last second had (XScreenSaver's -fps).
    bool showFrameRate = false;
    // Where the loop reads the time. The steady clock, unless a test drives the loop
    // by a clock of its own (moved on by its screen's waits).
    std::function<SaverClock::time_point()> now = [] { return SaverClock::now(); };
    // Asked once a round: true ends the saver as closing its window does (an
    // interrupt, in the programs). Never, unless given.
    std::function<bool()> stopRequested;
};

// Runs the saver until the screen says it ends or an interrupt arrives: a frame step
// per tick of the session's timer period, and what the steps drew shown at most once
// per display refresh, so a display slower than the timer never slows the
// simulation. While frames are being shown, the loop wakes once a refresh and runs
// the ticks that fell due since (a display cannot show them apart anyway); ticks
// that fall further behind than one refresh are dropped, like a platform timer's.
// A frame in which nothing was drawn is not presented at all, and a stopped outbreak
// whose ticks draw nothing is ticked twice a second (and after input), not once a
// refresh.
void runSaverLoop(SaverControl&, SaverScreen&, const SaverLoopOptions& = {});

}
