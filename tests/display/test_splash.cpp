// The splash screen: its section of the texts file, the widening and centring arithmetic, the text line, the window, the full-screen and 3D paths, and its removal.
#include <algorithm>
#include <cstring>
#include <fstream>

#include "display/vx_dsp_splash.h"
#include "display/vx_pal.h"
#include "platform/plat_internal.h"
#include "platform/plat_picture.h"
#include "tests/display/dsp_fixture.h"

using namespace dsp_test;

namespace {

// What the test loader was asked for.
struct LoaderLog {
  int calls;
  std::string name;
  int flags;
};
LoaderLog& loader_log() {
  static LoaderLog log;
  return log;
}

// A binary PPM ("P6", maxval 255) read through the file layer into a 24-bit
// bitmap; "mem:pal8" makes a 6 x 2 palette picture and "mem:bpp1" a
// 1-bit one, without a file. A missing, short or malformed file fails.
int test_loader(VX_BITMAP* bitmap, const char* name, int flags) {
  loader_log().calls++;
  loader_log().name = name;
  loader_log().flags = flags;
  *bitmap = VX_BITMAP{};
  if (std::strcmp(name, "mem:pal8") == 0) {
    VX_RECT r = {0, 0, 6, 2};
    if (!vx_bit_alloc(bitmap, &r, 8)) return 0;
    bitmap->palette = vx_pal_alloc(nullptr, 256, VX_PAL_OPT_RGB);
    for (int i = 0; i < 256; i++) {
      bitmap->palette->colours[i * 3] = uint8_t(i);
      bitmap->palette->colours[i * 3 + 1] = uint8_t(255 - i);
      bitmap->palette->colours[i * 3 + 2] = 7;
    }
    for (int i = 0; i < 12; i++) bitmap->pixels[i] = uint8_t(i * 10);
    return 1;
  }
  if (std::strcmp(name, "mem:bpp1") == 0) {
    bitmap->width = 8;
    bitmap->height = 8;
    bitmap->bpp = 1;
    bitmap->pixels = static_cast<uint8_t*>(vx_mem_alloc_named(8, "test 1-bit picture"));
    return 1;
  }
  VX_IO_FILE* f = vx_io_fopen(name, "rb");
  if (!f) return 0;
  std::string data;
  char buf[4096];
  for (size_t n; (n = vx_io_fread(buf, 1, sizeof buf, f)) > 0;) data.append(buf, n);
  vx_io_fclose(f);
  int w = 0, h = 0, max = 0, head = 0;
  if (std::sscanf(data.c_str(), "P6 %d %d %d%n", &w, &h, &max, &head) != 3 || max != 255 || w < 1 || h < 1)
    return 0;
  head++;  // the single white-space byte before the samples
  if (data.size() < size_t(head) + size_t(w) * size_t(h) * 3) return 0;
  VX_RECT r = {0, 0, int16_t(w), int16_t(h)};
  if (!vx_bit_alloc(bitmap, &r, 24)) return 0;
  std::memcpy(bitmap->pixels, data.data() + head, size_t(w) * size_t(h) * 3);
  return 1;
}

// The reference picture: pixel (x, y) is (x mod 256, 4y, 200).
std::string ppm(int w, int h) {
  std::string s = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) s += {char(x & 255), char(y * 4), char(200)};
  return s;
}

// 5-6-5 packing of the reference picture, written out independently of the packer.
uint16_t rgb565(int r, int g, int b) { return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)); }

// The recording put of the 3D table.
struct Put {
  VX_BITMAP* bitmap;
  VX_RECT dest, src;
};
std::vector<Put>& puts_seen() {
  static std::vector<Put> p;
  return p;
}
int record_put(VX_BITMAP* bitmap, const VX_RECT* dest, const VX_RECT* src, uint32_t) {
  puts_seen().push_back({bitmap, *dest, *src});
  return 1;
}

class Splash : public DspTest {
 protected:
  VX_DSP_3D_INTERFACE table = {};

