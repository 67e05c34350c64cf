// Level set-up: the gameplay keys, the renderer, the frog's start, bonus spots, spawners and the traffic's objects.
#include "game/level_setup.h"

#include <cstdio>
#include <cstring>

#include "core/vx_io_ini.h"
#include "display/vx_screen.h"
#include "game/game_random.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "world/engine_error.h"
#include "world/level.h"
#include "world/objects.h"
#include "world/render.h"
#include "world/world_tables.h"

namespace {

// Spawner tiles: cars 1..24 and logs 26..41, each t = first + 4 x arrow + direction.
constexpr int CAR_SPAWNER_FIRST = 1;
constexpr int CAR_SPAWNER_LAST = 24;
constexpr int LOG_SPAWNER_FIRST = 26;
constexpr int LOG_SPAWNER_LAST = 41;
constexpr int SPAWNER_LIMIT = 64;  // the 64th spawner or bonus spot is fatal

// Sprite numbers the scan and the object creation look for.
constexpr int SPRITE_START_FIRST = 1;  // 1 up, 2 down, 3 left, 4 right
constexpr int SPRITE_START_LAST = 4;
constexpr int SPRITE_TIME_UP = 5;
constexpr int SPRITE_BONUS_FIRST = 80;
constexpr int SPRITE_BONUS_LAST = 87;
constexpr int SPRITE_CAR = 100;
constexpr int SPRITE_LOG_Z = 150;

// Facing of start sprites 1..4: sprite 3 looks left (facing 3), sprite 4 right (facing 2).
constexpr int START_FACING[4] = {0, 1, 3, 2};

constexpr const char* FROG_ANIM_NAMES[8] = {"anim_frog_up",  "anim_frog_down",  "anim_frog_right",
                                            "anim_frog_left", "anim_idle_up",   "anim_idle_down",
                                            "anim_idle_right", "anim_idle_left"};

// The camera and lighting every level starts with.
constexpr double START_CAMERA = 126.0;
constexpr double START_CAMERA_Y = 25.0;
constexpr int FADE_START = 50;
constexpr int HORIZON_SHIFT = -20;  // raises the horizon by a fifth of the viewport height

// Reads an integer key; a missing key leaves `*value` as it was.
void read_int(const char* file, const char* section, const char* key, int* value) {
  int v = 0;
  vx_io_ini_get_int(section, key, &v, file);
  if (!vx_io_get_status(1)) *value = v;
}

void read_float(const char* file, const char* section, const char* key, float* value) {
  vx_io_ini_get_float(section, key, value, file);
}

// Reads a string key into `dest` (GAME_PATH_LEN bytes); missing leaves it.
void read_string(const char* file, const char* section, const char* key, char* dest) {
  char buffer[GAME_PATH_LEN];
  buffer[0] = 0;
  vx_io_ini_get_string(section, key, buffer, GAME_PATH_LEN - 1, file);
  if (!vx_io_get_status(1)) std::snprintf(dest, GAME_PATH_LEN, "%s", buffer);
}

void read_arrows(const char* file, const char* section, ARROW* arrows, int count) {
  char key[64];
  for (int n = 1; n <= count; n++) {
    ARROW& a = arrows[n - 1];
    std::snprintf(key, sizeof key, "arrow_%d_random", n);
    read_int(file, section, key, &a.random);
    std::snprintf(key, sizeof key, "arrow_%d_speed", n);
    read_float(file, section, key, &a.speed);
    std::snprintf(key, sizeof key, "arrow_%d_pause", n);
    read_int(file, section, key, &a.pause);
  }
}

// The number of car types the tables can hold (the file's value stays as read).
int car_types() {
  if (g_game.different_cars < 1) return 0;
  return g_game.different_cars < GAME_CAR_TYPES ? g_game.different_cars : GAME_CAR_TYPES;
}

// The gameplay file beside the .def: its last four characters become ".txt"
// ("level\level3.def" gives "level\level3.txt").
void gameplay_file(const char* def_path, char file[GAME_PATH_LEN]) {
  std::snprintf(file, GAME_PATH_LEN, "%s", def_path);
  const size_t len = std::strlen(file);
  if (len >= 4) std::snprintf(file + len - 4, GAME_PATH_LEN - (len - 4), ".txt");
}

// Step 3: the keys in their order.
void read_gameplay_keys(const char* file) {
  const int kept = vx_io_ini_set_mode(file, KEEP_OPEN);

  read_string(file, "Music", "s3m_file", g_game.s3m_file);
  read_int(file, "Time", "time_limit", &g_game.time_limit);
  read_int(file, "Level", "water_tile", &g_game.water_tile);
  read_int(file, "Level", "home_tile", &g_game.home_tile);
  char key[64];
  std::snprintf(key, sizeof key, "level_title.%s", g_game.language_abbrev);
  read_string(file, "Level", key, g_game.level_title);
  g_game.level_title_len = static_cast<int>(std::strlen(g_game.level_title));
  g_game.title_start = 1;
  read_int(file, "Cars", "different_cars", &g_game.different_cars);
  read_arrows(file, "Cars", g_game.car_arrows, GAME_CAR_ARROWS);
  read_arrows(file, "Logs", g_game.log_arrows, GAME_LOG_ARROWS);
  if (kept) vx_io_ini_set_mode(file, KEEP_CLOSE);
}

// Step 4: the renderer for the level.
void start_renderer() {
  Init_3D_Engine();
  g_game.camera_x = START_CAMERA;
  g_game.camera_y = START_CAMERA_Y;
  g_game.camera_z = START_CAMERA;
  render_view.cell_lighting = 1;
  render_view.object_lighting = 1;
  render_view.fade_start = FADE_START;
  render_view.fade_rate = 1.0;
  const VX_BITMAP* screen = vx_screen();
  int width = screen ? screen->width : 0;
  int height = screen ? screen->height : 0;
  if (width <= 0 || height <= 0) {  // no screen yet (tools, tests): the base size
    width = 640;
    height = 480;
  }
  Set_Viewport(height - 1, width - 1);
  render_view.horizon_shift = HORIZON_SHIFT;
  g_game.level_loaded = 1;
  g_game.bonus_spot_count = 0;
}

// The frog's start from object `object` of sprite 1..4. 0 after a fatal message.
int take_start(int object, int sprite) {
  const OBJECT& o = world_tables.objects[object];
  const int s = World_Cell_Unit();
  FROG& f = g_game.frog;
  f.object = static_cast<uint16_t>(object);
  f.col = World_Trunc(o.x / s);
  f.row = World_Trunc(o.z / s);
  f.frog_start_x = static_cast<float>(f.col * s) + s / 2.0f;
  f.frog_start_z = static_cast<float>(f.row * s) + s / 2.0f + 4.0f;
  f.x = f.frog_start_x;
  f.y = static_cast<float>(o.y);
  f.z = f.frog_start_z;
  f.frog_start_facing = START_FACING[sprite - SPRITE_START_FIRST];
  f.facing = f.frog_start_facing;
  f.hop_counter = 0;
  f.idle_counter = 0;
  f.hop_dir = 0;
  for (int i = 0; i < 8; i++) {
    f.anim_num[i] = Sprite_Bitmap_Animation(FROG_ANIM_NAMES[i]);
    if (i < 4 && f.anim_num[i] == -1) {  // a missing idle animation is not reported
      Engine_Stop("frog.anim_num[%d]=-1", i);
      return 0;
    }
  }
  asign_animation_to_object(object, f.anim_num[f.facing], 1, 0);
  Object_Set_Position(object, f.x, f.y, f.z);
  return 1;
}

// A bonus spot from object `object`. 0 after a fatal message.
int take_bonus_spot(int object) {
  if (g_game.bonus_spot_count + 1 >= SPAWNER_LIMIT) {
    Engine_Stop("MAX_BONUS exceeded");
    return 0;
  }
  const OBJECT& o = world_tables.objects[object];
  const int s = World_Cell_Unit();
  BONUS& b = g_game.bonus_spots[g_game.bonus_spot_count++];
  std::memset(&b, 0, sizeof b);
  b.object = object;
  b.col = World_Trunc(o.x / s);
  b.row = World_Trunc(o.z / s);
  b.x = static_cast<float>(b.col * s) + s / 2.0f;
  b.z = static_cast<float>(b.row * s) + s / 2.0f;
  b.y = GAME_OFF_BOARD;
  b.phase = 0;
  Object_Set_Position(object, GAME_OFF_BOARD, GAME_OFF_BOARD, GAME_OFF_BOARD);
  return 1;
}

// Step 5 and 6: the map's objects. 0 after a fatal message.
int scan_objects() {
  int start_found = 0;
  for (int i = 1; i <= world_tables.object_count && i < WORLD_OBJECTS; i++) {
    const int sprite = world_tables.objects[i].sprite;
    if (sprite >= SPRITE_START_FIRST && sprite <= SPRITE_START_LAST) {
      if (!take_start(i, sprite)) return 0;
      start_found = 1;
    } else if (sprite >= SPRITE_BONUS_FIRST && sprite <= SPRITE_BONUS_LAST) {
      if (!take_bonus_spot(i)) return 0;
    }
  }
  if (!start_found && !g_game.attract_mode) {
    Engine_Stop("Player _must_ have a starting point!");
    return 0;
  }
  return 1;
}

// Steps 7 and 8: every cell of tile first..last becomes a spawner, in cell order.
int find_spawners(int first, int last, SPAWNER* list, int* count, const char* overflow) {
  *count = 0;
  for (int row = 0; row < world_tables.world_depth; row++) {
    for (int col = 0; col < world_tables.world_width; col++) {
      const CELL* cell = World_Cell(col, row);
      if (!cell || cell->tile < first || cell->tile > last) continue;
      if (*count + 1 >= SPAWNER_LIMIT) {
        Engine_Stop("%s", overflow);
        return 0;
      }
      SPAWNER& sp = list[(*count)++];
      const int t = cell->tile - first;
      sp.col = col;
      sp.row = row;
      sp.direction = t % 4;
      sp.arrow = t / 4;
      sp.countdown = 0;
    }
  }
  return 1;
}

// Step 9: the traffic's animations and the car sizes. 0 after a fatal message.
int find_traffic_animations(const char* file) {
  char name[64];
  for (int i = 1; i <= car_types(); i++) {
    std::snprintf(name, sizeof name, "anim_car_%d", i);
    g_game.car_anim_num[i - 1] = Sprite_Bitmap_Animation(name);
    if (g_game.car_anim_num[i - 1] == -1) {
      Engine_Stop("car_anim_num[i]=-1");
      return 0;
    }
  }
  g_game.log_anim_num[0] = Sprite_Bitmap_Animation("anim_log_1");
  if (g_game.log_anim_num[0] == -1) {
    Engine_Stop("log_anim_num[0]=-1");
    return 0;
  }
  g_game.log_anim_num[1] = Sprite_Bitmap_Animation("anim_log_2");
  if (g_game.log_anim_num[1] == -1) {
    Engine_Stop("log_anim_num[1]=-1");
    return 0;
  }
  for (int i = 1; i <= GAME_BONUS_TYPES; i++) {
    std::snprintf(name, sizeof name, "anim_bonus_%d", i);
    g_game.bonus_anim_num[i - 1] = Sprite_Bitmap_Animation(name);
    if (g_game.bonus_anim_num[i - 1] == -1) {
      Engine_Stop("bonus_anim_num[i-1]=-1");
      return 0;
    }
  }
  for (int i = 1; i <= car_types(); i++) {
    std::snprintf(name, sizeof name, "car_%d_x_size", i);
    read_int(file, "Cars", name, &g_game.car_x_size[i - 1]);
    std::snprintf(name, sizeof name, "car_%d_z_size", i);
    read_int(file, "Cars", name, &g_game.car_z_size[i - 1]);
  }
  return 1;
}

// Step 10: the objects of the traffic and of the time-up sign, all off the board.
int create_traffic_objects() {
  for (int kind = 0; kind < 2; kind++) {
    TRAFFIC* records = kind == 0 ? g_game.cars : g_game.logs;
    const int count = kind == 0 ? GAME_CARS : GAME_LOGS;
    for (int i = 0; i < count; i++) {
      TRAFFIC& t = records[i];
      std::memset(&t, 0, sizeof t);
      t.x = t.y = t.z = GAME_OFF_BOARD;
      t.object = Create_Object(kind == 0 ? SPRITE_CAR : SPRITE_LOG_Z, GAME_OFF_BOARD, GAME_OFF_BOARD, GAME_OFF_BOARD);
      if (t.object < 0) return 0;
    }
  }
  g_game.time_up_object = Create_Object(SPRITE_TIME_UP, GAME_OFF_BOARD, GAME_OFF_BOARD, GAME_OFF_BOARD);
  if (g_game.time_up_object < 0) return 0;
  g_game.splash_anim_num = Sprite_Bitmap_Animation("anim_splash");
  if (g_game.splash_anim_num == -1) {
    Engine_Stop("splash_anim_num==-1");
    return 0;
  }
  return 1;
}

}  // namespace

