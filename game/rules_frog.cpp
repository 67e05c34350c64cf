// The frog and the bonuses: hop start, hop progress and animation, water and riding, bonus appearance, fall and pick-up; the rules' shared helpers.
#include <cmath>

#include "game/game_random.h"
#include "game/game_sound.h"
#include "game/lanes.h"
#include "game/motion.h"
#include "game/rules.h"
#include "game/rules_internal.h"
#include "world/map.h"
#include "world/objects.h"
#include "world/world_tables.h"

namespace {

// One hop direction in the order the step looks at them: player 1's
// action and the facing and hop direction it gives.
struct HOP_DIRECTION {
  int action, facing, hop_dir;
};
constexpr HOP_DIRECTION kHopOrder[4] = {
    {2, 3, MOTION_LEFT},
    {3, 2, MOTION_RIGHT},
    {0, 0, MOTION_UP},
    {1, 1, MOTION_DOWN},
};

constexpr int kWaterHopSteps = 160;    // drowning after a hop into water
constexpr int kWaterDriftSteps = 80;   // drowning after drifting off a log
constexpr int kBonusChance = 10;       // of 1000, per step once the countdown is out
constexpr float kBonusDropHeight = 50.0f;
constexpr float kBonusGravity = 0.05f;
constexpr float kBonusBounce = 0.5f;
constexpr int kBonusFallSteps = 200;
constexpr int kBonusTextSteps = 350;
constexpr float kBonusTextY = 55.0f;

// The idle animation: frame idle_counter / 4 for the facing, a 41-step cycle.
void idle_animation(FROG& f) {
  rules_frog_show(4 + f.facing, f.idle_counter / RULES_HOP_FRAME_STEPS);
  if (++f.idle_counter > RULES_IDLE_LAST) f.idle_counter = 0;
}

// The tile number under the frog's position (a drift may have moved it
// since its cell was last recomputed); 0, never water or home, off the grid.
int tile_under(const FROG& f) { return motion_tile_at(f.x, f.z); }

void splash(FROG& f) {
  if (g_game.splash_anim_num >= 0) asign_animation_to_object(f.object, g_game.splash_anim_num, 1, 0);
}

// The end of a hop: water drowns a frog that found no log, a home tile
// completes the level.
void hop_landed(GameState& gs, FROG& f) {
  f.hop_dir = 0;
  f.hop_counter = 0;
  rules_frog_cell(&f);
  const int tile = tile_under(f);
  if (tile != 0 && tile == gs.water_tile && f.log_index == 0 && f.state == FROG_PLAYING && !gs.invincible) {
    f.state = FROG_DROWNING;
    splash(f);
    play_effect(2);
    f.state_timer = kWaterHopSteps;
  }
  if (tile != 0 && tile == gs.home_tile) {
    f.state = FROG_HOME;
    f.state_timer = RULES_HOME_STEPS;
  }
}

void bonus_place(const BONUS& b) {
  if (b.y >= GAME_OFF_BOARD)
    rules_object_hide(b.object);
  else
    Object_Set_Position(b.object, b.x, b.y, b.z);
}

// A bonus falls on a random spot once the countdown is out (a 1 in 100
// chance each step). The draws come in this order: chance, spot,
// countdown, kind, type.
void bonus_appear(GameState& gs) {
  if (gs.bonus_countdown != 0) {
    gs.bonus_countdown--;
    return;
  }
  if (game_random() % 1000 >= kBonusChance) return;
  BONUS& b = gs.bonus_spots[rules_random_below(gs.bonus_spot_count)];
  b.fall_velocity = 0.0f;
  gs.bonus_countdown = rules_random_below(1500) + 500;
  b.phase = 1;
  b.y = rules_ground(b.x, b.z) + kBonusDropHeight;
  // Half of them are points (type 3); the others any type.
  if (game_random() % 6 < 3)
    b.type = rules_random_below(GAME_BONUS_TYPES);
  else
    b.type = 3;
  b.fall_steps = 0;
  const int anim = gs.bonus_anim_num[b.type];
  if (anim >= 0) asign_animation_to_object(b.object, anim, -1, 0);
  bonus_place(b);
  play_effect(7);
}

// Falling with a damped bounce, then lying until its life runs out.
void bonus_fall_and_expire(GameState& gs) {
  for (int i = 0; i < gs.bonus_spot_count; i++) {
    BONUS& b = gs.bonus_spots[i];
    if (b.phase == 1) {
      const float ground = rules_ground(b.x, b.z);
      b.fall_velocity += kBonusGravity;
      b.y -= b.fall_velocity;
      b.fall_steps++;
      if (b.y <= ground) {
        b.fall_velocity = kBonusBounce - b.fall_velocity;
        b.y = ground + kBonusBounce;
      }
      if (b.fall_steps > kBonusFallSteps) {
        b.y = ground;
        b.phase = 2;
        b.life = rules_random_below(600) + 800;
      }
      bonus_place(b);
    } else if (b.phase == 2) {
      if (--b.life <= 0) {
        b.y = GAME_OFF_BOARD;
        b.phase = 0;
        bonus_place(b);
      }
    }
  }
}

// What a picked-up bonus does; type 4 first becomes a random type, and
// type 4 again is an extra life.
void bonus_apply(GameState& gs, int type) {
  int effect = 10;
  switch (type) {
    case 0: gs.time_min++; break;
    case 1:
      gs.speed_effect = SPEED_FAST;
      gs.speed_effect_timer = RULES_BONUS_EFFECT_STEPS;
      break;
    case 2:
      gs.speed_effect = SPEED_SLOW;
      gs.speed_effect_timer = RULES_BONUS_EFFECT_STEPS;
      effect = 9;
      break;
    case 3:
      gs.score += 10 + rules_random_below(25);
      effect = 11;
      break;
    case 4: gs.lives++; break;
    case 5:
      gs.traffic_effect = TRAFFIC_FROZEN;
      gs.traffic_effect_timer = RULES_FROZEN_STEPS;
      break;
    case 6:
      gs.traffic_effect = TRAFFIC_DOUBLE;
      gs.traffic_effect_timer = RULES_DOUBLE_STEPS;
      effect = 9;
      break;
    case 7:
      gs.invincible = 1;
      gs.invincible_timer = RULES_INVINCIBLE_STEPS;
      break;
    default: return;
  }
  play_effect(effect);
}

void bonus_pick_up(GameState& gs) {
  const FROG& f = gs.frog;
  for (int i = 0; i < gs.bonus_spot_count; i++) {
    BONUS& b = gs.bonus_spots[i];
    if (b.phase != 1 && b.phase != 2) continue;
    if (b.col != f.col || b.row != f.row) continue;
    if (!(std::fabs(b.x - f.x) < MOTION_PICK_UP_REACH && std::fabs(b.y - f.y) < MOTION_PICK_UP_REACH &&
          std::fabs(b.z - f.z) < MOTION_PICK_UP_REACH))
      continue;
    gs.bonus_text_timer = kBonusTextSteps;
    gs.bonus_text_y = kBonusTextY;
    int type = b.type;
    if (type == 4) type = rules_random_below(GAME_BONUS_TYPES);
    gs.bonus_shown_type = type;
    bonus_apply(gs, type);
    b.y = GAME_OFF_BOARD;
    b.phase = 0;
    bonus_place(b);
  }
}

}  // namespace