  void SetUp() override {
    DspTest::SetUp();
    loader_log() = LoaderLog{};
    puts_seen().clear();
    vx_dsp_splash_loader_set(test_loader);
    fs::create_directories(root / "run" / "data");
    fs::create_directories(root / "run" / "gfx");
    write("gfx/pic.ppm", ppm(301, 40));
    write_texts(
        "[Application]\r\nStartSplash=StartSplash\r\n"
        "[StartSplash_eng]\r\nBitmap=gfx\\pic.ppm\r\nText=I\r\nPosX=10\r\nPosY=5\r\n"
        "ColorR=255\r\nColorG=0\r\nColorB=0\r\n"
        "[StartSplash_fra]\r\nBitmap=gfx\\autre.ppm\r\nText=Chargement\r\nPosX=-3\r\nPosY=300\r\n"
        "ColorR=300\r\nColorG=-1\r\nColorB=511\r\n"
        "[StartSplash_ita]\r\nBitmap=gfx\\pic.ppm\r\nPosX=10\r\nPosY=5\r\nColorR=255\r\n"
        "[StartSplash_nld]\r\nText=Laden\r\nPosX=4\r\n"
        "[StartSplash_por]\r\nBitmap=gfx\\missing.ppm\r\n"
        "[StartSplash_deu]\r\nBitmap=gfx\\short.ppm\r\n"
        "[StartSplash_esp]\r\nBitmap=mem:pal8\r\nText=\r\n"
        "[StartSplash_bits]\r\nBitmap=mem:bpp1\r\n");
    // A picture cut short: the header promises more samples than follow.
    write("gfx/short.ppm", ppm(301, 40).substr(0, 2000));
  }
  void TearDown() override {
    vx_dsp_splash_free();
    vx_dsp_splash_loader_set(nullptr);
    DspTest::TearDown();
  }

  void write(const std::string& rel, const std::string& text) {
    std::ofstream(root / "run" / rel, std::ios::binary) << text;
  }
  void write_texts(const std::string& text) { write("data/texts.txt", text); }

  static int on(const char* section) { return vx_dsp_splash_on("data\\texts.txt", section, nullptr); }

  // The 3D table of the fixture with a recording put.
  void use_recording_put() {
    table = *fake_table();
    table.vx_bit_3d_put = record_put;
    app.table_3d = &table;
  }

  static PLAT_WINDOW* splash_window() { return vx_dsp_splash_window(); }
  static VX_DSP_RECT rect_of(PLAT_WINDOW* w) {
    VX_DSP_RECT r = {};
    plat_window_rect(w, &r.x, &r.y, &r.width, &r.height);
    return r;
  }
  // Pixel (x, y) of the window's last picture, as 0xRRGGBBAA.
  static uint32_t shown_pixel(PLAT_WINDOW* w, int x, int y) {
    int pw = 0, ph = 0;
    const uint8_t* p = plat_window_null_picture(w, &pw, &ph);
    if (!p || x < 0 || y < 0 || x >= pw || y >= ph) return 0xDEADBEEF;
    p += (y * pw + x) * 4;
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  }
  static uint32_t reference(int x, int y) { return uint32_t(x & 255) << 24 | uint32_t(y * 4) << 16 | 200u << 8 | 255u; }
  static uint16_t screen_word(int x, int y) {
    const VX_BITMAP* s = vx_screen();
    uint16_t w;
    std::memcpy(&w, s->pixels + (long(y) * s->width + x) * 2, 2);
    return w;
  }
};

}  // namespace

// ---------------------------------------------------------------- the section

TEST_F(Splash, KeysOfAFullSection) {
  VX_DSP_SPLASH_KEYS k;
  ASSERT_EQ(vx_dsp_splash_keys_read("data\\texts.txt", "StartSplash_eng", &k), 1);
  EXPECT_STREQ(k.bitmap, "gfx\\pic.ppm");
  EXPECT_STREQ(k.text, "I");
  EXPECT_EQ(k.x, 10);
  EXPECT_EQ(k.y, 5);
  EXPECT_EQ(k.red, 255);
  EXPECT_EQ(k.green, 0);
  EXPECT_EQ(k.blue, 0);
}

