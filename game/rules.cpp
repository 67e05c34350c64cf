// The rules' step: the order of one step, the state timers, the clock, the time bonus, lives, the level change, the start of a life and a new game.
#include "game/rules.h"

#include <cstdio>
#include <cstring>

#include "display/vx_screen.h"
#include "game/attract.h"
#include "game/frontend.h"
#include "game/game_loop.h"
#include "game/game_random.h"
#include "game/game_sound.h"
#include "game/lanes.h"
#include "game/level_setup.h"
#include "game/messages.h"
#include "game/rules_internal.h"
#include "platform/platform.h"
#include "world/anim.h"
#include "world/objects.h"
#include "world/world_tables.h"

namespace {

constexpr int kTicksPerSecond = 60;  // clock ticks per displayed second (0.6 s of play)
constexpr float kTitleStartX = 120.0f;
constexpr float kTitleSpeed = 0.5f;
constexpr float kTitleCharWidth = 7.0f;
constexpr float kBonusTextRise = 0.2f;
constexpr float kCameraHeight = 25.0f;
constexpr float kCameraStartY = 100.0f;
constexpr float kCameraBehind = 48.0f;
constexpr float kGetReadyDescent = 0.5f;
constexpr float kTimeUpStartY = 50.0f;
constexpr float kTimeUpGravity = 0.1f;
constexpr int kGameOverSteps = 300;
constexpr int kTimeUpSteps = 300;
constexpr int kHomeRiseUntil = 20;      // the home cell rises while the timer is at least this
constexpr int kBonusWaitSteps = 120;    // after the last point is paid
constexpr int kLeavingSteps = 200;
constexpr int kLeavingTakeOff = 35;     // below this the frog rises and effect 4 plays
constexpr float kLeavingRise = 2.0f;
constexpr uint32_t kTickSoundMs = 300;  // the bonus tick effect repeats at most this often

// One tick off the clock with the borrow rule. 0 when the clock was at
// 0:00:00 already (it is then left there).
int clock_tick_down(GameState& gs) {
  if (gs.time_tick == 0 && gs.time_sec == 0 && gs.time_min <= 0) return 0;
  if (--gs.time_tick < 0) {
    gs.time_tick = kTicksPerSecond - 1;
    if (--gs.time_sec < 0) {
      gs.time_sec = 59;
      gs.time_min--;
    }
  }
  return 1;
}

// The clock of state 0: the step that would take it below 0:00:00 is time up.
void clock_step(GameState& gs) {
  if (gs.no_time_cheat) return;
  if (clock_tick_down(gs)) return;
  FROG& f = gs.frog;
  gs.time_min = gs.time_sec = gs.time_tick = 0;
  f.state = FROG_TIME_UP;
  f.state_timer = kTimeUpSteps;
  gs.fall_x = f.x;
  gs.fall_y = kTimeUpStartY;
  gs.fall_z = f.z + 2.0f;
  gs.fall_target = f.y + 2.0f;
  gs.fall_speed = 0.0f;
  Object_Set_Position(gs.time_up_object, gs.fall_x, gs.fall_y, gs.fall_z);
}

// Effect 5 of the time bonus, at most every 300 ms of real time.
void bonus_tick_sound(GameState& gs) {
  const uint32_t now = plat_ticks();
  if (static_cast<int32_t>(now - gs.tick_sound_due) > 0) {
    play_effect(5);
    gs.tick_sound_due = now + kTickSoundMs;
  }
}

// Game over ran out: the score goes to the table and the attract sequence
// takes over (the name entry, when the score entered, stands over it).
void game_over_ends(GameState& gs) {
  hiscore_offer(gs.score);
  gs.attract_mode = 1;
  gs.load_level_request = 1;
  gs.skip_steps = 1;
  gs.message_timer = ATTRACT_START_PAUSE;
  gs.message_index = 0;
  music_menu();
  attract_next();
}

// PS_SAFE_FIRST_LEVEL=1, for the end-to-end tests only: the first level of
// each game is played with the developer switch (Ctrl+Shift+I) on, and the
// switch goes off when that level is completed. A test so reaches a home
// cell and then loses its lives without having to press the switch twice.
int safe_first_level() {
  char value[4];
  return plat_getenv("PS_SAFE_FIRST_LEVEL", value, sizeof value) && value[0] == '1';
}

// Each of the home cell's eight corner heights one unit up.
void home_cell_rise(const FROG& f) {
  CELL* c = World_Cell(f.col, f.row);
  if (!c) return;
  for (int i = 0; i < 4; i++) {
    c->up[i]++;
    c->down[i]++;
  }
}

// Step 6: the state timers. 0 when the step ends here.
int state_timers(GameState& gs) {
  FROG& f = gs.frog;
  switch (f.state) {
    case FROG_GET_READY:
      if (gs.camera_y > f.y + kCameraHeight + 1.0f) {
        gs.camera_y -= kGetReadyDescent;
      } else {
        f.state_timer--;
        gs.camera_y = f.y + kCameraHeight;
        if (f.state_timer < 0) f.state = FROG_PLAYING;
      }
      break;
    case FROG_SQUASHED:
    case FROG_DROWNING:
      if (--f.state_timer < 0) {
        life_lost();
        return 0;
      }
      break;
    case FROG_GAME_OVER:
      if (--f.state_timer <= 0) {
        game_over_ends(gs);
        return 0;
      }
      break;
    case FROG_TIME_UP:
      if (gs.fall_y > gs.fall_target) {
        gs.fall_y -= gs.fall_speed;
        gs.fall_speed += kTimeUpGravity;
        if (gs.fall_y < gs.fall_target) gs.fall_y = gs.fall_target;
        Object_Set_Position(gs.time_up_object, gs.fall_x, gs.fall_y, gs.fall_z);
      } else {
        // Landed: the frog stays hidden for the rest of the state (step 10).
        gs.fall_y = gs.fall_target;
        if (--f.state_timer < 0) {
          life_lost();
          return 0;
        }
      }
      break;
    case FROG_HOME:
      f.state_timer--;
      if (f.state_timer >= kHomeRiseUntil) home_cell_rise(f);
      if (f.state_timer < 0) {
        f.state = FROG_TIME_BONUS;
        f.state_timer = 0;
        gs.bonus_chunks = 0;
      }
      break;
    case FROG_TIME_BONUS:
      time_bonus_step();
      break;
    case FROG_LEAVING: {
      // A quarter turn clockwise: up 0 -> right 2 -> down 1 -> left 3 -> up 0.
      static constexpr int kClockwise[4] = {2, 3, 1, 0};
      f.facing = kClockwise[f.facing & 3];
      rules_frog_show(f.facing, 0);
      f.state_timer--;
      if (f.state_timer < kLeavingTakeOff) {
        if (!gs.once_flag) {
          play_effect(4);
          gs.once_flag = 1;
        }
        f.y += kLeavingRise;
      }
      if (f.state_timer <= 0) {
        next_level();
        return 0;
      }
      break;
    }
    default:
      break;
  }
  return 1;
}

// Step 7: the movement of each state.
void state_movement(GameState& gs) {
  FROG& f = gs.frog;
  switch (f.state) {
    case FROG_PLAYING:
      // The rest of the case runs also on the step the time runs out: the
      // lanes' random draws of that step belong to a recorded demo.
      clock_step(gs);
      f.y = rules_ground(f.x, f.z);
      frog_update();
      if (gs.speed_effect == SPEED_FAST && f.state != FROG_DROWNING) frog_update();
      lanes_update();
      bonuses_update();
      rules_camera_follow();
      break;
    case FROG_GET_READY:
    case FROG_SQUASHED:
    case FROG_DROWNING:
      bonuses_update();
      lanes_update();
      break;
    case FROG_HOME:
      f.y = rules_ground(f.x, f.z);
      lanes_update();
      rules_camera_follow();
      break;
    default:
      break;
  }
}

}  // namespace

