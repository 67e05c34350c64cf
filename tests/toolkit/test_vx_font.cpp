// Bitmap fonts: loading .fnt files (sections, versions, trimming, animation frames, the map), decoding, measuring and drawing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "tests/support/engine_fixture.h"
#include "toolkit/vx_font.h"
#include "world/image/img_load.h"

namespace {

namespace fs = std::filesystem;
const std::string kFixtures = std::string(PS_TEST_DATA) + "/toolkit/";

std::vector<int>& raised() {
  static std::vector<int> codes;
  return codes;
}
// Records the code of every "Font" report shown.
int record_box(const char*, const char* caption, unsigned) {
  if (!std::strcmp(caption, "Alert") && !std::strcmp(vx_error_module_name(vx_error_current_module()), "Font"))
    raised().push_back(vx_error_current_code());
  return 1;
}

std::vector<double> rect(const VX_RECT& r) { return nums(r.x, r.y, r.width, r.height); }

class FontTest : public testing::Test {
 protected:
  VX_FONT font{};
  VX_BITMAP target{};
  fs::path temp;

  void SetUp() override {
    static const VX_ERROR_SETTINGS errors{0};
    vx_error_init(&errors);
    vx_error_set_box(record_box);
    static const VX_MEM_SETTINGS mem = {0, 1 << 22};  // the tracker keeps a pointer to it
    vx_mem_init(&mem);
    static const VX_IO_SETTINGS io{0, nullptr, nullptr};
    vx_io_init(&io);
    static const VX_FONT_SETTINGS debug{1};
    ASSERT_EQ(vx_font_init(&debug), 1);
    vx_font_picture_loader_set(vx_img_load);
    raised().clear();
    const VX_RECT size = {0, 0, 120, 5};
    vx_bit_alloc(&target, &size, VX_BIT_BPP8);
    clear();
    temp = fs::temp_directory_path() / ("vx_font_test_" + std::to_string(getpid()));
    fs::create_directories(temp);
    fs::copy_file(kFixtures + "glyphs.png", temp / "glyphs.png", fs::copy_options::overwrite_existing);
  }
  void TearDown() override {
    vx_font_free(&font);
    vx_bit_free(&target);
    vx_font_deinit();
    vx_io_deinit();
    vx_bit_scale_buffer_free();  // the scaled copies grow a buffer of the blitter
    EXPECT_EQ(vx_mem_deinit(), 1) << "a font block was left allocated";
    vx_error_set_box(nullptr);
    vx_error_deinit();
    fs::remove_all(temp);
  }
  // Writes a font file into the temporary folder (beside glyphs.png); its path.
  std::string write(const std::string& text) {
    std::ofstream((temp / "t.fnt").string(), std::ios::binary) << text;
    return (temp / "t.fnt").string();
  }
  void clear() { std::memset(target.pixels, 9, 600); }
  std::vector<uint32_t> codes() const {
    std::vector<uint32_t> out;
    for (int i = 0; i < font.char_count; i++) out.push_back(font.chars[i].code);
    return out;
  }
  bool has(uint32_t code) const {
    const std::vector<uint32_t> c = codes();
    return std::find(c.begin(), c.end(), code) != c.end();
  }
  // Row `y` of the target, one digit per pixel, up to `width` pixels.
  std::string row(int y, int width = 40) const {
    std::string s;
    for (int x = 0; x < width; x++) s += char('0' + target.pixels[y * target.width + x] % 10);
    return s;
  }
};

// A font of one picture section: version, section name and rows as given.
std::string one_section(const std::string& version, const std::string& section, const std::string& rows,
                        const std::string& extra = "") {
  return "[Font Properties]\nName=T\nVersion=" + version + "\nWidth=4\nHeight=5\nNumFiles=1\n" + extra + "\n[" +
         section + "]\nName=glyphs.png\nType=1\nNumLines=1\nLine001=" + rows + "\n";
}

TEST_F(FontTest, FixtureFontCutsTrimsAnimatesAndMaps) {
  ASSERT_EQ(vx_font_load(&font, (kFixtures + "font.fnt").c_str(), 7), 1);
  EXPECT_TRUE(raised().empty());
  EXPECT_EQ(codes(), (std::vector<uint32_t>{' ', 'A', 'B', 'C', 'D', 'X', 'Y', 'a', 'b', 233}));
  EXPECT_EQ(font.default_char, 1);  // the created space, first in code order
  VX_RECT r[3];
  ASSERT_TRUE(vx_font_char_frame(&font, 'B', 1, r));  // ink: column 1, rows 1-3 of the second cell
  EXPECT_EQ(rect(r[0]), nums(4, 0, 4, 5));
  EXPECT_EQ(rect(r[1]), nums(5, 0, 1, 5));
  EXPECT_EQ(rect(r[2]), nums(4, 1, 4, 3));
  vx_font_char_frame(&font, ' ', 1, r);
  EXPECT_EQ(rect(r[1]), nums(0, 0, 2, 5));
  // The animation's region is the box of its ink over both frames (4 x 10).
  ASSERT_EQ(vx_font_char_frames(&font, 'X'), 2);
  VX_BITMAP* f1 = vx_font_char_frame(&font, 'X', 1, r);
  EXPECT_EQ(nums(f1->width, f1->height, r[1].x, r[1].width), nums(4, 10, 0, 2));
  EXPECT_EQ(nums(f1->bpp, f1->flags & VX_BIT_KEYED, f1->key), nums(8, VX_BIT_KEYED, 0)) << "index 0 stays clear";
  VX_BITMAP* f2 = vx_font_char_frame(&font, 'X', 2, r);
  EXPECT_EQ(nums(r[1].x, r[1].width), nums(2, 2));
  EXPECT_EQ(vx_font_char_frame(&font, 'X', 3, nullptr), f1);  // wraps
  EXPECT_EQ(vx_font_char_frame(&font, 'X', 0, nullptr), f1);
  // Frame 2 changed the palette: its bitmap carries the new colours.
  EXPECT_EQ(nums(f1->palette->colours[7 * 3], f2->palette->colours[7 * 3]), nums(140, 115));
  // a and b borrow the capitals' glyphs.
  EXPECT_EQ(font.chars[7].glyph, font.chars[1].glyph);
  EXPECT_EQ(font.chars[7].owner, 0);
  EXPECT_EQ(vx_font_print(&font, &target, nullptr, 0, "ab"), 10);
  EXPECT_EQ(row(2, 10), "1110902009");
}

TEST_F(FontTest, VersionPicksSectionNamesAndTextDecoding) {
  // cut: the picture's characters were found; e: what the row's e-acute became.
  struct Case { const char *version, *section; bool cut; std::vector<uint32_t> e; } cases[] = {
      {"1", "File001", true, {195, 169}},
      {"2", "File000001", true, {233}},
      {"2", "File001", false, {}},
      {"3", "File001", true, {195, 169}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.version) + " " + c.section);
    raised().clear();
    ASSERT_EQ(vx_font_load(&font, write(one_section(c.version, c.section, "AB\xC3\xA9")).c_str(), 0), 1);
    EXPECT_EQ(font.version, c.version[0] == '2' ? 2 : 1);
    EXPECT_EQ(has('A'), c.cut);
    for (uint32_t code : c.e) EXPECT_TRUE(has(code)) << code;
    EXPECT_EQ(raised(), c.cut ? std::vector<int>{} : std::vector<int>{VX_FONT_ERR_SOME_CHARS});
    vx_font_free(&font);
  }
}