TEST_F(Splash, TheLanguageSuffixPicksTheSection) {
  VX_DSP_SPLASH_KEYS k;
  ASSERT_EQ(vx_dsp_splash_keys_read("data\\texts.txt", "StartSplash_fra", &k), 1);
  EXPECT_STREQ(k.bitmap, "gfx\\autre.ppm");
  EXPECT_STREQ(k.text, "Chargement");
  EXPECT_EQ(k.x, -3);
  EXPECT_EQ(k.y, 300);
}

TEST_F(Splash, ColourValuesKeepTheirLowByte) {
  VX_DSP_SPLASH_KEYS k;
  ASSERT_EQ(vx_dsp_splash_keys_read("data\\texts.txt", "StartSplash_fra", &k), 1);
  EXPECT_EQ(k.red, 44);     // 300
  EXPECT_EQ(k.green, 255);  // -1
  EXPECT_EQ(k.blue, 255);   // 511
}

TEST_F(Splash, WithoutTextThePositionAndColourAreNotRead) {
  VX_DSP_SPLASH_KEYS k;
  ASSERT_EQ(vx_dsp_splash_keys_read("data\\texts.txt", "StartSplash_ita", &k), 1);
  EXPECT_STREQ(k.text, "");
  EXPECT_EQ(k.x, 0);
  EXPECT_EQ(k.y, 0);
  EXPECT_EQ(k.red, 0);
}

TEST_F(Splash, MissingKeysAndSections) {
  VX_DSP_SPLASH_KEYS k;
  // No Bitmap: 0, the rest still read; missing PosY and colours are 0.
  EXPECT_EQ(vx_dsp_splash_keys_read("data\\texts.txt", "StartSplash_nld", &k), 0);
  EXPECT_STREQ(k.text, "Laden");
  EXPECT_EQ(k.x, 4);
  EXPECT_EQ(k.y, 0);
  EXPECT_EQ(k.blue, 0);
  EXPECT_EQ(vx_dsp_splash_keys_read("data\\texts.txt", "StartSplash_xyz", &k), 0);
  EXPECT_STREQ(k.bitmap, "");
  EXPECT_STREQ(k.text, "");
  EXPECT_EQ(vx_dsp_splash_keys_read("data\\none.txt", "StartSplash_eng", &k), 0);
  EXPECT_EQ(vx_dsp_splash_keys_read(nullptr, "StartSplash_eng", &k), 0);
  EXPECT_EQ(vx_dsp_splash_keys_read("data\\texts.txt", "StartSplash_eng", nullptr), 0);
}

// ---------------------------------------------------------------- arithmetic

TEST_F(Splash, WidthRoundsUpToAMultipleOfFour) {
  EXPECT_EQ(vx_dsp_splash_width(301), 304);  // the documented edge case
  EXPECT_EQ(vx_dsp_splash_width(302), 304);
  EXPECT_EQ(vx_dsp_splash_width(304), 304);
  EXPECT_EQ(vx_dsp_splash_width(305), 308);
  EXPECT_EQ(vx_dsp_splash_width(1), 4);
  EXPECT_EQ(vx_dsp_splash_width(0), 0);
  EXPECT_EQ(vx_dsp_splash_width(-7), 0);
}

TEST_F(Splash, CentringHalvesTheDifference) {
  int x = 1, y = 1;
  vx_dsp_splash_centre(1024, 768, 304, 40, &x, &y);
  EXPECT_EQ(x, 360);
  EXPECT_EQ(y, 364);
  vx_dsp_splash_centre(641, 481, 300, 40, &x, &y);  // odd differences round toward zero
  EXPECT_EQ(x, 170);
  EXPECT_EQ(y, 220);
  vx_dsp_splash_centre(320, 240, 400, 300, &x, &y);  // larger than the area
  EXPECT_EQ(x, -40);
  EXPECT_EQ(y, -30);
}

