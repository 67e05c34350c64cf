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

// ---------------------------------------------------------------- play tables
constexpr int GAME_CARS = 128;          // car records, fixed slots reused
constexpr int GAME_LOGS = 128;          // log records
constexpr int GAME_SPAWNERS = 63;       // spawners per kind (cars, logs)
constexpr int GAME_BONUS_SPOTS = 63;    // bonus spots of a map
constexpr int GAME_CAR_ARROWS = 6;      // road arrow kinds 1..6
constexpr int GAME_LOG_ARROWS = 4;      // river arrow kinds 1..4
constexpr int GAME_CAR_TYPES = 50;      // car sprites are 100 + type, logs start at 150
constexpr int GAME_BONUS_TYPES = 8;
constexpr float GAME_OFF_BOARD = 9999.0f;  // position of hidden objects and parked records

// Directions of spawners, cars and logs.
enum LaneDirection { LANE_UP = 0, LANE_DOWN = 1, LANE_RIGHT = 2, LANE_LEFT = 3 };  // -z, +z, +x, -x

// Traffic effects of bonuses.
enum TrafficEffect { TRAFFIC_NORMAL = 0, TRAFFIC_FROZEN = 5, TRAFFIC_DOUBLE = 6 };
enum SpeedEffect { SPEED_NORMAL = 0, SPEED_FAST = 1, SPEED_SLOW = 2 };

// One kind of arrow cell: how often it spawns and how fast its traffic goes.
struct ARROW {
  int random;   // a spawn happens when a drawn value mod `random` is below 10
  float speed;  // world units per step
  int pause;    // steps before the spawner may try again
};

// One arrow cell of the grid.
struct SPAWNER {
  int col, row;
  int direction;  // LaneDirection
  int arrow;      // arrow kind, 0-based
  int countdown;  // steps before it may try again
};

// A car or a log.
struct TRAFFIC {
  float x, y, z;     // GAME_OFF_BOARD while off the board
  int col, row;      // cell under it, recomputed each step
  int object;        // its world object, created once per level
  int direction;     // LaneDirection
  int car_type;      // cars only: 0 .. different_cars - 1
  int active;        // 1 while on the board
  float speed;       // copied from the arrow at spawn
  int object_ready;  // cars only: the object shows the type's sprite and animation
};

// A bonus spot of the map and the bonus lying or falling there.
struct BONUS {
  float x, y, z;        // y GAME_OFF_BOARD: hidden
  float fall_velocity;  // bounce speed while falling
  int type;             // 0..7
  int phase;            // 0 absent, 1 falling and bouncing, 2 lying
  int life;             // steps left while lying
  int object;           // world object showing it
  int col, row;
  int fall_steps;       // steps spent falling
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
  char s3m_file[GAME_PATH_LEN];  // the level's music
  char language_abbrev[32];      // current language's abbreviation, "eng" until one is applied

  // Bonus effects and the rules' own counters.
  int traffic_effect, traffic_effect_timer;  // TrafficEffect and its steps left
  int speed_effect, speed_effect_timer;      // SpeedEffect and its steps left
  int invincible, invincible_timer;
  int time_up_object;                        // object of sprite 5, hidden during play
  float fall_x, fall_y, fall_z, fall_speed, fall_target;
  int bonus_chunks;       // half-second chunks counted in the time bonus
  int once_flag;          // makes an effect play once inside a state
  uint32_t tick_sound_due;  // ms tick before which the bonus tick effect is not repeated
  int title_start, title_showing;
  float title_x;
  int bonus_text_timer;
  float bonus_text_y;
  int bonus_shown_type;
  BONUS bonus_spots[GAME_BONUS_SPOTS];
  int bonus_spot_count;
  int bonus_countdown;
  int background_option;  // Options/Background: draw the level's background picture
  char text_buffer[GAME_PATH_LEN];  // shared text buffer that pad_text fills for the messages

  // Lanes: constants of the level and the traffic tables.
  int level_loaded;
  int different_cars;
  ARROW car_arrows[GAME_CAR_ARROWS];
  ARROW log_arrows[GAME_LOG_ARROWS];
  int car_x_size[GAME_CAR_TYPES], car_z_size[GAME_CAR_TYPES];
  int car_anim_num[GAME_CAR_TYPES];
  int log_anim_num[2];    // logs moving along z, along x
  int bonus_anim_num[GAME_BONUS_TYPES];
  int splash_anim_num;
  SPAWNER car_spawners[GAME_SPAWNERS];
  int car_spawner_count;
  SPAWNER log_spawners[GAME_SPAWNERS];
  int log_spawner_count;
  TRAFFIC cars[GAME_CARS];
  TRAFFIC logs[GAME_LOGS];

  // Demo tables and the random source's state.
  uint8_t* player_movement_table;  // GAME_MOVEMENT_STEPS direction codes, tracked memory
  int32_t* rand_table;             // GAME_RAND_VALUES values, tracked memory
  int movement_pos, rand_pos;
  int random_from_table;  // 1: game_random reads rand_table outside attract mode too (replays, rulesim)
  int attract_blocks_step;  // 1 while the current attract item is a picture or a hold point

  // The rolling-line clock of attract mode: steps left on the current line
  // (below 1: a pause counting up), and the line shown.
  int message_timer, message_index;
};

constexpr int GAME_MOVEMENT_STEPS = 3840;  // bytes of player_movement_table
constexpr int GAME_RAND_VALUES = 30720;    // values of rand_table

extern GameState g_game;

// Puts every field to its start value (the record as it is when the program starts).
void game_state_reset(GameState* gs);
