// Cars and logs: spawning, moving, removing, squashing the frog and the
// riding test, with the bonus effect timers that run before them.
#pragma once

// One step of the lanes: the bonus effect timers first, then cars_step and
// logs_step once (twice while the traffic runs at double speed; frozen
// traffic runs them once without moving). Clears `frog.log_index` first.
void lanes_update();

// Every spawner's countdown back to its arrow's pause; every record
// inactive and parked off the board with its object.
void cars_reset();
void logs_reset();

// One step of each kind of traffic.
void cars_step();
void logs_step();

// Moves a frog that rides the log in `frog.log_index` along with it,
// stopping at a cell edge it may not cross. The caller checks that the
// frog is not hopping, the traffic is not frozen and the frog is playing.
void lanes_drift_frog();
