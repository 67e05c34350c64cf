// The attract sequence: its list, moving from item to item, demos replayed from their two tables, the rolling-line clock and the attract picture.
#include "game/attract.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_bit.h"
#include "display/vx_blit.h"
#include "display/vx_screen.h"
#include "game/credits.h"
#include "game/game_loop.h"
#include "game/game_random.h"
#include "game/game_state.h"
#include "game/level_setup.h"
#include "game/menus.h"
#include "game/messages.h"
#include "game/rules.h"
#include "platform/platform.h"
#include "world/engine_error.h"
#include "world/image/img_load.h"

namespace {

struct AttractState {
  ATTRACT_ITEM items[ATTRACT_MAX_ITEMS] = {};
  int count = 0;
  int index = -1;           // -1 before the first item
  VX_BITMAP picture = {};   // the picture on show
  int has_picture = 0;
  uint32_t shown_tick = 0;  // plat_ticks() when it was shown
};
AttractState at;

// A menu is up: the copy the main loop takes every frame, or the current
// menu shown since (the front end shows one before it moves the sequence on).
int menu_shown() {
  if (g_game.menu_active) return 1;
  const VX_MENU* menu = menu_get(g_game.current_menu);
  return menu && menu->shown;
}

void picture_free() {
  if (at.has_picture) vx_bit_free(&at.picture);
  at.picture = {};
  at.has_picture = 0;
}

// The picture fills the screen: one of another size is stretched once.
void picture_load(const char* name) {
  picture_free();
  at.has_picture = vx_img_load(&at.picture, name, 0);
  const VX_BITMAP* screen = vx_screen();
  if (!at.has_picture || !screen || screen->width <= 0 || screen->height <= 0) return;
  if (at.picture.width == screen->width && at.picture.height == screen->height) return;
  const VX_RECT size = {0, 0, static_cast<int16_t>(screen->width), static_cast<int16_t>(screen->height)};
  if (!vx_bit_resize(&at.picture, &size, nullptr)) picture_free();
}

void message_frame() {
  message_draw(1);
  present_frame();
}

// Step 1 of attract_next: the next index. Below the last entry the index
// moves on, past demos while a menu is shown (all of the list at most);
// the last entry goes back to the first without that test.
int next_index() {
  if (at.index >= at.count - 1) return 0;
  int i = at.index + 1;
  for (int tries = 0; tries < at.count && menu_shown() && at.items[i].kind == ATTRACT_DEMO; tries++)
    i = i == at.count - 1 ? 0 : i + 1;
  return i;
}

// Moves on once; 1 when a hold point was passed and the caller should move again.
int next_once() {
  GameState& gs = g_game;
  at.index = next_index();
  picture_free();
  level_unload();
  const ATTRACT_ITEM& item = at.items[at.index];
  gs.attract_blocks_step = item.kind != ATTRACT_DEMO;
  switch (item.kind) {
    case ATTRACT_PICTURE:
      message_frame();
      picture_load(item.name);
      at.shown_tick = plat_ticks();
      return 0;
    case ATTRACT_HOLD:
      message_frame();
      return menu_shown();
    case ATTRACT_DEMO:
      attract_demo_start(std::atoi(item.name));
      return 0;
    default: return 0;
  }
}

// Reads a whole demo file; null with the fatal message when it cannot be opened.
uint8_t* demo_file(const char* format, int level, const char* fatal, long* size) {
  char name[GAME_PATH_LEN];
  std::snprintf(name, sizeof name, format, level);
  uint8_t* bytes = static_cast<uint8_t*>(vx_io_load(name, size));
  if (!bytes) Engine_Stop("%s", fatal);
  return bytes;
}

}  // namespace

int attract_list_parse(const char* text, size_t size, ATTRACT_ITEM* items, int max) {
  int count = 0;
  size_t pos = 0;
  while (count < max && pos < size) {
    size_t end = pos;
    while (end < size && text[end] != '\n' && text[end] != 0) end++;
    size_t len = end - pos;
    while (len > 0 && text[pos + len - 1] == '\r') len--;
    if (len == 0) break;  // an empty line ends the list
    char line[ATTRACT_NAME_SIZE * 2];
    if (len >= sizeof line) len = sizeof line - 1;
    std::memcpy(line, text + pos, len);
    line[len] = 0;
    ATTRACT_ITEM& item = items[count++];
    item = {};
    std::sscanf(line, "%d %255s %d", &item.kind, item.name, &item.time);
    pos = end + 1;
    if (end < size && text[end] == 0) break;
  }
  return count;
}

int attract_list_load(const char* path) {
  char instead[GAME_PATH_LEN];
  if (plat_getenv("PS_ATTRACT_LIST", instead, sizeof instead) && instead[0]) path = instead;
  at.count = 0;
  at.index = -1;
  long size = 0;
  char* text = path ? static_cast<char*>(vx_io_load(path, &size)) : nullptr;
  if (!text) {
    Engine_Stop("Cannot load demos.txt");
    return 0;
  }
  at.count = attract_list_parse(text, static_cast<size_t>(size), at.items, ATTRACT_MAX_ITEMS);
  vx_mem_free(text);
  return 1;
}

