// Generated data files: the editor font data\font.dat, the transparency tables data\transp.tab and the palette data\game.pal.
#include <vector>

#include "tools/artgen/ag_font.h"
#include "tools/artgen/ag_gen.h"

namespace {

// One 50 % blend table over the 3-3-2 colour cube (index = red << 5 |
// green << 2 | blue): entry [a x 256 + b] is the colour halfway between a
// and b, channel by channel, rounded down.
std::vector<uint8_t> transparency_tables() {
  std::vector<uint8_t> t(1 + 65536);
  t[0] = 1;  // the count byte: one table
  for (int a = 0; a < 256; a++)
    for (int b = 0; b < 256; b++) {
      const int r = ((a >> 5) + (b >> 5)) / 2, g = (((a >> 2) & 7) + ((b >> 2) & 7)) / 2, bl = ((a & 3) + (b & 3)) / 2;
      t[1 + size_t(a) * 256 + size_t(b)] = uint8_t(r << 5 | g << 2 | bl);
    }
  return t;
}

// The game's palette file: the same 3-3-2 colour cube as 256 RGB triples
// (768 bytes; palette readers take the last 768 bytes of a file), each
// channel spread over 0..255.
std::vector<uint8_t> palette_file() {
  std::vector<uint8_t> p(768);
  for (int i = 0; i < 256; i++) {
    p[size_t(i) * 3] = uint8_t((i >> 5) * 255 / 7);
    p[size_t(i) * 3 + 1] = uint8_t(((i >> 2) & 7) * 255 / 7);
    p[size_t(i) * 3 + 2] = uint8_t((i & 3) * 255 / 3);
  }
  return p;
}

}  // namespace

void ag_data_make(AG_OUTPUT* out) {
  const auto font = ag_font_bytes();
  ag_emit(out, "data/font.dat", std::vector<uint8_t>(font.begin(), font.end()));
  ag_emit(out, "data/transp.tab", transparency_tables());
  ag_emit(out, "data/game.pal", palette_file());
}
