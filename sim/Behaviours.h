#pragma once

#include "sim/BeingMind.h"

namespace shamblex {

class Random;
class World;
struct Actor;

// The decisions a being makes once per frame, between its sights and its move.
// A rule changes only the being's own directions, panic state and move credit, and
// for zombies the beings it infects and the wall it eats. Random numbers are drawn
// exactly where each rule says, never more, so that runs replay.

// Chases what it sees: turns to humans seen to the side, remembers a chase for 5 to
// 9 frames, lunges when the way ahead is short, otherwise wanders.
void runSmartZombieRule(Actor&, World&);

// Draws a new heading almost every frame unless it saw a human lately or follows
// another zombie.
void runSimpleZombieRule(Actor&, World&);

// The built-in human: checks a blocked way now and then (every frame while
// panicked), panics at a zombie or a panicked human ahead and turns away from zombies.
void runDefaultHumanRule(Actor&, const SightReport& ahead, Random&);

}