TEST_F(FontTest, DamagedFilesAreRefusedOrLoadWhatTheyCan) {
  const std::string good = one_section("1", "File001", "AB");
  struct Case { const char* what; std::string text; int flags, result; std::vector<int> codes; } cases[] = {
      {"no width", "[Font Properties]\nName=T\nHeight=5\nNumFiles=0\n", 0, 0, {VX_FONT_ERR_FORMAT}},
      {"no name", "[Font Properties]\nWidth=4\nHeight=5\nNbFiles=0\n", 0, 0, {VX_FONT_ERR_FORMAT}},
      {"palette missing", one_section("1", "File001", "AB", "Palette=none.pal\n"), 0, 0, {VX_FONT_ERR_PALETTE}},
      {"twice without flag 4", one_section("1", "File001", "ABA"), 0, 1,
       {VX_FONT_ERR_TWICE, VX_FONT_ERR_SOME_CHARS}},
      {"twice with flag 4", one_section("1", "File001", "ABA"), 4, 1, {}},
      {"unknown type", std::string(good).replace(good.find("Type=1"), 6, "Type=3"), 0, 1, {VX_FONT_ERR_SOME_CHARS}},
      {"a billion sections", std::string(good).replace(good.find("NumFiles=1"), 10, "NumFiles=999999999"), 0, 1,
       {VX_FONT_ERR_SOME_CHARS}},
      // Ten characters on a picture four cells wide: reported, the rest cut from outside it.
      {"row wider than the picture", one_section("1", "File001", "ABCDEFGHIJ"), 0, 1,
       {VX_FONT_ERR_PICTURE_SMALL}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    raised().clear();
    EXPECT_EQ(vx_font_load(&font, write(c.text).c_str(), c.flags), c.result);
    EXPECT_EQ(raised(), c.codes);
    EXPECT_TRUE(c.codes != std::vector<int>{VX_FONT_ERR_PICTURE_SMALL} || has('J'));
    vx_font_free(&font);
  }
  raised().clear();
  EXPECT_EQ(vx_font_load(&font, (temp / "none.fnt").c_str(), 0), 0);
  EXPECT_EQ(vx_font_load(nullptr, (temp / "t.fnt").c_str(), 0), 0);
  EXPECT_EQ(raised(), (std::vector<int>{VX_FONT_ERR_NO_FILE, VX_FONT_ERR_POINTER}));
}

TEST_F(FontTest, DecodesUtf8AndBytes) {
  struct Case { const char* text; int mode; std::vector<uint32_t> codes; bool reported; } cases[] = {
      {"\xC3\xA9", 3, {233}, false},
      {"\xC3\xA9", 1, {195, 169}, false},
      {"\xE2\x82\xAC!", 3, {0x20AC, '!'}, false},
      {"\xF0\x9F\x98\x80", 3, {0x1F600}, false},
      {"\xC3(", 3, {0xE8}, true},          // a bad continuation still gives its value
      {"a\xA9", 3, {'a', 0xA9}, true},     // a byte that starts nothing stands for itself
      {"a\xE2\x82", 3, {'a'}, true},       // a sequence cut by the end is dropped
  };
  uint32_t* buffer = nullptr;
  int capacity = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    raised().clear();
    const int n = vx_font_utf_8_to_unicode(&buffer, &capacity, c.text, c.mode);
    EXPECT_EQ(std::vector<uint32_t>(buffer, buffer + n), c.codes);
    EXPECT_EQ(buffer[n], 0u);
    EXPECT_EQ(raised(), c.reported ? std::vector<int>{VX_FONT_ERR_UTF8} : std::vector<int>{});
  }
  // Without growing, the output stops at the capacity with the 0 in the last slot.
  capacity = 3;
  EXPECT_EQ(vx_font_utf_8_to_unicode(&buffer, &capacity, "abcd", 2), 2);
  EXPECT_EQ(std::vector<uint32_t>(buffer, buffer + 3), (std::vector<uint32_t>{'a', 'b', 0}));
  vx_mem_free(buffer);
}