TEST_F(Splash, OnlyADriftOf21PixelsMovesTheWindow) {
  EXPECT_EQ(vx_dsp_splash_must_move(100, 100, 100, 100), 0);
  EXPECT_EQ(vx_dsp_splash_must_move(100, 100, 120, 80), 0);
  EXPECT_EQ(vx_dsp_splash_must_move(100, 100, 121, 100), 1);
  EXPECT_EQ(vx_dsp_splash_must_move(100, 100, 79, 100), 1);
  EXPECT_EQ(vx_dsp_splash_must_move(100, 100, 100, 121), 1);
  EXPECT_EQ(vx_dsp_splash_must_move(100, 100, 100, 79), 1);
}

// ---------------------------------------------------------------- the text line

TEST_F(Splash, TextDrawsOnlyTheDots) {
  std::vector<uint8_t> px(16 * 20 * 4, 9);
  EXPECT_EQ(plat_text_draw(px.data(), 16, 20, 1, 2, "I", 10, 20, 30), 12);
  auto at = [&](int x, int y) { return px.data() + (y * 16 + x) * 4; };
  // 'I' starts ".###.": dots 1 to 3 of the top row, two pixels each.
  EXPECT_EQ(at(3, 2)[0], 10);
  EXPECT_EQ(at(3, 2)[1], 20);
  EXPECT_EQ(at(3, 2)[2], 30);
  EXPECT_EQ(at(3, 2)[3], 255);
  EXPECT_EQ(at(8, 3)[0], 10);
  // The dot left of the bar and the gap row are background, untouched.
  EXPECT_EQ(at(1, 2)[0], 9);
  EXPECT_EQ(at(2, 2)[3], 9);
  EXPECT_EQ(at(9, 2)[0], 9);
  EXPECT_EQ(at(3, 4)[0], 9);  // second row ".#." of 'I' is the middle dot only
  EXPECT_EQ(at(5, 4)[0], 10);
}

TEST_F(Splash, TextPartlyOutsideIsCut) {
  // A guard band after the block must stay untouched whatever falls outside.
  const int w = 10, h = 10;
  std::vector<uint8_t> px(w * h * 4 + 64, 0);
  plat_text_draw(px.data(), w, h, -6, -6, "W", 1, 1, 1);
  plat_text_draw(px.data(), w, h, 5, 5, "MM", 1, 1, 1);
  plat_text_draw(px.data(), w, h, 100000, 3, "M", 1, 1, 1);
  plat_text_draw(px.data(), w, h, 3, -100000, "M", 1, 1, 1);
  for (size_t i = w * h * 4; i < px.size(); i++) ASSERT_EQ(px[i], 0) << i;
  // Something did land inside: the lower part of 'W' and the top-left of 'M'.
  int lit = 0;
  for (int i = 0; i < w * h; i++) lit += px[i * 4 + 3] == 255;
  EXPECT_GT(lit, 0);
}

TEST_F(Splash, TextWidthCountsCells) {
  EXPECT_EQ(plat_text_width("abc"), 36);
  EXPECT_EQ(plat_text_width(""), 0);
  EXPECT_EQ(plat_text_width(nullptr), 0);
  EXPECT_EQ(plat_text_width("a\tb"), 36);         // a control character is a blank cell
  EXPECT_EQ(plat_text_width("\xC3\xA9t\xC3\xA9"), 36);  // UTF-8 "ete": one cell per character
  EXPECT_EQ(plat_text_width("\xE9t\xE9"), 36);          // Latin-1 bytes: one cell each
  EXPECT_EQ(plat_text_draw(nullptr, 0, 0, 0, 0, "xy", 0, 0, 0), 24);
}

// ---------------------------------------------------------------- the window

