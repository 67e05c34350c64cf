// Lanes of cars and logs: the bonus effect timers, spawning, moving and removing traffic, squashing, riding and drift.
#include "game/lanes.h"


#include "game/game_random.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "game/motion.h"
#include "world/engine_error.h"
#include "world/map.h"
#include "world/objects.h"
#include "world/world_tables.h"

namespace {

constexpr int CAR_SPRITE_FIRST = 100;  // car type t shows sprite 100 + t
constexpr int LOG_SPRITE_Z = 150;      // logs moving along z
constexpr int LOG_SPRITE_X = 151;      // logs moving along x
constexpr int CAR_ANIM_LOOPS = 99999;  // kept as a signed 16-bit value: never runs out
constexpr int SQUASH_TIMER = 160;
constexpr int EFFECT_HIT = 1;

enum class Kind { Cars, Logs };

// r mod m as the runtime's % does; m 0 gives 0 (spawns every time).
int mod(int r, int m) { return m == 0 ? 0 : r % m; }

// An index 0..n-1 from a drawn value, also for negative table values.
int index_mod(int r, int n) {
  if (n <= 0) return 0;
  const int m = r % n;
  return m < 0 ? m + n : m;
}

bool object_ok(int object) { return object > 0 && object < WORLD_OBJECTS && world_tables.objects; }

void park(TRAFFIC& t) {
  t.x = t.y = t.z = GAME_OFF_BOARD;
  t.active = 0;
  Object_Set_Position(t.object, GAME_OFF_BOARD, GAME_OFF_BOARD, GAME_OFF_BOARD);
}

int car_type_count() {
  const int n = g_game.different_cars;
  return n < 1 ? 1 : (n > GAME_CAR_TYPES ? GAME_CAR_TYPES : n);
}

void move(TRAFFIC& t) {
  switch (t.direction) {
    case LANE_UP: t.z -= t.speed; break;
    case LANE_DOWN: t.z += t.speed; break;
    case LANE_RIGHT: t.x += t.speed; break;
    case LANE_LEFT: t.x -= t.speed; break;
    default: break;
  }
}

// Takes the free record with the highest index and starts it at the spawner's cell.
// Null (after the fatal message) when every record is on the board.
TRAFFIC* spawn(Kind kind, const SPAWNER& sp, const ARROW& arrow) {
  TRAFFIC* records = kind == Kind::Cars ? g_game.cars : g_game.logs;
  const int count = kind == Kind::Cars ? GAME_CARS : GAME_LOGS;
  int free_index = -1;
  for (int i = 0; i < count; i++)
    if (!records[i].active) free_index = i;
  if (free_index < 0) {
    Engine_Stop(kind == Kind::Cars ? "(cars) next_free_thing=9999" : "(logs) next_free_thing=9999");
    return nullptr;
  }
  const int s = World_Cell_Unit();
  TRAFFIC& t = records[free_index];
  t.col = sp.col;
  t.row = sp.row;
  t.direction = sp.direction;
  t.active = 1;
  t.x = static_cast<float>(sp.col * s) + s / 2.0f;
  t.z = static_cast<float>(sp.row * s) + s / 2.0f + (kind == Kind::Cars ? MOTION_FROG_Z_OFFSET : MOTION_LOG_Z_OFFSET);
  t.y = static_cast<float>(World_Up_Height(t.x, t.z));
  t.speed = arrow.speed;
  return &t;
}

// Step 1 of both kinds: each spawner waits its countdown, then draws until it spawns.
// 0 after a fatal message.
int run_spawners(Kind kind) {
  const bool cars = kind == Kind::Cars;
  SPAWNER* list = cars ? g_game.car_spawners : g_game.log_spawners;
  const int count = cars ? g_game.car_spawner_count : g_game.log_spawner_count;
  const ARROW* arrows = cars ? g_game.car_arrows : g_game.log_arrows;
  const int arrow_count = cars ? GAME_CAR_ARROWS : GAME_LOG_ARROWS;
  for (int i = 0; i < count && i < GAME_SPAWNERS; i++) {
    SPAWNER& sp = list[i];
    if (sp.arrow < 0 || sp.arrow >= arrow_count) continue;
    const ARROW& arrow = arrows[sp.arrow];
    if (sp.countdown > 0) {
      sp.countdown--;
      continue;
    }
    if (mod(game_random(), arrow.random) >= 10) continue;
    sp.countdown = arrow.pause;
    TRAFFIC* t = spawn(kind, sp, arrow);
    if (!t) return 0;
    if (cars) {
      t->car_type = index_mod(game_random(), car_type_count());
    } else if (object_ok(t->object)) {
      world_tables.objects[t->object].sprite =
          static_cast<int16_t>(t->direction <= LANE_DOWN ? LOG_SPRITE_Z : LOG_SPRITE_X);
      Object_From_Sprite(t->object);
    }
  }
  return 1;
}

// A car on the frog: squashed (unless the death cheat is on), effect 1, timer 160.
void test_squash(const TRAFFIC& car) {
  FROG& f = g_game.frog;
  if (f.state == FROG_SQUASHED) return;
  const int type = car.car_type >= 0 && car.car_type < GAME_CAR_TYPES ? car.car_type : 0;
  if (!motion_squashes(car.direction, car.x, car.z, static_cast<float>(g_game.car_x_size[type]),
                       static_cast<float>(g_game.car_z_size[type]), f.x, f.z))
    return;
  if (!g_game.no_death_cheat) f.state = FROG_SQUASHED;
  play_effect(EFFECT_HIT);
  f.state_timer = SQUASH_TIMER;
}

// Step 5 of cars (3 of logs): place the object, find the cell, leave on a missing cell.
void place_or_leave(TRAFFIC& t) {
  Object_Set_Position(t.object, t.x, t.y, t.z);
  const int s = World_Cell_Unit();
  t.col = World_Trunc(static_cast<double>(t.x) / s);
  t.row = World_Trunc(static_cast<double>(t.z) / s);
  const CELL* cell = World_Cell(t.col, t.row);
  if (!cell || cell->tile == 0) {
    t.object_ready = 0;
    park(t);
  }
}

}  // namespace

