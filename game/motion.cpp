// The frog's motion: hop test, hop step and progress, squash, riding and drift, over the world grid of the loaded level.
#include "game/motion.h"

#include <cmath>
#include <cstdlib>

#include "game/game_state.h"
#include "world/world_tables.h"

namespace {

// One hop direction: the neighbour's offset and the corners of the shared
// edge (the neighbour's, then the frog cell's matching ones). Corners 0, 1
// lie on a cell's low-x edge, 2, 3 on its high-x edge; 1, 3 on its low-z
// ("up") edge, 0, 2 on its high-z edge.
struct HOP {
  int dcol, drow;
  int neighbour[2], current[2];
};
constexpr HOP kHops[5] = {
    {0, 0, {0, 0}, {0, 0}},    // none
    {0, -1, {0, 2}, {1, 3}},   // up
    {0, +1, {1, 3}, {0, 2}},   // down
    {-1, 0, {2, 3}, {0, 1}},   // left
    {+1, 0, {0, 1}, {2, 3}},   // right
};

float cell_size() { return static_cast<float>(World_Cell_Unit()); }

bool direction_ok(int direction) { return direction >= MOTION_UP && direction <= MOTION_RIGHT; }

// A drift may cross into `next` when it exists and the two corner pairs on
// the shared edge differ by at most MOTION_CORNER_DRIFT.
bool edge_open(const CELL* here, const CELL* next, int next_a, int next_b, int here_a, int here_b) {
  if (!next || next->tile == 0) return false;
  return std::abs(next->up[next_a] - here->up[here_a]) <= MOTION_CORNER_DRIFT &&
         std::abs(next->up[next_b] - here->up[here_b]) <= MOTION_CORNER_DRIFT;
}

}  // namespace

float motion_column_x(int col) { return static_cast<float>(col) * cell_size() + cell_size() / 2.0f; }

float motion_row_z(int row) {
  return static_cast<float>(row) * cell_size() + cell_size() / 2.0f + MOTION_FROG_Z_OFFSET;
}

void motion_cell_of(float x, float z, int* col, int* row) {
  const float s = cell_size();
  *col = World_Trunc(x / s);
  *row = World_Trunc(z / s);
}

int motion_tile_at(float x, float z) {
  int col = 0, row = 0;
  motion_cell_of(x, z, &col, &row);
  const CELL* c = World_Cell(col, row);
  return c ? c->tile : 0;
}

int motion_hop_allowed(int col, int row, int direction) {
  if (!direction_ok(direction)) return 0;
  const HOP& h = kHops[direction];
  const CELL* n = World_Cell(col + h.dcol, row + h.drow);
  const CELL* c = World_Cell(col, row);
  if (!n || n->tile == 0 || !c) return 0;
  for (int k = 0; k < 2; k++)
    if (std::abs(n->up[h.neighbour[k]] - c->up[h.current[k]]) >= MOTION_CORNER_HOP) return 0;
  return 1;
}

void motion_hop_target(int col, int row, int direction, float* target_x, float* target_z) {
  const HOP& h = kHops[direction_ok(direction) ? direction : 0];
  *target_x = motion_column_x(col + h.dcol);
  *target_z = motion_row_z(row + h.drow);
}

float motion_hop_step(int direction, float x, float z, float target_x, float target_z) {
  const float distance = direction == MOTION_LEFT || direction == MOTION_RIGHT ? target_x - x : target_z - z;
  return std::fabs(distance) * MOTION_HOP_FRACTION;
}

int motion_hop_advance(int direction, float step, int* counter, float* x, float* z) {
  switch (direction) {
    case MOTION_UP: *z -= step; break;
    case MOTION_DOWN: *z += step; break;
    case MOTION_LEFT: *x -= step; break;
    default: *x += step; break;
  }
  return (*counter)++ >= MOTION_HOP_STEPS - 1;
}

int motion_squashes(int direction, float car_x, float car_z, float x_size, float z_size, float frog_x, float frog_z) {
  const float dx = std::fabs(car_x - frog_x);
  const float dz = std::fabs(car_z - frog_z);
  if (direction == LANE_UP || direction == LANE_DOWN) return dx < MOTION_SQUASH_SIDE && dz < z_size;
  return dz < MOTION_SQUASH_BAND && dx < x_size;
}

int motion_rides(float log_x, float frog_x) {
  return log_x - MOTION_RIDE_HALF < frog_x && frog_x < log_x + MOTION_RIDE_HALF;
}

float motion_drift(float x, float z, int direction, float speed, int doubled) {
  if (direction != LANE_RIGHT && direction != LANE_LEFT) return x;
  const int s = World_Cell_Unit();
  const int col = World_Trunc(static_cast<double>(x) / s);
  const int row = World_Trunc(static_cast<double>(z) / s);
  const CELL* here = World_Cell(col, row);
  if (!here) return x;
  const float centre = static_cast<float>(col * s) + s / 2.0f;
  const bool right = direction == LANE_RIGHT;
  // Right: the next cell's corners 0, 1 meet ours 2, 3; left: its 2, 3 meet our 0, 1.
  const bool open = right ? edge_open(here, World_Cell(col + 1, row), 0, 1, 2, 3)
                          : edge_open(here, World_Cell(col - 1, row), 2, 3, 0, 1);
  const float step = right ? speed : -speed;
  if (open || (right ? x < centre : x > centre)) x += step;
  if (doubled) x += step;
  return x;
}