TEST_F(Splash, ShowsTheWidenedPictureCentredOnTheDesktop) {
  ASSERT_EQ(on("StartSplash_eng"), 1);
  EXPECT_EQ(loader_log().name, "gfx\\pic.ppm");
  EXPECT_EQ(loader_log().flags, 1);
  PLAT_WINDOW* w = splash_window();
  ASSERT_NE(w, nullptr);
  VX_DSP_RECT r = rect_of(w);
  EXPECT_EQ(r.width, 304);
  EXPECT_EQ(r.height, 40);
  EXPECT_EQ(r.x, 360);  // (1024 - 304) / 2 on the null desktop
  EXPECT_EQ(r.y, 364);
  EXPECT_TRUE(w->style & PLAT_WS_POPUP);
  EXPECT_EQ(w->shown, 1);
  EXPECT_EQ(plat_window_main(), nullptr) << "the splash is never the main window";
  ASSERT_NE(vx_dsp_splash_bitmap(), nullptr);
  EXPECT_EQ(vx_dsp_splash_bitmap()->width, 304);
  EXPECT_EQ(vx_dsp_splash_bitmap()->bpp, 24);
  EXPECT_EQ(plat_display_null_cursor_shown(), 0);
  EXPECT_EQ(boxes(), "");
}

TEST_F(Splash, TheWindowShowsPictureBlackColumnsAndText) {
  ASSERT_EQ(on("StartSplash_eng"), 1);
  PLAT_WINDOW* w = splash_window();
  int pw = 0, ph = 0;
  ASSERT_NE(plat_window_null_picture(w, &pw, &ph), nullptr);
  EXPECT_EQ(pw, 304);
  EXPECT_EQ(ph, 40);
  EXPECT_EQ(shown_pixel(w, 0, 0), reference(0, 0));
  EXPECT_EQ(shown_pixel(w, 300, 39), reference(300, 39));
  // Columns 301 to 303 come from the widening: black.
  for (int x = 301; x < 304; x++) EXPECT_EQ(shown_pixel(w, x, 20), 0x000000FFu) << x;
  // "I" in red at (10, 5): its top bar covers x 12 to 17 of rows 5 and 6.
  EXPECT_EQ(shown_pixel(w, 12, 5), 0xFF0000FFu);
  EXPECT_EQ(shown_pixel(w, 17, 6), 0xFF0000FFu);
  EXPECT_EQ(shown_pixel(w, 11, 5), reference(11, 5));
  EXPECT_EQ(shown_pixel(w, 18, 5), reference(18, 5));
}

TEST_F(Splash, APalettePictureShowsItsColours) {
  ASSERT_EQ(on("StartSplash_esp"), 1);
  PLAT_WINDOW* w = splash_window();
  EXPECT_EQ(rect_of(w).width, 8);
  EXPECT_EQ(vx_dsp_splash_bitmap()->bpp, 8);
  // Index 10 x i through the palette (i, 255 - i, 7).
  EXPECT_EQ(shown_pixel(w, 0, 0), 0x00FF07FFu);
  EXPECT_EQ(shown_pixel(w, 5, 1), 0x6E9107FFu);  // index 110
  // The widened columns are index 0.
  EXPECT_EQ(shown_pixel(w, 6, 0), 0x00FF07FFu);
  EXPECT_EQ(shown_pixel(w, 7, 1), 0x00FF07FFu);
}

TEST_F(Splash, ASecondSplashReplacesTheFirst) {
  const long long used = vx_mem_used();
  ASSERT_EQ(on("StartSplash_eng"), 1);
  PLAT_WINDOW* first = splash_window();
  ASSERT_EQ(on("StartSplash_esp"), 1);
  EXPECT_FALSE(plat_window_exists(first));
  EXPECT_NE(splash_window(), first);
  EXPECT_EQ(vx_dsp_splash_bitmap()->bpp, 8);
  vx_dsp_splash_free();
  EXPECT_EQ(vx_mem_used(), used) << "nothing of either splash is left";
}

TEST_F(Splash, CloseIsSwallowedAndPaintRepaints) {
  ASSERT_EQ(on("StartSplash_eng"), 1);
  PLAT_WINDOW* w = splash_window();
  plat_send_message(w, PLAT_WM_CLOSE, 0, 0);
  EXPECT_TRUE(plat_window_exists(w));
  const int before = plat_window_null_picture_count();
  plat_send_message(w, PLAT_WM_PAINT, 0, 0);
  EXPECT_EQ(plat_window_null_picture_count(), before + 1);
}

// ---------------------------------------------------------------- no splash