// ---------------------------------------------------------------- shared helpers

float rules_ground(float x, float z) { return static_cast<float>(World_Up_Height(x, z)); }

void rules_frog_cell(FROG* frog) { motion_cell_of(frog->x, frog->z, &frog->col, &frog->row); }

void rules_frog_show(int slot, int frame) {
  const FROG& f = g_game.frog;
  if (slot < 0 || slot > 7) return;
  const int anim = f.anim_num[slot];
  if (anim >= 0) asign_animation_to_object(f.object, anim, 1, frame);
}

void rules_frog_place(int hidden) {
  const FROG& f = g_game.frog;
  if (hidden)
    rules_object_hide(f.object);
  else
    Object_Set_Position(f.object, f.x, f.y, f.z);
}

void rules_camera_follow() {
  GameState& gs = g_game;
  gs.camera_x = gs.frog.x;
  gs.camera_y = gs.frog.y + 25.0;
  gs.camera_z = gs.frog.z + 48.0;
}

int rules_random_below(int n) {
  if (n <= 0) return 0;
  const int r = game_random() % n;
  return r < 0 ? r + n : r;
}

void rules_object_hide(int object) {
  if (object > 0) Object_Set_Position(object, GAME_OFF_BOARD, GAME_OFF_BOARD, GAME_OFF_BOARD);
}

// ---------------------------------------------------------------- the frog

int frog_hop_start() {
  GameState& gs = g_game;
  FROG& f = gs.frog;
  for (const HOP_DIRECTION& d : kHopOrder) {
    if (f.hop_dir != 0) break;
    if (!gs.player1.actions[d.action]) continue;
    f.facing = d.facing;  // also when the hop is refused
    if (!motion_hop_allowed(f.col, f.row, d.hop_dir)) continue;
    f.hop_dir = d.hop_dir;
    play_effect(8);
    motion_hop_target(f.col, f.row, d.hop_dir, &f.target_x, &f.target_z);
    f.hop_step = motion_hop_step(d.hop_dir, f.x, f.z, f.target_x, f.target_z);
    return 1;
  }
  return 0;
}

void frog_update() {
  GameState& gs = g_game;
  FROG& f = gs.frog;
  if (f.hop_dir == 0) {
    rules_frog_show(f.facing, 0);
    idle_animation(f);
  } else if (!f.can_move) {
    idle_animation(f);  // the slow bonus: the hop waits every other step
  } else {
    rules_frog_show(f.facing, f.hop_counter / RULES_HOP_FRAME_STEPS);
    if (motion_hop_advance(f.hop_dir, f.hop_step, &f.hop_counter, &f.x, &f.z)) hop_landed(gs, f);
  }
  rules_frog_cell(&f);
}

int frog_water_and_riding() {
  GameState& gs = g_game;
  FROG& f = gs.frog;
  if (f.hop_dir != 0) return 1;
  if (f.log_index == 0) {
    if (f.state == FROG_GAME_OVER) {
      rules_frog_place(1);
      return 0;
    }
    const int tile = tile_under(f);
    if (tile != 0 && tile == gs.water_tile && f.state != FROG_DROWNING && !gs.invincible) {
      f.state = FROG_DROWNING;
      splash(f);
      f.state_timer = kWaterDriftSteps;
    }
  } else if (gs.traffic_effect != TRAFFIC_FROZEN && f.state == FROG_PLAYING) {
    lanes_drift_frog();
  }
  return 1;
}

// ---------------------------------------------------------------- bonuses

void bonuses_update() {
  GameState& gs = g_game;
  if (gs.bonus_spot_count <= 0) return;
  bonus_appear(gs);
  bonus_fall_and_expire(gs);
  bonus_pick_up(gs);
}