void attract_free() {
  picture_free();
  at.count = 0;
  at.index = -1;
}

int attract_count() { return at.count; }

const ATTRACT_ITEM* attract_item(int i) { return i >= 0 && i < at.count ? &at.items[i] : nullptr; }

int attract_index() { return at.index; }

void attract_next() {
  if (at.count <= 0) return;
  // A list of hold points only, with a menu up, stops after one round.
  for (int round = 0; round < at.count && next_once(); round++) {
  }
}

int attract_demo_start(int level) {
  GameState& gs = g_game;
  gs.level_number = level;
  gs.load_level_request = 1;
  message_frame();
  if (!attract_demo_read(level)) return 0;
  std::snprintf(gs.def_path, sizeof gs.def_path, "level\\level%d.def", level);
  std::snprintf(gs.map_path, sizeof gs.map_path, "level\\level%d.map", level);
  const int started = level_setup(gs.def_path, gs.map_path);
  if (started) start_life();
  gs.load_level_request = 0;
  return started;
}

int attract_demo_read(int level) {
  GameState& gs = g_game;
  if (!game_random_tables_alloc()) return 0;
  long size = 0;
  uint8_t* bytes = demo_file("data\\demo%d.dat", level, "Can't load demo!", &size);
  if (!bytes) return 0;
  attract_movement_decode(bytes, static_cast<size_t>(size), gs.player_movement_table, GAME_MOVEMENT_STEPS);
  vx_mem_free(bytes);
  bytes = demo_file("data\\demo%d.rnd", level, "Can't load rand_table!", &size);
  if (!bytes) return 0;
  attract_rand_decode(bytes, static_cast<size_t>(size), gs.rand_table, GAME_RAND_VALUES);
  vx_mem_free(bytes);
  return 1;
}

void attract_movement_decode(const uint8_t* bytes, size_t size, uint8_t* table, int count) {
  if (!table || count <= 0) return;
  const size_t n = bytes && size < static_cast<size_t>(count) ? size : bytes ? static_cast<size_t>(count) : 0;
  if (n) std::memcpy(table, bytes, n);
  std::memset(table + n, 0, static_cast<size_t>(count) - n);
}

void attract_rand_decode(const uint8_t* bytes, size_t size, int32_t* table, int count) {
  if (!table || count <= 0) return;
  const size_t have = bytes ? size / 4 : 0;
  for (size_t i = 0; i < static_cast<size_t>(count); i++) {
    if (i >= have) {
      table[i] = 0;
      continue;
    }
    const uint8_t* b = bytes + i * 4;
    table[i] = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
  }
}

void attract_clock_step(int* timer, int* index, int line_count) {
  if (*timer < 1) {
    if (++*timer == -1) {
      *timer = ATTRACT_LINE_STEPS;
      *index = 0;
    }
    return;
  }
  if (--*timer < 2) {
    *timer = ATTRACT_LINE_STEPS;
    if (++*index >= line_count) {
      *timer = ATTRACT_END_PAUSE;
      *index = 0;
    }
  }
}

int attract_demo_step() {
  GameState& gs = g_game;
  attract_clock_step(&gs.message_timer, &gs.message_index, credits_count());
  if (++gs.movement_pos >= GAME_MOVEMENT_STEPS) {
    attract_next();
    gs.attract_mode = 1;
    gs.load_level_request = 1;
    gs.skip_steps = 1;
    return 1;
  }
  // The flags stay until the players' poll of the next frame clears them.
  const int code = gs.player_movement_table ? gs.player_movement_table[gs.movement_pos] : 0;
  if (code >= 1 && code <= 4) gs.player1.actions[code - 1] = 128;  // up, down, left, right
  return 0;
}

void attract_picture_draw() {
  if (at.index < 0 || at.index >= at.count || at.items[at.index].kind != ATTRACT_PICTURE) return;
  VX_BITMAP* screen = vx_screen();
  if (at.has_picture && screen) vx_bit_copy(screen, &at.picture, nullptr, nullptr, 0);
  const uint32_t shown_for = plat_ticks() - at.shown_tick;
  if (static_cast<int64_t>(shown_for) > at.items[at.index].time) {
    picture_free();
    attract_next();
  }
}

const char* attract_rolling_line() {
  const GameState& gs = g_game;
  if (gs.message_timer < ATTRACT_LINE_VISIBLE_FROM) return nullptr;
  const char* line = credits_line(gs.message_index);
  if (!line || static_cast<uint8_t>(line[0]) == ATTRACT_HIDDEN_LINE) return nullptr;
  return line;
}
