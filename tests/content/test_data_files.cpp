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

std::string content_file(const std::string& rel) {
  std::ifstream in(std::string(PS_TEST_DATA) + "/../../content/" + rel, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Lines of a CR LF text file; `crlf` is cleared when a line ends otherwise.
std::vector<std::string> lines_of(const std::string& text, bool* crlf) {
  std::vector<std::string> out;
  *crlf = !text.empty() && text.back() == '\n';
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (line.empty() || line.back() != '\r') *crlf = false;
    else line.pop_back();
    out.push_back(line);
    at = end + 1;
  }
  return out;
}

// Key lines of one section, as the string-file reader sees them.
std::map<std::string, std::string> section(const std::vector<std::string>& lines, const std::string& name) {
  std::map<std::string, std::string> keys;
  bool in = false;
  for (const std::string& l : lines) {
    if (!l.empty() && l[0] == '[') {
      in = l == "[" + name + "]";
      continue;
    }
    const size_t eq = l.find('=');
    if (in && eq != std::string::npos && eq > 0) keys[l.substr(0, eq)] = l.substr(eq + 1);
  }
  return keys;
}

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

TEST_F(DataFiles, FontOrderIsTheEditorsMapping) {
  // Wherever the renderer maps a character to a glyph of its own, the
  // font's table agrees; the font adds glyphs only for characters the
  // renderer shows as glyph 0.
  for (int c = 0; c < 256; c++) {
    const int engine = Render_Editor_Glyph(static_cast<unsigned char>(c)), font = ag_font_glyph(static_cast<unsigned char>(c));
    if (engine != 0) {
      EXPECT_EQ(font, engine) << c;
    } else if (c != 'a') {
      EXPECT_TRUE(font == 0 || font >= 83) << c;
    }
  }
  int count = 0;
  const AG_FONT_EXTRA* extras = ag_font_extras(&count);
  for (int i = 0; i < count; i++) {
    EXPECT_EQ(extras[i].glyph, 83 + i);
    if (extras[i].cp437) {
      EXPECT_EQ(ag_font_glyph(extras[i].cp437), extras[i].glyph) << i;
    }
  }
  const Bytes& f = file("data/font.dat");
  ASSERT_EQ(Load_Editor_Font_Memory(f.data(), f.size()), 1);
  EXPECT_TRUE(Render_Editor_Font_Loaded());
  Free_3D_Engine();
}

TEST_F(DataFiles, TransparencyTablesAreOneHalfBlend) {
  const Bytes& t = file("data/transp.tab");
  ASSERT_EQ(t.size(), 1u + 65536u);
  ASSERT_EQ(t[0], 1);
  auto at = [&](int a, int b) { return t[1 + size_t(a) * 256 + size_t(b)]; };
  for (int a = 0; a < 256; a++) {
    EXPECT_EQ(at(a, a), a) << "a colour over itself stays";
    for (int b = 0; b < 256; b += 5) EXPECT_EQ(at(a, b), at(b, a)) << a << " " << b;
  }
  // White (255) over black (0) in the 3-3-2 cube: red 3, green 3, blue 1.
  EXPECT_EQ(at(255, 0), (3 << 5) | (3 << 2) | 1);
  ASSERT_EQ(Load_Transparency_Tables_Memory(t.data(), t.size()), 1);
  EXPECT_EQ(Render_Transparency_Count(), 1);
  EXPECT_EQ(Render_Transparency_Table(0)[255 * 256], at(255, 0));
  Free_Transparency_Tables();
  // The palette file names the same cube's colours: index 0 black, 255 white,
  // 0xE0 full red.
  const Bytes& p = file("data/game.pal");
  ASSERT_EQ(p.size(), 768u);
  EXPECT_EQ(nums(p[0], p[1], p[2]), nums(0, 0, 0));
  EXPECT_EQ(nums(p[765], p[766], p[767]), nums(255, 255, 255));
  EXPECT_EQ(nums(p[0xE0 * 3], p[0xE0 * 3 + 1], p[0xE0 * 3 + 2]), nums(255, 0, 0));
}

TEST_F(DataFiles, FirstHighScoreTableIsComplete) {
  bool crlf = false;
  const auto lines = lines_of(content_file("data/highscor.ori"), &crlf);
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(crlf);
  const auto keys = section(lines, "High-Scores");
  ASSERT_EQ(keys.count("NbScores"), 1u);
  const int count = std::stoi(keys.at("NbScores")), max_name = std::stoi(keys.at("MaxSizeName"));
  const int max_score = std::stoi(keys.at("MaxSizeScore"));
  EXPECT_EQ(nums(count, max_name, max_score), nums(10, 10, 8));
  ASSERT_EQ(keys.count("DefaultName"), 1u);
  EXPECT_LE(keys.at("DefaultName").size(), size_t(max_name));
  long previous = 1L << 30;
  for (int i = 1; i <= count; i++) {
    char n[32], s[32];
    std::snprintf(n, sizeof n, "Name_%02d", i);
    std::snprintf(s, sizeof s, "Score_%02d", i);
    ASSERT_EQ(keys.count(n), 1u) << n;
    ASSERT_EQ(keys.count(s), 1u) << s;
    // Written as the game writes them: right-aligned in their fields, names
    // in the characters name entry offers (32 to 90).
    const std::string& name = keys.at(n);
    EXPECT_EQ(name.size(), size_t(max_name)) << n;
    for (char c : name) EXPECT_TRUE(c >= 32 && c <= 90) << n;
    EXPECT_EQ(keys.at(s).size(), size_t(max_score)) << s;
    const long score = std::stol(keys.at(s));
    EXPECT_LE(score, previous) << "entry 1 is the best";
    previous = score;
  }
}

TEST_F(DataFiles, DefaultIniHasTheDisplayKeysTheGameReads) {
  bool crlf = false;
  const auto lines = lines_of(content_file("Default.ini"), &crlf);
  EXPECT_TRUE(crlf);
  for (const std::string& l : lines) {
    const size_t eq = l.find('=');
    if (eq != std::string::npos) {
      EXPECT_TRUE(l[0] != ' ' && l[eq - 1] != ' ' && l[eq + 1] != ' ') << l;
    }
  }
  const auto display = section(lines, "Display");
  ASSERT_EQ(display.count("Resolution"), 1u);
  int w = 0, h = 0, d = 0;
  ASSERT_EQ(std::sscanf(display.at("Resolution").c_str(), "%dx%dx%d", &w, &h, &d), 3);
  EXPECT_EQ(nums(w, h, d), nums(640, 480, 16));
  EXPECT_EQ(display.count("Fullscreen"), 1u);
  // No window position: the first window is centred.
  EXPECT_EQ(display.count("WindowPosition"), 0u);
  const auto sound = section(lines, "Sound");
  EXPECT_EQ(nums(std::stoi(sound.at("MusicVolume")), std::stoi(sound.at("SoundVolume")), std::stoi(sound.at("Interpolation"))),
            nums(70, 80, 4));
  const auto options = section(lines, "Options");
  EXPECT_EQ(nums(std::stoi(options.at("Difficulty")), std::stoi(options.at("Background"))), nums(0, 1));
  // No language yet: the language screen comes at the first start.
  EXPECT_EQ(section(lines, "Application").count("Language"), 0u);
}

}  // namespace