TEST_F(FontTest, MeasuresAndDrawsText) {
  ASSERT_EQ(vx_font_load(&font, (kFixtures + "font.fnt").c_str(), 7), 1);
  VX_RECT size;
  EXPECT_EQ(vx_font_measure(&font, "ABC", &size, 0), 14);  // 3 cells, 2 gaps
  EXPECT_EQ(size.height, 5);
  EXPECT_EQ(vx_font_measure(&font, "AB", &size, VX_FONT_PROPORTIONAL), 6);  // spans 3 + 1, a gap after each
  EXPECT_EQ(vx_font_measure(&font, "AB", &size, VX_FONT_PROPORTIONAL | VX_FONT_NO_GAP), 4);

  // A character the font lacks draws the space: a blank cell.
  EXPECT_EQ(vx_font_print(&font, &target, nullptr, 0, "A%cC", '?'), 15);
  EXPECT_EQ(row(0, 16), "1110900009444499");

  // Proportional text narrower than its rectangle is centred; 0x200 closes the gaps.
  const VX_RECT box = {0, 0, 20, 5};
  clear();
  vx_font_print(&font, &target, &box, VX_FONT_PROPORTIONAL | VX_FONT_CENTER, "AB");
  EXPECT_EQ(row(2, 20), "99999991119299999999");
  clear();
  vx_font_print(&font, &target, &box, VX_FONT_PROPORTIONAL | VX_FONT_CENTER | VX_FONT_NO_GAP, "AB");
  EXPECT_EQ(row(2, 20), "99999999111299999999");

  // Scaled, fixed: 100 pixels for 3 characters with gaps give slots of 32, 32 and 33.
  const VX_RECT wide = {0, 0, 100, 5};
  clear();
  EXPECT_EQ(vx_font_print(&font, &target, &wide, VX_FONT_SCALE, "CCC"), 100);
  EXPECT_EQ(row(0, 101), std::string(32, '4') + "9" + std::string(32, '4') + "9" + std::string(33, '4') + "99");

  // Scaled, proportional: spans 3 and 1 stretched to fill 60 pixels exactly.
  const VX_RECT sixty = {0, 0, 60, 5};
  clear();
  EXPECT_EQ(vx_font_print(&font, &target, &sixty, VX_FONT_SCALE | VX_FONT_PROPORTIONAL, "AB"), 60);
  EXPECT_EQ(row(2, 61), std::string(39, '1') + "9" + std::string(20, '2') + "9");

  // One character, one chosen frame.
  clear();
  EXPECT_EQ(vx_font_draw_char(&font, 'X', 2, &target, nullptr, 0), 4);
  EXPECT_EQ(row(0, 5), "00779");

  // Refusals.
  const VX_RECT outside = {120, 0, 10, 5};
  EXPECT_EQ(vx_font_print(&font, &target, &outside, 0, "A"), 0);
  EXPECT_EQ(vx_font_print(&font, &target, nullptr, 0, "%s", ""), 0);
  EXPECT_EQ(vx_font_print(nullptr, &target, nullptr, 0, "A"), 0);
}

}  // namespace
