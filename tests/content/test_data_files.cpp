// The game's data files made or kept with the art: the editor font, the transparency tables, the first high-score table and Default.ini.
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/content/content_fixture.h"
#include "tools/artgen/ag_font.h"
#include "world/render.h"

using namespace content_test;

namespace {

class DataFiles : public ContentTest {};

const Bytes& file(const char* name) { return generated().at(name); }

TEST_F(DataFiles, FontHas224GlyphsOfSevenFivePixelRows) {
  const Bytes& f = file("data/font.dat");
  ASSERT_EQ(f.size(), size_t(RENDER_FONT_GLYPHS * RENDER_FONT_ROWS));
  ASSERT_EQ(f.size(), 1568u);
  for (size_t i = 0; i < f.size(); i++) EXPECT_LT(f[i], 32) << "glyph " << i / 7 << " uses more than five pixels";
  auto blank = [&](int g) {
    for (int r = 0; r < 7; r++)
      if (f[size_t(g) * 7 + size_t(r)]) return false;
    return true;
  };
  for (int g = 0; g < 128; g++) EXPECT_FALSE(blank(g)) << "glyph " << g << " is not drawn";
  for (int g = 128; g < 224; g++) EXPECT_TRUE(blank(g)) << "glyph " << g;
  // 'I' (glyph 34): a bar, a stem, a bar. '0' (glyph 52) has its slash.
  const uint8_t i_rows[7] = {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E};
  const uint8_t zero_rows[7] = {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E};
  for (int r = 0; r < 7; r++) {
    EXPECT_EQ(f[34 * 7 + size_t(r)], i_rows[r]) << r;
    EXPECT_EQ(f[52 * 7 + size_t(r)], zero_rows[r]) << r;
  }
}

}  // namespace