void time_bonus_step() {
  GameState& gs = g_game;
  FROG& f = gs.frog;
  if (f.state_timer == 0) {
    // Counting: a chunk is 30 ticks; the chunk that empties the clock is
    // the last one, so T ticks give trunc(T / 30) + 1 chunks.
    for (int i = 0; i < RULES_BONUS_TICKS; i++) {
      if (!clock_tick_down(gs)) {
        play_effect(6);
        f.state_timer = 1;
        break;
      }
    }
    gs.bonus_chunks++;
    gs.once_flag = 0;
    bonus_tick_sound(gs);
  } else if (f.state_timer == 1) {
    // Paying: one point a step.
    gs.score++;
    bonus_tick_sound(gs);
    if (--gs.bonus_chunks <= 0) {
      gs.bonus_chunks = 0;
      if (!gs.once_flag) {
        play_effect(6);
        gs.once_flag = 1;
      }
      f.state_timer = kBonusWaitSteps;
    }
  } else {
    if (--f.state_timer < 2) {
      f.state = FROG_LEAVING;
      gs.once_flag = 0;
      play_effect(3);
      f.state_timer = kLeavingSteps;
    }
  }
}

void life_lost() {
  GameState& gs = g_game;
  if (gs.attract_mode) {
    // A lost life ends a demo; the next attract item follows.
    attract_next();
    gs.attract_mode = 1;
    gs.load_level_request = 1;
    gs.skip_steps = 1;
    return;
  }
  if (!gs.no_death_cheat) {
    gs.lives--;
    for (TRAFFIC& car : gs.cars) car.object_ready = 0;
  }
  if (gs.lives <= 0) {
    gs.lives = 0;
    gs.frog.state = FROG_GAME_OVER;
    gs.frog.state_timer = kGameOverSteps;
  } else {
    start_life();
  }
}