TEST_F(Splash, AMissingPictureMeansNoSplash) {
  const long long used = vx_mem_used();
  EXPECT_EQ(on("StartSplash_por"), 0);
  EXPECT_EQ(loader_log().calls, 1);
  EXPECT_EQ(splash_window(), nullptr);
  EXPECT_EQ(vx_dsp_splash_bitmap(), nullptr);
  EXPECT_EQ(vx_mem_used(), used);
  EXPECT_EQ(plat_display_null_cursor_shown(), 1);
  EXPECT_EQ(boxes(), "") << "no message: the game goes on without a splash";
}

TEST_F(Splash, ADamagedPictureMeansNoSplash) {
  const long long used = vx_mem_used();
  EXPECT_EQ(on("StartSplash_deu"), 0);
  EXPECT_EQ(on("StartSplash_bits"), 0);  // loads, but 1-bit pictures cannot be shown
  EXPECT_EQ(loader_log().calls, 2);
  EXPECT_EQ(splash_window(), nullptr);
  EXPECT_EQ(vx_mem_used(), used);
  EXPECT_EQ(boxes(), "");
}

TEST_F(Splash, NoBitmapKeyNoSectionOrNoLoader) {
  EXPECT_EQ(on("StartSplash_nld"), 0);
  EXPECT_EQ(on("StartSplash_xyz"), 0);
  EXPECT_EQ(loader_log().calls, 0) << "nothing to load";
  vx_dsp_splash_loader_set(nullptr);
  EXPECT_EQ(on("StartSplash_eng"), 0);
  EXPECT_EQ(splash_window(), nullptr);
}

TEST_F(Splash, AFailedSplashLeavesTheShownOneGone) {
  ASSERT_EQ(on("StartSplash_eng"), 1);
  PLAT_WINDOW* w = splash_window();
  EXPECT_EQ(on("StartSplash_por"), 0);
  EXPECT_FALSE(plat_window_exists(w));
  EXPECT_EQ(splash_window(), nullptr);
}

// ---------------------------------------------------------------- with the display

TEST_F(Splash, InAWindowTheMainWindowWaitsForTheSplashToGo) {
  write_settings("[Display]\nFullscreen=0\n");
  const long long used = vx_mem_used();
  ASSERT_EQ(on("StartSplash_eng"), 1);
  PLAT_WINDOW* s = splash_window();
  app.table_3d = nullptr;  // the 2D display paints the window itself
  ASSERT_EQ(start(VX_DSP_3D), 1);
  EXPECT_EQ(splash_window(), s) << "the display start keeps the splash";
  EXPECT_EQ(plat_window_main(), vx_dsp_window());
  EXPECT_EQ(vx_dsp_window()->shown, 0);
  EXPECT_EQ(shown_pixel(s, 0, 0), reference(0, 0));

  vx_dsp_splash_off();
  EXPECT_FALSE(plat_window_exists(s));
  EXPECT_EQ(splash_window(), nullptr);
  EXPECT_EQ(vx_dsp_splash_bitmap(), nullptr);
  EXPECT_EQ(vx_dsp_window()->shown, 1);
  EXPECT_STREQ(vx_dsp_window()->title, "Display Test");
  vx_dsp_deinit();
  EXPECT_EQ(vx_mem_used(), used) << "the splash freed everything";
}

