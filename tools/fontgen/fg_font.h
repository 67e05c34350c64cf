// fg_font: builds one bitmap font: sizes its glyphs to the cell, lays them out in sheets and writes its .fnt string file.
//
// A proportional font (the game trims it when loading, and draws it with
// proportional spacing) takes as its cell width twice the word space it
// wants, because the loader makes the space half a cell wide; the glyphs
// that fit that width stand in the first sheet, the wider ones in a sheet
// with a cell of its own (file type 2), the Japanese glyphs in a third,
// and the menus' pointer '*' in an FLC animation (type 5, one character
// in a square region of the cell's height). Its figures may be tabular:
// each then carries an all but transparent pixel (alpha 1) at both edges
// of the widest figure's ink, so that trimming gives every figure the same
// width and a score or a clock stretched into its rectangle does not
// wobble as its digits change. A square font puts every glyph, stretched
// to fill its cell, in one sheet (the language screen draws it cell by
// cell, untrimmed).
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/artgen/ag_canvas.h"
#include "tools/artgen/ag_gen.h"
#include "tools/fontgen/fg_raster.h"
#include "tools/fontgen/fg_style.h"
#include "tools/fontgen/fg_text.h"

struct FG_FONT_DEF {
  const char* file;   // the .fnt file in the data tree, '/' separators ("data/menu.fnt")
  const char* name;   // its Name key
  const char* stem;   // its pictures are named stem + suffix ("menu" -> "menu_a.png")
  int height;         // cell height in pixels
  int square;         // 1: one sheet of height x height cells
  double space;       // proportional fonts: the word space in ems
  int tabular;        // proportional fonts: 1 for figures of one trimmed width
  FG_RENDER latin;    // face, stretch (0: a square font's monospaced advance fills the cell),
                      // hinting and emboldening of the Latin glyphs (em is found here)
  FG_STYLE style;
  int japanese;       // 1: also the kana and every code of the menu bar texts, from the Japanese face
  int pointer;         // 1: '*' is the pointer star of an FLC file
  int pointer_frames;  // frames of that animation
};

// One file section of the font: a picture of cells or the pointer animation.
struct FG_SHEET {
  std::string file;                // data-tree name
  int type;                        // 1 the font's cell, 2 its own cell, 5 an animation region
  int width, height;               // its cell size
  std::vector<std::string> lines;  // the characters of each row, UTF-8
  AG_CANVAS pic;                   // types 1 and 2
  std::vector<uint8_t> flc;        // type 5: the file's bytes
};

// Where a character's cell lies: sheet index and top-left pixel.
struct FG_CELL {
  int sheet, x, y;
};

struct FG_FONT {
  const FG_FONT_DEF* def;
  int width, height;  // the font's cell
  int em;             // pixels per em of the Latin glyphs
  int baseline;       // rows of the cell above the baseline
  std::vector<FG_SHEET> sheets;
  std::map<uint32_t, FG_CELL> cells;
  std::string map_src, map_dst;  // [Character Properties], empty for none
};

// The codes a font carries (the space excepted; '*' included).
FG_CODES fg_font_codes(const FG_FONT_DEF* def);
// Builds the font. 1, or 0 after printing the codes no face could draw.
int fg_font_build(const FG_FONT_DEF* def, FG_FONT* out);
// The .fnt text (CR LF lines).
std::string fg_font_fnt(const FG_FONT& font);
// Adds the .fnt file and its pictures to `out` (failures counted there).
void fg_font_emit(const FG_FONT& font, AG_OUTPUT* out);
// The cell of `code` as an RGBA picture (the pointer's frame 1 through its
// palette), or a 0 x 0 canvas when the font lacks the code.
AG_CANVAS fg_font_cell(const FG_FONT& font, uint32_t code);