void next_level() {
  GameState& gs = g_game;
  message_draw(1);
  present_frame();
  gs.level_number++;
  if (gs.level_number >= GAME_LEVEL_COUNT) gs.level_number = 0;
  if (safe_first_level()) gs.no_death_cheat = 0;
  gs.load_level_request = 1;
  std::snprintf(gs.def_path, sizeof gs.def_path, "level\\level%d.def", gs.level_number);
  std::snprintf(gs.map_path, sizeof gs.map_path, "level\\level%d.map", gs.level_number);
  gs.skip_steps = 1;
}

void game_step() {
  GameState& gs = g_game;
  FROG& f = gs.frog;
  // 1. Frozen while a menu, the pause or an attract picture is up.
  if (gs.menu_active || gs.paused) return;
  if (gs.attract_mode && gs.attract_blocks_step) return;
  // 2. A demo's recorded input; the demo may end here.
  if (gs.attract_mode && attract_demo_step()) return;
  // 3. The world's clocks, 3 x anim_rate time units per step.
  if (f.state != FROG_GAME_OVER) {
    const double dt = 3.0 * gs.anim_rate;
    Animations_Step(dt);
    Moving_Cells_Step(dt);
    Animated_Objects_Step(dt);
  }
  // 4. The level title scrolls out to the left.
  if (gs.title_start) {
    gs.title_start = 0;
    gs.title_x = kTitleStartX;
    gs.title_showing = 1;
  }
  if (gs.title_showing) {
    gs.title_x -= kTitleSpeed;
    if (gs.title_x < -kTitleCharWidth * static_cast<float>(gs.level_title_len)) gs.title_showing = 0;
  }
  // 5. The text of the last bonus picked up floats up.
  if (gs.bonus_text_timer > 0) {
    gs.bonus_text_timer--;
    gs.bonus_text_y -= kBonusTextRise;
  }
  // 6, 7. The states.
  if (!state_timers(gs)) return;
  state_movement(gs);
  // 8. A new hop.
  if (f.state == FROG_PLAYING) frog_hop_start();
  // 9. Water and riding.
  if (!frog_water_and_riding()) return;
  // 10. The frog's object; hidden once the time-up object has landed.
  const int hidden = f.state == FROG_GAME_OVER || (f.state == FROG_TIME_UP && !(gs.fall_y > gs.fall_target));
  rules_frog_place(hidden);
}

