// ag_gen: the art generator's output list and the entry point of each picture family.
//
// Every family adds its files to an AG_OUTPUT in a fixed order; nothing is
// written to disk here, so tests can run the whole generator in memory.
// File names are relative to the data root, with `/` separators and in
// lower case ("gfx/grass.png"); the game names them "gfx\grass.png".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/artgen/ag_canvas.h"

struct AG_FILE {
  std::string name;
  std::vector<uint8_t> bytes;
};

struct AG_OUTPUT {
  std::vector<AG_FILE> files;
  int failed;  // files that could not be encoded
};

// Art pixels to file pixels: every picture is drawn at 32 art pixels a cell
// and written twice as large.
constexpr int AG_SCALE = 2;

// Kinds of picture, which decide the file's layout.
enum AG_KIND {
  AG_OPAQUE = 0,  // floors, walls, backgrounds: alpha dropped, palette or RGB
  AG_SPRITE = 1,  // RGBA, clear pixels bled with their neighbours' colour
  AG_RGB = 2,     // always 24-bit RGB (the splash picture)
};

// Scales `art` by `scale`, encodes it as `kind` says and adds it as `name`.
void ag_emit_png(AG_OUTPUT* out, const std::string& name, const AG_CANVAS& art, int kind, int scale = AG_SCALE);
// Adds a file of raw bytes.
void ag_emit(AG_OUTPUT* out, const std::string& name, std::vector<uint8_t> bytes);
// "base" + two decimal digits of i + ".png" (the numbering of `]` lines).
std::string ag_frame_name(const char* base, int i);

// The families, in the order ag_generate_all runs them.
void ag_floors_make(AG_OUTPUT* out);       // floors and walls (ag_tiles.cpp)
void ag_frog_make(AG_OUTPUT* out);         // frog hop, idle and drowning frames
void ag_vehicles_make(AG_OUTPUT* out);     // cars, lorry, bus, tractor
void ag_items_make(AG_OUTPUT* out);        // logs, turtles, bonuses, time-up clock, icons
void ag_scenery_make(AG_OUTPUT* out);      // trees, bushes, reeds and other props
void ag_wildlife_make(AG_OUTPUT* out);     // moving scenery: gulls, the ferry, the tower crane
void ag_backgrounds_make(AG_OUTPUT* out);  // the `@j` backgrounds
void ag_splash_make(AG_OUTPUT* out);       // the splash picture
void ag_screens_make(AG_OUTPUT* out);      // the language flags and the help / language screen background
void ag_attract_make(AG_OUTPUT* out);      // the attract sequence's title and how-to-play pictures
void ag_data_make(AG_OUTPUT* out);         // data\font.dat and data\transp.tab

// Single pictures at art size, for pictures made of others (the splash).
// Floors by their file's base name ("grass", "road_line", "water00", ...;
// an empty canvas for an unknown name), the red car's right view, frame 0
// of the log floating along x.
AG_CANVAS ag_floor_art(const char* name);
AG_CANVAS ag_car_art();
AG_CANVAS ag_log_art();
// Frame 0 of bonus type 0..7, 32 x 32.
AG_CANVAS ag_bonus_art(int type);

// Big title letters of the 5 x 7 font: each font pixel a `block`-sized
// square, a vertical ramp from `top` to `bottom`, an extrusion in `side`
// below right, outlined in ink. The width of `s` in art pixels.
void ag_title_text(AG_CANVAS* c, const char* s, int x0, int y0, int block, AG_RGBA top, AG_RGBA bottom,
                   AG_RGBA side);
int ag_title_width(const char* s, int block);

// Runs every family into `out` (cleared first). 1 when every file was made.
int ag_generate_all(AG_OUTPUT* out);

// The program's icon, kept apart from the data tree (desktops take it from
// the icon theme folders): "NxN/pondsprint.png" for every side below, added
// to `out` in this order.
constexpr int AG_ICON_SIZES[] = {16, 32, 48, 64, 128, 256};
void ag_icons_make(AG_OUTPUT* out);