TEST_F(Splash, FullScreen2dDrawsThePictureCentredIntoTheVirtualScreen) {
  write_settings("[Display]\nResolution=640x480x16\n");
  ASSERT_EQ(on("StartSplash_eng"), 1);
  PLAT_WINDOW* s = splash_window();
  app.table_3d = nullptr;
  ASSERT_EQ(start(VX_DSP_FULLSCREEN_ONLY), 1);
  ASSERT_EQ(vx_dsp_is_fullscreen(), 1);
  ASSERT_EQ(vx_screen_packing()->mask[0], 0xF800u);
  // The window moved to the centre of the 640 x 480 mode.
  VX_DSP_RECT r = rect_of(s);
  EXPECT_EQ(r.x, 168);
  EXPECT_EQ(r.y, 220);

  // Paint again over a screen filled with a marker, to see what it leaves.
  VX_BITMAP* screen = vx_screen();
  ASSERT_NE(screen->pixels, nullptr);
  ASSERT_EQ(screen->bpp, 16);
  std::memset(screen->pixels, 0xAB, size_t(vx_bit_size(screen->width, screen->height, 16)));
  vx_dsp_splash_paint();
  const int cx = (screen->width - 304) / 2, cy = (screen->height - 40) / 2;
  EXPECT_EQ(screen_word(cx, cy), rgb565(0, 0, 200));
  EXPECT_EQ(screen_word(cx + 300, cy + 39), rgb565(300 & 255, 39 * 4, 200));
  EXPECT_EQ(screen_word(cx + 137, cy + 21), rgb565(137, 84, 200));
  EXPECT_EQ(screen_word(cx + 301, cy), 0) << "widened column";
  EXPECT_EQ(screen_word(cx + 303, cy + 39), 0);
  EXPECT_EQ(screen_word(cx - 1, cy), 0xABAB) << "left of the picture";
  EXPECT_EQ(screen_word(cx, cy - 1), 0xABAB) << "above";
  EXPECT_EQ(screen_word(cx + 304, cy + 39), 0xABAB) << "right";
  EXPECT_EQ(screen_word(cx, cy + 40), 0xABAB) << "below";
  // The text belongs to the window only: the red bar of "I" is not drawn here.
  EXPECT_EQ(screen_word(cx + 12, cy + 5), rgb565(12, 20, 200));

  vx_dsp_splash_off();
  EXPECT_EQ(screen_word(cx, cy), 0) << "full screen is cleared when the splash goes";
  EXPECT_EQ(vx_dsp_window()->shown, 1);
}

TEST_F(Splash, The3dBackEndGetsThePictureCentred) {
  write_settings("[Display]\nResolution=640x480x16\n");
  use_recording_put();
  ASSERT_EQ(on("StartSplash_eng"), 1);
  ASSERT_EQ(start(), 1);
  auto it = std::find_if(puts_seen().begin(), puts_seen().end(),
                         [](const Put& p) { return p.bitmap == vx_dsp_splash_bitmap(); });
  ASSERT_NE(it, puts_seen().end()) << "the splash went to the 3D back end";
  const Put& p = *it;
  const VX_BITMAP* screen = vx_screen();
  EXPECT_EQ(p.dest.x, (screen->width - 304) / 2);
  EXPECT_EQ(p.dest.y, (screen->height - 40) / 2);
  EXPECT_EQ(p.dest.width, 304);
  EXPECT_EQ(p.dest.height, 40);
  EXPECT_EQ(p.src.x, 0);
  EXPECT_EQ(p.src.width, 304);
  EXPECT_EQ(p.src.height, 40);
  EXPECT_GT(fake().updates, 0) << "presented";
  EXPECT_EQ(vx_dsp_window()->shown, 0);

  const int clears = fake().clears, updates = fake().updates;
  vx_dsp_splash_off();
  EXPECT_EQ(splash_window(), nullptr);
  EXPECT_EQ(vx_dsp_window()->shown, 1);
  EXPECT_EQ(fake().clears, clears + 1);
  EXPECT_EQ(fake().updates, updates + 1);
}

TEST_F(Splash, OffWithoutASplashOnlyShowsTheDisplay) {
  write_settings("[Display]\nFullscreen=0\n");
  ASSERT_EQ(start(VX_DSP_3D), 1);
  const int clears = fake().clears;
  vx_dsp_splash_off();
  EXPECT_EQ(vx_dsp_window()->shown, 1);
  EXPECT_EQ(fake().clears, clears);
  EXPECT_EQ(plat_display_null_cursor_shown(), 1);
}

TEST_F(Splash, ShutdownWithTheSplashUpFreesIt) {
  ASSERT_EQ(on("StartSplash_eng"), 1);
  PLAT_WINDOW* s = splash_window();
  ASSERT_EQ(start(), 1);
  vx_dsp_deinit();
  EXPECT_FALSE(plat_window_exists(s));
  EXPECT_EQ(splash_window(), nullptr);
  // The fixture's tear-down checks that no block is left.
}