void start_life() {
  GameState& gs = g_game;
  FROG& f = gs.frog;
  game_random_reset_positions();
  cars_reset();
  logs_reset();
  gs.bonus_countdown = 1000;
  for (int i = 0; i < gs.bonus_spot_count && i < GAME_BONUS_SPOTS; i++) {
    BONUS& b = gs.bonus_spots[i];
    b.y = GAME_OFF_BOARD;
    b.phase = 0;
    rules_object_hide(b.object);
  }
  // 164 screen points of a particle table that nothing draws: the draws
  // stay because recorded demos replay this exact sequence.
  const VX_BITMAP* screen = vx_screen();
  const int w = screen && screen->width > 0 ? screen->width : 640;
  const int h = screen && screen->height > 0 ? screen->height : 480;
  for (int i = 0; i < RULES_LIFE_DRAWS / 2; i++) {
    (void)(game_random() % w);
    (void)(game_random() % h);
  }
  gs.once_flag = 0;
  gs.speed_effect = SPEED_NORMAL;
  gs.speed_effect_timer = 0;
  gs.invincible = 0;
  gs.invincible_timer = 0;
  gs.traffic_effect = TRAFFIC_NORMAL;
  gs.traffic_effect_timer = 0;
  f.log_index = 0;
  f.can_move = 1;
  rules_object_hide(gs.time_up_object);

  f.x = f.target_x = f.frog_start_x;
  f.z = f.target_z = f.frog_start_z;
  rules_frog_cell(&f);
  for (int a = 0; a < 4; a++) gs.player1.actions[a] = 0;
  f.y = rules_ground(f.x, f.z);
  rules_frog_place(0);
  f.hop_dir = 0;
  f.facing = f.frog_start_facing;
  rules_frog_show(f.facing, 0);
  gs.time_min = gs.time_limit;
  gs.time_sec = gs.time_tick = 0;
  f.hop_step = 0.0f;
  f.hop_counter = 0;

  gs.camera_x = f.x;
  gs.camera_y = kCameraStartY;
  gs.camera_z = f.z + kCameraBehind;
  f.state_timer = 20;
  f.state = FROG_GET_READY;
  for (int i = 0; i < RULES_PREFILL_STEPS; i++) {
    cars_step();
    logs_step();
  }
}

void game_new_game(int level) {
  GameState& gs = g_game;
  message_draw(1);
  present_frame();
  gs.load_level_request = 0;
  level_unload();
  gs.lives = gs.lives_per_game;
  gs.level_number = level >= 0 && level < GAME_LEVEL_COUNT ? level : 0;
  gs.attract_mode = 0;
  gs.attract_blocks_step = 0;
  gs.score = 0;
  std::snprintf(gs.def_path, sizeof gs.def_path, "level\\level%d.def", gs.level_number);
  std::snprintf(gs.map_path, sizeof gs.map_path, "level\\level%d.map", gs.level_number);
  if (level_setup(gs.def_path, gs.map_path)) start_life();
  if (safe_first_level()) {
    gs.no_death_cheat = gs.invincible = 1;
    gs.invincible_timer = RULES_CHEAT_INVINCIBLE_STEPS;
  }
}

void pad_text(char* dest, const char* text, int width, int mode) {
  if (!dest) return;
  if (width < 0) width = 0;
  if (!text) text = "";
  int len = static_cast<int>(std::strlen(text));
  if (len > width) len = width;
  int before = 0;
  if (mode == 2) before = (width - len) / 2;
  if (mode == 3) before = width - len;
  std::memset(dest, ' ', static_cast<size_t>(width));
  std::memcpy(dest + before, text, static_cast<size_t>(len));
  dest[width] = 0;
}
