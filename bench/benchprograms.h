// The relay programs the benchmarks run, written into the store.
#pragma once

namespace quibrano::bench {

// Each of these starts from an empty store with the board on COM1.

// Every relay switched by hand: the tick's fixed cost, with no rule to run.
void LoadIdlePrograms();
// Every relay in timer mode with all six programs in use, every day, their
// start and end times spread over the day.
void LoadTimerPrograms();
// Every relay switching at random in all three of its windows, each open
// around the clock.
void LoadRandomWindows();
// Relay 1 follows K1 ("IF  K1"); the others are switched by hand.
void LoadFollowK1();

}  // namespace quibrano::bench