int level_setup(const char* def_path, const char* map_path) {
  level_unload();
  const int loaded = Load_Level(def_path, map_path, 1);
  if (loaded == LEVEL_NO_DEF) {
    Engine_Stop("Error opening the level file : %s", def_path);
    Free_Level();
    return 0;
  }
  if (loaded != LEVEL_LOADED) {
    Free_Level();
    return 0;
  }
  char file[GAME_PATH_LEN];
  gameplay_file(def_path, file);
  read_gameplay_keys(file);
  g_game.car_spawner_count = 0;
  g_game.log_spawner_count = 0;
  start_renderer();
  if (!scan_objects()) return 0;
  if (!find_spawners(CAR_SPAWNER_FIRST, CAR_SPAWNER_LAST, g_game.car_spawners, &g_game.car_spawner_count,
                     "MAX_CAR_START exceeded"))
    return 0;
  if (!find_spawners(LOG_SPAWNER_FIRST, LOG_SPAWNER_LAST, g_game.log_spawners, &g_game.log_spawner_count,
                     "MAX_LOG_START exceeded"))
    return 0;
  if (!find_traffic_animations(file)) return 0;
  if (!create_traffic_objects()) return 0;
  if (!g_game.attract_mode) {
    music_stop();
    music_play(g_game.s3m_file);
    // A screen effect switch of the first releases; its value is not used,
    // but the draws belong to the random sequence that demos replay.
    if (game_random() % 10 < 2) (void)(game_random() % 3);
  }
  return 1;
}

void level_unload() {
  if (!g_game.level_loaded) return;
  Free_3D_Engine();
  Free_Level();
  g_game.level_loaded = 0;
}
