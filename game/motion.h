// The frog's motion over the world grid and against the traffic: the hop test, the hop's step and progress, the squash, riding and pick-up tests and the drift of a ridden frog.
//
// The rules move the frog with these, and the bot (tools/bot) predicts it
// with the same functions, so the two cannot drift apart. Positions are
// world units (x across the columns, z along the rows); every function
// reads the world grid of the loaded level and nothing else.
#pragma once

constexpr int MOTION_HOP_STEPS = 32;             // moving steps of one hop at normal speed
constexpr float MOTION_HOP_FRACTION = 0.03125f;  // 1 / MOTION_HOP_STEPS of the distance per step
constexpr int MOTION_CORNER_HOP = 3;             // corner heights must differ by less than this to hop
constexpr int MOTION_CORNER_DRIFT = 2;           // corner heights differing by more block a drift
constexpr float MOTION_FROG_Z_OFFSET = 4.0f;     // the frog (and the cars) stand this far past the row centre
constexpr float MOTION_LOG_Z_OFFSET = 2.0f;      // logs float this far past it
constexpr float MOTION_SQUASH_BAND = 4.0f;       // cars along x hit within this of the frog's z
constexpr float MOTION_SQUASH_SIDE = 6.0f;       // cars along z hit within this of the frog's x
constexpr float MOTION_RIDE_HALF = 14.0f;        // a log carries a frog within this of its centre
constexpr float MOTION_PICK_UP_REACH = 6.0f;     // a bonus is picked up within this on every axis

// Hop directions: the frog's hop_dir and the direction codes of demos and the bot.
enum MOTION_DIRECTION { MOTION_UP = 1, MOTION_DOWN = 2, MOTION_LEFT = 3, MOTION_RIGHT = 4 };

// The centre x of column `col`; the frog's z in row `row` (its centre plus
// MOTION_FROG_Z_OFFSET). Whole cell sizes of the loaded level.
float motion_column_x(int col);
float motion_row_z(int row);
// The cell under (x, z), as the frog's col and row are kept.
void motion_cell_of(float x, float z, int* col, int* row);
// The tile under (x, z); 0 off the grid.
int motion_tile_at(float x, float z);

// 1 when a hop in `direction` may start from cell (col, row): the
// neighbour exists (inside, tile not 0) and each corner of the shared edge
// is within MOTION_CORNER_HOP - 1 of the frog cell's matching corner.
int motion_hop_allowed(int col, int row, int direction);
// Where a hop from (col, row) in `direction` ends: the neighbour's centre x
// and frog z. The distance per step is MOTION_HOP_FRACTION of the part
// along the hop's axis from (x, z).
void motion_hop_target(int col, int row, int direction, float* target_x, float* target_z);
float motion_hop_step(int direction, float x, float z, float target_x, float target_z);
// One step of hop progress: moves (x, z) by `step` and counts it. 1 when
// that was the hop's last step (the counter went past MOTION_HOP_STEPS - 1).
int motion_hop_advance(int direction, float step, int* counter, float* x, float* z);

// Lane directions are LaneDirection values (game/game_state.h).
// 1 when a car of lane `direction` at (car_x, car_z), x_size and z_size
// its half-lengths, squashes a frog at (frog_x, frog_z).
int motion_squashes(int direction, float car_x, float car_z, float x_size, float z_size, float frog_x, float frog_z);
// 1 when a log along x centred at log_x carries a frog at frog_x (the
// caller checks that they share a row).
int motion_rides(float log_x, float frog_x);
// The x of a frog at (x, z) after one drift with a log of lane `direction`
// (right or left) at `speed`: it moves unless the neighbour cell ahead is
// missing or its shared-edge corners differ by more than
// MOTION_CORNER_DRIFT and the frog has reached its cell's centre; a
// `doubled` step (double-speed traffic) adds one more move, blocked or not.
float motion_drift(float x, float z, int direction, float speed, int doubled);
