// Generated data files: the editor font data\font.dat and the transparency tables data\transp.tab.
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

}  // namespace

void ag_data_make(AG_OUTPUT* out) {
  const auto font = ag_font_bytes();
  ag_emit(out, "data/font.dat", std::vector<uint8_t>(font.begin(), font.end()));
  ag_emit(out, "data/transp.tab", transparency_tables());
}