void lanes_update() {
  g_game.frog.log_index = 0;
  if (g_game.invincible && --g_game.invincible_timer <= 0) {
    g_game.invincible_timer = 0;
    g_game.invincible = 0;
  }
  if (g_game.speed_effect == SPEED_SLOW) g_game.frog.can_move = !g_game.frog.can_move;
  if (g_game.speed_effect != SPEED_NORMAL && --g_game.speed_effect_timer <= 0) {
    g_game.speed_effect_timer = 0;
    g_game.frog.can_move = 1;
    g_game.speed_effect = SPEED_NORMAL;
  }
  if (g_game.traffic_effect != TRAFFIC_NORMAL && --g_game.traffic_effect_timer <= 0) {
    g_game.traffic_effect_timer = 0;
    g_game.traffic_effect = TRAFFIC_NORMAL;
  }
  const int runs = g_game.traffic_effect == TRAFFIC_DOUBLE ? 2 : 1;
  for (int i = 0; i < runs; i++) {
    cars_step();
    logs_step();
  }
}

void cars_reset() {
  for (int i = 0; i < g_game.car_spawner_count && i < GAME_SPAWNERS; i++) {
    SPAWNER& sp = g_game.car_spawners[i];
    sp.countdown = sp.arrow >= 0 && sp.arrow < GAME_CAR_ARROWS ? g_game.car_arrows[sp.arrow].pause : 0;
  }
  // The ready flag goes too: a reset car spawns again with a new type and direction.
  for (TRAFFIC& t : g_game.cars) {
    t.object_ready = 0;
    park(t);
  }
}

void logs_reset() {
  for (int i = 0; i < g_game.log_spawner_count && i < GAME_SPAWNERS; i++) {
    SPAWNER& sp = g_game.log_spawners[i];
    sp.countdown = sp.arrow >= 0 && sp.arrow < GAME_LOG_ARROWS ? g_game.log_arrows[sp.arrow].pause : 0;
  }
  for (TRAFFIC& t : g_game.logs) park(t);
}

void cars_step() {
  const bool frozen = g_game.traffic_effect == TRAFFIC_FROZEN;
  if (!frozen && !run_spawners(Kind::Cars)) return;
  for (TRAFFIC& car : g_game.cars) {
    if (!car.active) continue;
    if (!frozen) move(car);
    test_squash(car);  // frozen cars still hit
    if (!car.object_ready) {
      car.object_ready = 1;
      if (object_ok(car.object)) {
        world_tables.objects[car.object].sprite = static_cast<int16_t>(CAR_SPRITE_FIRST + car.car_type);
        Object_From_Sprite(car.object);
        const int type = car.car_type >= 0 && car.car_type < GAME_CAR_TYPES ? car.car_type : 0;
        asign_animation_to_object(car.object, g_game.car_anim_num[type] + car.direction, CAR_ANIM_LOOPS, 0);
      }
    }
    place_or_leave(car);
  }
}

void logs_step() {
  const bool frozen = g_game.traffic_effect == TRAFFIC_FROZEN;
  if (!frozen && !run_spawners(Kind::Logs)) return;
  FROG& f = g_game.frog;
  for (int i = 0; i < GAME_LOGS; i++) {
    TRAFFIC& log = g_game.logs[i];
    if (!log.active) continue;
    if (f.state != FROG_DROWNING) {  // a drowning frog's river stands still
      if (!frozen) move(log);
      const bool along_x = log.direction == LANE_RIGHT || log.direction == LANE_LEFT;
      asign_animation_to_object(log.object, g_game.log_anim_num[along_x ? 1 : 0], 1, 0);
      if (along_x && motion_rides(log.x, f.x) && log.row == f.row) f.log_index = i;
    }
    place_or_leave(log);
  }
}

void lanes_drift_frog() {
  FROG& f = g_game.frog;
  if (f.log_index <= 0 || f.log_index >= GAME_LOGS) return;
  const TRAFFIC& log = g_game.logs[f.log_index];
  f.x = motion_drift(f.x, f.z, log.direction, log.speed, g_game.traffic_effect == TRAFFIC_DOUBLE);
}
