// Tests of mybrain on situations made by hand, without an outbreak: `ctest` in the
// build folder runs them. Each builds what a being sees, calls the built brain and
// checks what it decided. Change them with the brain.
#include "brains/BrainTest.h"

#include <cstdio>

using namespace shamblex::braintest;

namespace {

int failures = 0;

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "FAIL: %s\n", what);
        ++failures;
    }
}

}

int main()
{
    Brain brain(SHAMBLEX_BRAIN_PATH);

    Situation chased;
    chased.look = up;
    chased.ahead = sees(zombie, 3);
    Decision fled = brain.decide(chased);
    check(fled.move == down && fled.look == down, "a zombie ahead: turn around and run");
    check(fled.status == "running", "running says so");

    Situation flanked;
    flanked.look = right;
    flanked.leftSight = sees(zombie, 5);
    check(brain.decide(flanked).move == down, "a zombie on the left (up): go right of the look (down)");

    Situation cornered;
    cornered.look = left;
    cornered.ahead = sees(wall, 1);
    cornered.leftSight = sees(wall, 1);
    cornered.rightSight = sees(wall, 1);
    check(brain.decide(cornered).move == right, "walls on three sides: turn around");

    // Over many frames in the open, the being keeps walking, its memory carried on.
    Situation open;
    open.serial = 7;
    int turns = 0;
    for (int frame = 0; frame < 200; ++frame) {
        Decision walked = brain.decide(open);
        check(walked.move == walked.look && walked.move < 4, "in the open it walks where it looks");
        turns += walked.look != open.look;
        open = Situation::from(walked);
    }
    check(turns > 0 && turns < 50, "now and then a turn, not at every step");

    return failures == 0 ? 0 : 1;
}
