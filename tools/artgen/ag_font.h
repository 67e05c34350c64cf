// ag_font: the 5 x 7 pixel font of data\font.dat (the editor font and the HUD's fallback), and its glyph order.
//
// 224 glyphs of 7 rows; a row is one byte whose five low bits are the
// pixels, bit 4 the leftmost. Glyphs 0 to 82 follow the editor font's
// mapping: a-z 0-25, A-Z 26-51, 0-9 52-61, then . , ; : ¿ ? ¡ ! ( ) ñ Ñ á é
// í ó ú - $ % /. Glyphs 83 and up are extra punctuation and the accented
// letters of the game's other languages (AG_FONT_EXTRA); the rest are blank.
#pragma once
#include <array>
#include <cstdint>

constexpr int AG_FONT_GLYPHS = 224;
constexpr int AG_FONT_ROWS = 7;
constexpr int AG_FONT_WIDTH = 5;
constexpr int AG_FONT_BYTES = AG_FONT_GLYPHS * AG_FONT_ROWS;  // 1568, the size of data\font.dat

// Extra glyphs from 83: the character each shows, in code page 437 (0 for
// a glyph that has no code there).
struct AG_FONT_EXTRA {
  int glyph;
  unsigned char cp437;
};

// The whole font, glyph by glyph, AG_FONT_BYTES bytes.
std::array<uint8_t, AG_FONT_BYTES> ag_font_bytes();
// The glyph a code-page-437 character shows: the editor mapping for 0-82,
// then the extras; -1 for a space, 0 for anything else (as the editor does).
int ag_font_glyph(unsigned char c);
// The extras table and its length.
const AG_FONT_EXTRA* ag_font_extras(int* count);
