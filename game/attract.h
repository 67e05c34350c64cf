// The attract sequence: the list of pictures, hold points and demos of "data\demos.txt", the item running now, a demo's recorded input, the rolling-line clock and the attract picture.
//
// The list is read once at start-up. Each line is "KIND NAME TIME":
//   1 gfx\title.png 6000   a picture on the whole screen for TIME ms
//   2 - 0                  a hold point: passed over while a menu is shown,
//                          otherwise the sequence stays there
//   3 7 0                  a demo of level 7 from "data\demo7.dat" (the
//                          direction code of every step, 3,840 bytes) and
//                          "data\demo7.rnd" (the random table, 30,720
//                          little-endian 32-bit values), read whole
// Reading stops at an empty line, the end of the file or 20 entries.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int ATTRACT_MAX_ITEMS = 20;
constexpr int ATTRACT_NAME_SIZE = 256;       // terminator included
constexpr int ATTRACT_LINE_STEPS = 350;      // the rolling-line clock's start value for each line
constexpr int ATTRACT_LINE_VISIBLE_FROM = 31;  // a line shows while the clock is at least this
constexpr int ATTRACT_START_PAUSE = -700;    // the clock at start-up and after a game over (7 s)
constexpr int ATTRACT_END_PAUSE = -200;      // the clock after the last line
constexpr uint8_t ATTRACT_HIDDEN_LINE = 245; // a rolling line starting with this byte is not shown

enum AttractKind { ATTRACT_PICTURE = 1, ATTRACT_HOLD = 2, ATTRACT_DEMO = 3 };

struct ATTRACT_ITEM {
  int kind;                      // AttractKind; other values start nothing
  char name[ATTRACT_NAME_SIZE];  // picture file, or the demo's level number in decimal
  int time;                      // ms a picture stays
};

// Parses the list's text (`size` bytes, need not end in 0) into `items`:
// one "%d %s %d" entry a line (a line that does not give all three is kept
// with what it gave, the rest 0 or ""), up to an empty line, the end or
// `max` entries. Returns the number of entries.
int attract_list_parse(const char* text, size_t size, ATTRACT_ITEM* items, int max);
// Reads the list from `path` and sets the index before the first item. The
// environment variable PS_ATTRACT_LIST, when set, names a list to read
// instead (the end-to-end tests run a short one). Fatal (the engine's stop,
// result 0 with a sink): "Cannot load demos.txt".
int attract_list_load(const char* path);
// Forgets the list and frees the picture.
void attract_free();
int attract_count();
// The entry at `i`, or null.
const ATTRACT_ITEM* attract_item(int i);
// The index of the item running, -1 before the first.
int attract_index();

// Moves to the next item and starts it. While a menu is shown the sequence
// skips demos (not past the last entry, which always goes back to the
// first) and passes hold points at once. A picture is loaded and
// stretched to the screen; a demo loads its tables and its level and starts
// a life. Frees the previous picture and unloads the level first. An empty
// list changes nothing.
void attract_next();

// Starts the demo of `level`: the level number, message 1 and a frame, the
// two tables, the level's paths, the level and a life. Fatal: "Can't load
// demo!" (the movement table cannot be opened), "Can't load rand_table!".
// 1 when the life started.
int attract_demo_start(int level);
// Reads "data\demo%d.dat" and "data\demo%d.rnd" into the demo tables. A
// shorter file leaves the rest of its table 0; bytes past a table's size
// are ignored. Fatal messages as attract_demo_start.
int attract_demo_read(int level);
// Copies the bytes of a demo file into its table: `count` entries at most,
// the rest 0. Values are little-endian.
void attract_movement_decode(const uint8_t* bytes, size_t size, uint8_t* table, int count);
void attract_rand_decode(const uint8_t* bytes, size_t size, int32_t* table, int count);

// The attract share of a step (during attract mode): the rolling-line clock,
// then the next position of the movement table. When the table is used up
// the demo is over: the next item starts, the level is reloaded and owed
// steps are skipped; returns 1 and the step ends there. Otherwise sets the
// recorded direction on player 1 (position 0 is never applied) and returns 0.
int attract_demo_step();
// One step of the rolling-line clock over `line_count` lines.
void attract_clock_step(int* timer, int* index, int line_count);

// The frame of a picture or hold point: the picture over the whole screen;
// when its time is over it goes and the next item starts.
void attract_picture_draw();
// The rolling line to show now, or null: none while the clock is below 31,
// for a line starting with byte 245, or past the lines.
const char* attract_rolling_line();
