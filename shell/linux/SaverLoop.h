#pragma once

#include <chrono>

namespace shamblex {

class Bitmap;
class SaverSession;

// Where a running saver's frames go and where its input comes from: a window of
// the platform's toolkit, or a window someone else owns.
class SaverScreen {
public:
    virtual ~SaverScreen() = default;

    // Turns every pending event into session calls; false when the saver ends.
    virtual bool handleEvents(SaverSession&) = 0;
    // Sleeps until an event arrives or the time is up.
    virtual void waitForEvents(std::chrono::milliseconds) = 0;
    // Shows the frame.
    virtual void present(const Bitmap&) = 0;
    // The time between two refreshes of the display.
    virtual std::chrono::microseconds refreshInterval() const = 0;
    // Whether something (an exposure, a resize) asks for the frame to be shown again.
    virtual bool wantsPresent() { return false; }
};

// Runs the saver until the screen says it ends: a frame step per tick of the
// session's timer period, and the latest frame shown at most once per display
// refresh, so a display slower than the timer never slows the simulation. Ticks
// that fall behind are dropped, not bunched up, like a platform timer's.
void runSaverLoop(SaverSession&, SaverScreen&);

}
