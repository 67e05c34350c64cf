// Cars and logs: spawning, moving, removing, squashing the frog and the
// riding test, with the bonus effect timers that run before them.
#pragma once

// One step of the lanes: the bonus effect timers first, then cars_step and
// logs_step once (twice while the traffic runs at double speed; frozen
// traffic runs them once without moving). Clears `frog.log_index` first.
void lanes_update();

// Every spawner's countdown back to its arrow's pause; every record
// inactive and parked off the board (9999) with its object; cars also lose
// their ready flag, so a car spawned again shows its new type and direction.
void cars_reset();
void logs_reset();

// One step of each kind of traffic: spawners (not while frozen; the
// highest free record is taken, "(cars) next_free_thing=9999" /
// "(logs) next_free_thing=9999" through Engine_Stop when none is free),
// then each active record moves (not while frozen), cars test the squash
// of the frog (unless it is in state 2), logs along x the riding test
// (`frog.log_index`; logs stand still and are not tested while the frog
// drowns), and a record over a missing cell (outside or tile 0) leaves.
// Every random value comes from game_random(), in spawner order.
void cars_step();
void logs_step();

// Moves a frog that rides the log in `frog.log_index` along with it by
// the log's speed. A neighbour cell that is missing or whose shared-edge
// corners differ by more than 2 blocks the drift once the frog has reached
// its cell's centre; double-speed traffic adds one more move, blocked or
// not. The caller checks that the frog is not hopping, the traffic is not
// frozen and the frog is playing.
void lanes_drift_frog();
