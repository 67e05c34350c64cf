// The game's shared state: run flags, the frog, score, lives, clock and camera.
//
// One process-wide record, `g_game`. Only the game's own modules touch it;
// the display layer writes the five display mirrors (`app_active`,
// `app_ready`, `fullscreen`, `lowres`, `highres`) through the pointers the
// game hands it at start, and the timer thread only adds to `pending_steps`.
#pragma once
#include <atomic>
#include <cstdint>

#include "toolkit/vx_play.h"

constexpr int GAME_PATH_LEN = 256;
constexpr int GAME_LEVEL_COUNT = 22;
constexpr int GAME_MAX_STEPS_PER_FRAME = 20;  // catch-up cap: 200 ms of play
constexpr int GAME_STEP_MS = 10;
constexpr int GAME_HIGHLIGHT_LOW = 150;  // palette band of the pulsing menu highlight
constexpr int GAME_HIGHLIGHT_HIGH = 158;

// The frog's states.
enum FrogState {
  FROG_PLAYING = 0,
  FROG_GET_READY = 1,
  FROG_SQUASHED = 2,
  FROG_GAME_OVER = 3,
  FROG_TIME_UP = 4,
  FROG_DROWNING = 5,
  FROG_HOME = 6,
  FROG_TIME_BONUS = 7,
  FROG_LEAVING = 8,
};

struct FROG {
  float x, y, z;       // world position; y is height
  int col, row;        // grid cell: truncation of x / cell size and z / cell size
  uint16_t object;     // the frog's world object
  int facing;          // 0 up (towards row - 1), 1 down, 2 right, 3 left
  int hop_counter, idle_counter;
  int hop_dir;         // 0 standing, 1 up, 2 down, 3 left, 4 right
  int anim_num[8];     // hop up, down, right, left, then idle up, down, right, left
  float target_x, target_z;  // centre of the cell being hopped to
  float hop_step;      // distance covered per step during a hop
  float frog_start_x, frog_start_z;
  int frog_start_facing;
  int state;           // FrogState
  int state_timer;     // countdown used by the states
  int log_index;       // log ridden this step, 0 for none
  int can_move;        // 1 normally; toggles every step while the slow bonus runs
};

struct GameState {
  // Owed 10 ms steps: the timer thread adds, the main loop clamps and takes.
  std::atomic<int32_t> pending_steps;
  int skip_steps;          // consume owed steps without running the rules
  int init_done;           // start-up finished; until then the loop only pumps
  int redraw_request;      // a redraw was asked for before init_done
  int language_chosen;     // 0 while the language screen is shown
  int language_number;     // the chosen language's Number
  int load_level_request;  // the main loop reloads def_path / map_path and starts a life
  char def_path[GAME_PATH_LEN];
  char map_path[GAME_PATH_LEN];
  int level_number;        // 0 .. GAME_LEVEL_COUNT - 1
  int attract_mode;
  int menu_active;         // the current menu's shown flag, copied every frame
  int current_menu;        // 0 .. 7
  int paused;
  int no_time_cheat, no_death_cheat;
  int help_open;

  // Display mirrors, written by the display layer.
  uint32_t app_active;     // 0 while inactive, minimised or in a menu or move loop
  uint32_t app_ready;      // a video mode is in place
  uint32_t fullscreen;
  uint32_t lowres, highres;

  int game_running;        // 1 from start; cleared first thing at shutdown
  int highlight_colour;    // palette index of the highlighted menu line
  int highlight_step;      // +1 or -1
  uint32_t pulse_interval; // ms between two highlight changes
  uint32_t pulse_due;      // tick of the next change
  float anim_rate;         // each step hands 3 x this to the world's time steps

  VX_PLAYER player1;        // actions 0..3: up, down, left, right
  FROG frog;
  int score;
  int lives;
  int lives_per_game;      // 3 or 5
  int time_min, time_sec, time_tick;  // clock: 60 ticks per displayed second
  double camera_x, camera_y, camera_z;

  // Level constants from the level's gameplay file.
  int water_tile, home_tile, time_limit;
  char level_title[GAME_PATH_LEN];
  int level_title_len;
};

extern GameState g_game;

// Puts every field to its start value (the record as it is when the program starts).
void game_state_reset(GameState* gs);
