// Cars and logs on the fixture level: spawning, moving and leaving, squashing, riding, drift, the traffic effects and the effect timers.
#include <cstdint>

#include "game/game_random.h"
#include "game/lanes.h"
#include "test_lanes_util.h"
#include "world/world_tables.h"

namespace {

using lanes_test::effects;
using lanes_test::messages;

constexpr int S = 12;
float centre(int col) { return static_cast<float>(col * S) + S / 2.0f; }
float frog_z(int row) { return static_cast<float>(row * S) + S / 2.0f + 4.0f; }
float car_z(int row) { return frog_z(row); }
float log_z(int row) { return static_cast<float>(row * S) + S / 2.0f + 2.0f; }

// The fixture set up, the board empty, no spawner running, the frog playing
// on its start cell and the random source reading a table of zeros.
class Lanes : public lanes_test::FixtureTest {
 protected:
  void SetUp() override {
    FixtureTest::SetUp();
    ASSERT_EQ(setup_level(), 1);
    cars_reset();
    logs_reset();
    saved_cars_ = g_game.car_spawner_count;
    saved_logs_ = g_game.log_spawner_count;
    g_game.car_spawner_count = 0;
    g_game.log_spawner_count = 0;
    place_frog(lanes_test::kStartCol, lanes_test::kStartRow);
    g_game.frog.state = FROG_PLAYING;
    constant_random(0);
    effects().clear();
  }
  static void place_frog(int col, int row) {
    FROG& f = g_game.frog;
    f.x = centre(col);
    f.z = frog_z(row);
    f.col = col;
    f.row = row;
  }
  // Record i becomes an active car (speed 0 unless given) shown ready.
  static TRAFFIC& put_car(int i, float x, float z, int direction, int type = 0, float speed = 0.0f) {
    TRAFFIC& t = g_game.cars[i];
    t.x = x;
    t.z = z;
    t.y = 0;
    t.col = World_Trunc(x / S);
    t.row = World_Trunc(z / S);
    t.direction = direction;
    t.car_type = type;
    t.speed = speed;
    t.active = 1;
    t.object_ready = 1;
    return t;
  }
  static TRAFFIC& put_log(int i, float x, int row, int direction, float speed = 0.0f) {
    TRAFFIC& t = g_game.logs[i];
    t.x = x;
    t.z = log_z(row);
    t.y = 0;
    t.col = World_Trunc(x / S);
    t.row = row;
    t.direction = direction;
    t.speed = speed;
    t.active = 1;
    return t;
  }
  // Only the car spawner of list position `i` runs, with this arrow.
  static SPAWNER& only_car_spawner(int i, ARROW arrow) {
    SPAWNER& sp = g_game.car_spawners[i];
    if (i != 0) g_game.car_spawners[0] = sp;
    g_game.car_spawner_count = 1;
    g_game.car_arrows[g_game.car_spawners[0].arrow] = arrow;
    g_game.car_spawners[0].countdown = 0;
    return g_game.car_spawners[0];
  }
  static int active_cars() {
    int n = 0;
    for (const TRAFFIC& t : g_game.cars) n += t.active;
    return n;
  }
  int saved_cars_ = 0, saved_logs_ = 0;
};

// ---------------------------------------------------------------- spawning

TEST_F(Lanes, ArrowWithRandomTenOrLessIsPacedByPauseAlone) {
  for (int random : {10, 7, 1}) {
    cars_reset();
    SPAWNER& sp = only_car_spawner(0, ARROW{random, 0.0f, 5});
    sp.countdown = 5;
    constant_random(12345);  // any value: mod 10 or less is below 10
    std::vector<int> spawned_at;
    for (int step = 1; step <= 30; step++) {
      const int before = active_cars();
      cars_step();
      if (active_cars() > before) spawned_at.push_back(step);
    }
    // Five steps of countdown, then a spawn on the sixth: every pause + 1 steps.
    EXPECT_EQ(spawned_at, (std::vector<int>{6, 12, 18, 24, 30})) << "random " << random;
    EXPECT_EQ(g_game.rand_pos, 10);  // a draw to spawn and a type draw per car
    EXPECT_EQ(sp.countdown, 5);
  }
}

TEST_F(Lanes, SpawnerDrawsEveryStepWhileItsCountdownIsZero) {
  SPAWNER& sp = only_car_spawner(0, ARROW{1000, 0.1f, 50});
  sp.countdown = 0;
  constant_random(500);  // 500 mod 1000 is not below 10
  g_game.rand_table[7] = 1005;
  for (int step = 1; step <= 7; step++) {
    cars_step();
    EXPECT_EQ(g_game.rand_pos, step);
    EXPECT_EQ(sp.countdown, 0);
  }
  EXPECT_EQ(active_cars(), 0);
  cars_step();  // draws 1005: 5 is below 10, then the type draw
  EXPECT_EQ(active_cars(), 1);
  EXPECT_EQ(g_game.rand_pos, 9);
  EXPECT_EQ(sp.countdown, 50);
}

TEST_F(Lanes, NoFreeCarRecordIsFatal) {
  only_car_spawner(0, ARROW{10, 0.0f, 0});
  for (int i = 0; i < GAME_CARS; i++) put_car(i, centre(3), car_z(9), LANE_LEFT);
  cars_step();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Error: (cars) next_free_thing=9999");
}

// ---------------------------------------------------------------- moving and leaving

TEST_F(Lanes, CarLeavesOnTheFirstStepOverATileZeroCell) {
  World_Cell(5, 5)->tile = 0;
  TRAFFIC& gone = put_car(10, 72.05f, car_z(5), LANE_LEFT, 0, 0.1f);   // into column 5
  TRAFFIC& stays = put_car(11, 72.25f, car_z(5), LANE_LEFT, 0, 0.1f);  // still in column 6
  TRAFFIC& off = put_car(12, 119.95f, car_z(6), LANE_RIGHT, 0, 0.1f);  // past the last column
  cars_step();
  EXPECT_EQ(gone.active, 0);
  EXPECT_EQ(gone.object_ready, 0);
  EXPECT_FLOAT_EQ(gone.x, GAME_OFF_BOARD);
  EXPECT_DOUBLE_EQ(world_tables.objects[gone.object].x, GAME_OFF_BOARD);
  EXPECT_EQ(off.active, 0);
  EXPECT_EQ(stays.active, 1);
  EXPECT_FLOAT_EQ(stays.x, 72.15f);
  EXPECT_EQ(stays.col, 6);
  EXPECT_DOUBLE_EQ(world_tables.objects[stays.object].x, stays.x);
}

// ---------------------------------------------------------------- squashing

struct Hit {
  int direction, type;
  float dx, dz;
  bool hits;
};

TEST_F(Lanes, CollisionBoxesAlongXAndZ) {
  // Type 0: 9 x 9 half-lengths; type 1: 11 x 11 (level0.txt).
  const Hit cases[] = {
      {LANE_LEFT, 1, 10.9f, 0.0f, true},   {LANE_LEFT, 1, 11.0f, 0.0f, false}, {LANE_RIGHT, 0, -8.9f, 0.0f, true},
      {LANE_RIGHT, 0, -9.0f, 0.0f, false}, {LANE_LEFT, 1, 0.0f, 3.9f, true},   {LANE_LEFT, 1, 0.0f, -4.0f, false},
      {LANE_DOWN, 0, 5.9f, 8.9f, true},    {LANE_DOWN, 0, 6.0f, 0.0f, false},  {LANE_UP, 0, 0.0f, -9.0f, false},
      {LANE_UP, 1, -5.9f, -10.9f, true},   {LANE_UP, 1, 0.0f, 11.0f, false},
  };
  for (const Hit& c : cases) {
    for (TRAFFIC& t : g_game.cars) t.active = 0;
    g_game.frog.state = FROG_PLAYING;
    g_game.frog.state_timer = 0;
    put_car(0, g_game.frog.x + c.dx, g_game.frog.z + c.dz, c.direction, c.type);
    cars_step();
    EXPECT_EQ(g_game.frog.state == FROG_SQUASHED, c.hits)
        << "direction " << c.direction << " type " << c.type << " dx " << c.dx << " dz " << c.dz;
  }
}

// ---------------------------------------------------------------- riding

TEST_F(Lanes, RidingTestFindsTheLastCoveringLogAlongX) {
  place_frog(4, 2);
  const float x = g_game.frog.x;
  put_log(10, x + 13.9f, 2, LANE_LEFT);
  put_log(20, x - 13.9f, 2, LANE_RIGHT);
  put_log(30, x + 14.0f, 2, LANE_LEFT);  // the edge does not carry
  put_log(40, x, 3, LANE_RIGHT);         // another row
  lanes_update();
  EXPECT_EQ(g_game.frog.log_index, 20);
  g_game.logs[20].active = 0;
  lanes_update();
  EXPECT_EQ(g_game.frog.log_index, 10);
}

// ---------------------------------------------------------------- drift

TEST_F(Lanes, DriftMovesWithTheLog) {
  place_frog(4, 1);
  put_log(5, centre(4), 1, LANE_RIGHT, 0.1f);
  g_game.frog.log_index = 5;
  lanes_drift_frog();
  EXPECT_FLOAT_EQ(g_game.frog.x, centre(4) + 0.1f);
  EXPECT_FLOAT_EQ(g_game.frog.z, frog_z(1));
  put_log(6, centre(4), 1, LANE_LEFT, 0.2f);
  g_game.frog.log_index = 6;
  lanes_drift_frog();
  EXPECT_FLOAT_EQ(g_game.frog.x, centre(4) - 0.1f);
}

TEST_F(Lanes, DriftStopsAtTheCellCentreBeforeAMissingCell) {
  // Column 9 of row 1: the right-hand neighbour is outside the grid.
  place_frog(9, 1);
  put_log(5, centre(9), 1, LANE_RIGHT, 0.1f);
  g_game.frog.log_index = 5;
  lanes_drift_frog();
  EXPECT_FLOAT_EQ(g_game.frog.x, centre(9));
  g_game.frog.x = centre(9) - 2.0f;  // short of the centre: it still moves
  lanes_drift_frog();
  EXPECT_FLOAT_EQ(g_game.frog.x, centre(9) - 1.9f);
  // Column 0 of row 2, drifting left.
  place_frog(0, 2);
  put_log(6, centre(0), 2, LANE_LEFT, 0.1f);
  g_game.frog.log_index = 6;
  lanes_drift_frog();
  EXPECT_FLOAT_EQ(g_game.frog.x, centre(0));
}

TEST_F(Lanes, DoubleSpeedDriftsOnceMoreBlockedOrNot) {
  g_game.traffic_effect = TRAFFIC_DOUBLE;
  place_frog(9, 1);
  put_log(5, centre(9), 1, LANE_RIGHT, 0.1f);
  g_game.frog.log_index = 5;
  lanes_drift_frog();
  EXPECT_FLOAT_EQ(g_game.frog.x, centre(9) + 0.1f);
  place_frog(4, 1);
  lanes_drift_frog();
  EXPECT_FLOAT_EQ(g_game.frog.x, centre(4) + 0.2f);
}

// ---------------------------------------------------------------- traffic effects

// ---------------------------------------------------------------- reset

}  // namespace
